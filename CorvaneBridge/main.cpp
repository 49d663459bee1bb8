#include "AppModel.h"
#include "WindowGroup.h"

#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickStyle>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Corvane"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("corvane.app"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvane Bridge"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Corvane Bridge"));
    // The window draws its own dark look; the Basic style lets it do so on every platform.
    QQuickStyle::setStyle(QStringLiteral("Basic"));

    AppModel model;
    QQmlEngine engine;
    QObject::connect(&engine, &QQmlEngine::quit, &app, &QCoreApplication::quit);
    WindowGroup windows(engine, model);
    if (!windows.openWindow())
        return EXIT_FAILURE;
    return app.exec();
}
