#include "AppModel.h"
#include "SingleInstance.h"
#include "WindowGroup.h"

#include <QDir>
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

    QIcon icon;
    for (const QFileInfo &file : QDir(QStringLiteral(":/icons")).entryInfoList())
        icon.addFile(file.filePath());
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
