#include "AppIdentity.h"
#include "ApplicationShell.h"
#include "SingleInstance.h"
#include "WindowPlugin.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>

namespace {

// From the desktop's icon theme, where the package puts it up to 512 px, so a tray at 200 % shows it
// sharp; the sizes built in where the theme lacks it (an uninstalled build).
QIcon applicationIcon()
{
    QIcon builtIn;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString &file : icons.entryList(QDir::Files))
        builtIn.addFile(icons.filePath(file));
    return QIcon::fromTheme(AppIdentity::id(), builtIn);
}

// What the command line asks for. Read before the desktop is touched, so that --help and --version
// answer anywhere, also without a display; they print and exit here. Absent: a usage error.
std::optional<ApplicationShell::Start> readCommandLine(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    AppIdentity::apply();
    ApplicationShell::useThePlayersLanguage();
    QCommandLineParser options;
    options.setApplicationDescription(
        QCoreApplication::translate("main", "Links your running game to your Corvane dashboard."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption background(
        QStringLiteral("background"),
        QCoreApplication::translate("main", "Start without a window, in the system tray."));
    options.addOption(background);
    if (!options.parse(QCoreApplication::arguments()) || !options.positionalArguments().isEmpty()) {
        std::fprintf(
            stderr, "%s\n",
            qPrintable(QCoreApplication::translate("main", "Usage: %1 [--background] [--help] [--version]")
                           .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName())));
        return std::nullopt;
    }
    options.process(app);
    return options.isSet(background) ? ApplicationShell::Start::inBackground
                                     : ApplicationShell::Start::withWindow;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::optional<ApplicationShell::Start> start = readCommandLine(argc, argv);
    if (!start)
        return 2;
    QApplication app(argc, argv);
    AppIdentity::apply();
    ApplicationShell::useThePlayersLanguage();
    QGuiApplication::setApplicationDisplayName(AppIdentity::name());
    QGuiApplication::setDesktopFileName(AppIdentity::id());

    // One bridge per settings file, whatever the environment says of the runtime folder.
    SingleInstance instance({QFileInfo(QSettings().fileName()).path(),
                             !qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")
                                 ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                                 : QString(),
                             QStandardPaths::writableLocation(QStandardPaths::CacheLocation)});
    switch (instance.claim()) {
    case SingleInstance::Claim::ours:
        break;
    case SingleInstance::Claim::forwarded:
        return EXIT_SUCCESS; // the running bridge opens its window instead
    case SingleInstance::Claim::unanswered:
        return EXIT_FAILURE;
    }

    QGuiApplication::setWindowIcon(applicationIcon());
    // Windows come and go; the shell decides when the bridge ends.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    // The portable folder's launcher names itself: at login, the bridge starts through it.
    const QString launcher = qEnvironmentVariable("CORVANE_BRIDGE_LAUNCHER");
    ApplicationShell shell(
        loadWindows, LoginItem(launcher.isEmpty() ? QCoreApplication::applicationFilePath() : launcher));
    QObject::connect(&instance, &SingleInstance::activationRequested, &shell, &ApplicationShell::activate);
    if (!shell.start(*start))
        return EXIT_FAILURE;
    return app.exec();
}
