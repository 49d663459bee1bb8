#include "WindowGroup.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QWindow>

WindowGroup::WindowGroup(QQmlEngine &engine, AppModel &model, QObject *parent)
    : QObject(parent), m_engine(engine), m_model(model)
{}

bool WindowGroup::openWindow()
{
    QQmlComponent component(&m_engine, QUrl(QStringLiteral("qrc:/CorvaneBridge/Main.qml")));
    QObject *window =
        component.createWithInitialProperties({{QStringLiteral("model"), QVariant::fromValue(&m_model)},
                                               {QStringLiteral("windows"), QVariant::fromValue(this)}});
    if (!window) {
        qCritical().noquote() << "Corvane Bridge cannot show its window:" << component.errorString();
        return false;
    }
    window->setParent(this);
    // A closed window is gone for good; the application quits when the last one closes.
    if (auto *shown = qobject_cast<QWindow *>(window))
        connect(shown, &QWindow::visibleChanged, window, [window](bool visible) {
            if (!visible)
                window->deleteLater();
        });
    return true;
}

void WindowGroup::raise()
{
    const QList<QWindow *> windows = findChildren<QWindow *>(Qt::FindDirectChildrenOnly);
    if (windows.isEmpty())
        return;
    QWindow *window = windows.last();
    window->showNormal();
    window->raise();
    window->requestActivate();
}
