// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

// Renders the application icon from the logo itself (LogoMark), offscreen, at the usual sizes.
//   render_icon OUTPUT_DIR     writes OUTPUT_DIR/corvane-bridge-<size>.png

#include <QDir>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickItemGrabResult>
#include <QQuickWindow>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2)
        qFatal("usage: render_icon OUTPUT_DIR");
    const QDir output(QString::fromLocal8Bit(argv[1]));
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml")); // where the linked-in CorvaneBridge module lives
    for (const int size : {CORVANE_ICON_SIZES}) {
        QQmlComponent component(&engine);
        component.setData(QStringLiteral("import CorvaneBridge\nLogoMark { size: %1 }").arg(size).toUtf8(),
                          QUrl());
        std::unique_ptr<QQuickItem> logo(qobject_cast<QQuickItem *>(component.create()));
        if (!logo)
            qFatal("cannot build the logo: %s", qPrintable(component.errorString()));
        QQuickWindow window;
        window.resize(size, size);
        logo->setParentItem(window.contentItem());
        window.show();
        while (!window.isExposed())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const QString file = output.filePath(QStringLiteral("corvane-bridge-%1.png").arg(size));
        // The item alone, so the corners outside the disc stay transparent.
        const QSharedPointer<QQuickItemGrabResult> grab = logo->grabToImage();
        bool ready = false;
        QObject::connect(grab.data(), &QQuickItemGrabResult::ready, [&ready] { ready = true; });
        while (!ready)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!grab->image().save(file))
            qFatal("cannot write %s", qPrintable(file));
    }
    return 0;
}
