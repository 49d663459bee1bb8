#include "AppIdentity.h"
#include "ApplicationShell.h"
#include "HeadlessBridge.h"
#include "SingleInstance.h"
#include "WindowPlugin.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QSettings>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

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

enum class Mode { window, background, headless, status };

// What the command line asks for. Read before the desktop is touched, so that --help and --version
// answer anywhere, also without a display; they print and exit here. Absent: a usage error.
std::optional<Mode> readCommandLine(int &argc, char **argv)
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
    const QCommandLineOption headless(
        QStringLiteral("headless"),
        QCoreApplication::translate("main", "Sync with no window, tray or display, as a service."));
    const QCommandLineOption status(
        QStringLiteral("status"),
        QCoreApplication::translate("main", "Tell how the running bridge is doing."));
    options.addOptions({background, headless, status});
    if (!options.parse(QCoreApplication::arguments()) || !options.positionalArguments().isEmpty() ||
        options.isSet(background) + options.isSet(headless) + options.isSet(status) > 1) {
        std::fprintf(
            stderr, "%s\n",
            qPrintable(QCoreApplication::translate(
                           "main", "Usage: %1 [--background | --headless | --status] [--help] [--version]")
                           .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName())));
        return std::nullopt;
    }
    options.process(app);
    return options.isSet(background) ? Mode::background
           : options.isSet(headless) ? Mode::headless
           : options.isSet(status)   ? Mode::status
                                     : Mode::window;
}

// One bridge per settings file, whatever the environment says of the runtime folder.
QStringList lockFolders()
{
    return {QFileInfo(QSettings().fileName()).path(),
            !qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")
                ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                : QString(),
            QStandardPaths::writableLocation(QStandardPaths::CacheLocation)};
}

void say(const QString &line)
{
    std::fprintf(stderr, "%s\n", qPrintable(line));
}

#ifdef Q_OS_UNIX
// SIGTERM (the service being stopped, the session ending) and SIGINT end the bridge as Quit does,
// with status 0. A signal handler may only write to a socket; the event loop reads it.
void quitOnTerminationSignals()
{
    static int wakeUp[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeUp) != 0)
        return;
    auto *notifier = new QSocketNotifier(wakeUp[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, QCoreApplication::instance(),
                     &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = [](int) { [[maybe_unused]] const auto written = ::write(wakeUp[0], "", 1); };
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}
#else
void quitOnTerminationSignals() {}
#endif

// Asks the running bridge how it goes; it needs no display and starts nothing.
int tellStatus(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    AppIdentity::apply();
    ApplicationShell::useThePlayersLanguage();
    const std::optional<SingleInstance::Answer> answer =
        SingleInstance(lockFolders()).ask(SingleInstance::Request::status);
    if (!answer) {
        say(QCoreApplication::translate("main", "Corvane Bridge is not running"));
        return EXIT_FAILURE;
    }
    std::fputs(qPrintable(answer->status), stdout);
    return EXIT_SUCCESS;
}

// The model and its sync cycle with no window, tray or display, as a service of the player's session.
int runHeadless(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    AppIdentity::apply();
    ApplicationShell::useThePlayersLanguage();
    quitOnTerminationSignals();
    SingleInstance instance(lockFolders());
    HeadlessBridge bridge(instance);
    switch (instance.claim(SingleInstance::Request::headless)) {
    case SingleInstance::Claim::ours:
        bridge.sync();
        break;
    case SingleInstance::Claim::waiting:
        bridge.wait();
        break;
    case SingleInstance::Claim::forwarded:
        say(QCoreApplication::translate("main", "Corvane Bridge already runs headless"));
        return EXIT_SUCCESS;
    case SingleInstance::Claim::unanswered:
        return EXIT_FAILURE;
    }
    return app.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    const std::optional<Mode> mode = readCommandLine(argc, argv);
    if (!mode)
        return 2;
    if (*mode == Mode::status)
        return tellStatus(argc, argv);
    if (*mode == Mode::headless)
        return runHeadless(argc, argv);
    QApplication app(argc, argv);
    AppIdentity::apply();
    ApplicationShell::useThePlayersLanguage();
    QGuiApplication::setApplicationDisplayName(AppIdentity::name());
    QGuiApplication::setDesktopFileName(AppIdentity::id());
    quitOnTerminationSignals();

    SingleInstance instance(lockFolders());
    switch (instance.claim(SingleInstance::Request::show)) {
    case SingleInstance::Claim::ours:
        break;
    case SingleInstance::Claim::forwarded:
    case SingleInstance::Claim::waiting:
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
    instance.answerAs(SingleInstance::Kind::window, [&shell] { return shell.report(); });
    QObject::connect(&instance, &SingleInstance::activationRequested, &shell, &ApplicationShell::activate);
    if (!shell.start(*mode == Mode::window ? ApplicationShell::Start::withWindow
                                           : ApplicationShell::Start::inBackground))
        return EXIT_FAILURE;
    return app.exec();
}
