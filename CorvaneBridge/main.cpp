#include "AppModel.h"
#include "SingleInstance.h"
#include "WindowGroup.h"

#include <QGuiApplication>
#include <QIcon>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Corvane"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("corvane.app"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvane Bridge"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Corvane Bridge"));
    QGuiApplication::setDesktopFileName(QStringLiteral("app.corvane.Bridge"));

    SingleInstance instance(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    if (!instance.claim())
        return EXIT_SUCCESS; // the running bridge comes to the front instead

    // The window icon at the sizes title bars and task switchers use; the desktop's icon theme has
    // the large ones. (X11 decodes and copies every size the icon holds.)
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/corvane-bridge-%1.png").arg(size));
    QGuiApplication::setWindowIcon(icon);

    // The window draws its own dark look; the Basic style lets it do so on every platform.
    QQuickStyle::setStyle(QStringLiteral("Basic"));

    AppModel model;
    QQmlEngine engine;
    QObject::connect(&engine, &QQmlEngine::quit, &app, &QCoreApplication::quit);
    WindowGroup windows(engine, model);
    if (!windows.openWindow())
        return EXIT_FAILURE;
    QObject::connect(&instance, &SingleInstance::activationRequested, &windows, &WindowGroup::raise);
    return app.exec();
}
