// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "QuickWindowSet.h"

#include "FreedMemory.h"
#include "Logging.h"

#include <QCoreApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>

using namespace Qt::StringLiterals;

namespace {

// Qt Quick's software renderer draws this window alike at a third of the memory of the OpenGL one.
// A user's own choice of backend still wins.
void preferSoftwareRendering()
{
#ifdef Q_OS_LINUX
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") && qEnvironmentVariableIsEmpty("QSG_RHI_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
#endif
}

} // namespace

QuickWindowSet::QuickWindowSet(AppModel &model, QObject *parent) : WindowSet(parent), m_model(model)
{
    preferSoftwareRendering();
}

QuickWindowSet::~QuickWindowSet()
{
    qDeleteAll(std::exchange(m_windows, {})); // before the engine they were built by
}

bool QuickWindowSet::openWindow()
{
    if (!m_engine) {
        m_engine = std::make_unique<QQmlEngine>();
        m_engine->addImportPath(u"qrc:/qt/qml"_s); // where the CorvaneBridge module is compiled in
        connect(m_engine.get(), &QQmlEngine::quit, QCoreApplication::instance(), &QCoreApplication::quit,
                Qt::QueuedConnection);
    }
    // Main from the module, as its compiled type; a document of its own, as Qt 6.4 has no
    // QQmlComponent::loadFromModule yet.
    QQmlComponent component(m_engine.get());
    component.setData("import CorvaneBridge\nMain {}", QUrl());
    auto *window = qobject_cast<QQuickWindow *>(component.createWithInitialProperties(
        {{u"model"_s, QVariant::fromValue(&m_model)}, {u"windows"_s, QVariant::fromValue(this)}}));
    if (!window) {
        qCCritical(lcBridge).noquote() << "cannot show the window:" << component.errorString();
        if (m_windows.isEmpty())
            m_engine.reset();
        return false;
    }
    m_windows.append(window);
    // Closing hides the window; it is destroyed once the close is over.
    connect(window, &QWindow::visibleChanged, this, [this](bool visible) {
        if (!visible)
            QMetaObject::invokeMethod(this, &QuickWindowSet::releaseClosedWindows, Qt::QueuedConnection);
    });
    return true;
}

void QuickWindowSet::activate()
{
    if (m_windows.isEmpty()) {
        openWindow();
        return;
    }
    QQuickWindow *window = m_windows.last();
    window->showNormal();
    window->raise();
    window->requestActivate();
}

void QuickWindowSet::releaseClosedWindows()
{
    const auto closed = std::stable_partition(m_windows.begin(), m_windows.end(),
                                              [](QQuickWindow *window) { return window->isVisible(); });
    if (closed == m_windows.end())
        return;
    qDeleteAll(closed, m_windows.end());
    m_windows.erase(closed, m_windows.end());
    if (!m_windows.isEmpty())
        return;
    m_engine.reset();
    returnFreedMemory();
    emit lastWindowClosed();
}
