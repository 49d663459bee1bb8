// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "AppIdentity.h"
#include "ApplicationShell.h"
#include "Logging.h"
#include "PrivateFolders.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "WindowPlugin.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>

#include <cerrno>
#include <cstring>
#include <unistd.h>

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

// What the command line asks for; --help and --version print and exit here. Absent: a usage error.
std::optional<Mode> readCommandLine(QCoreApplication &app)
{
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

// Asks the running bridge how it goes; it needs no display and starts nothing.
int tellStatus()
{
    const std::optional<SingleInstance::Answer> answer =
        SingleInstance(SingleInstance::foldersOfThisUser()).ask(SingleInstance::Request::status);
    const QString said =
        answer ? answer->status
               : QCoreApplication::translate("main", "%1 is not running").arg(AppIdentity::name()) + u'\n';
    std::fputs(qPrintable(said), stdout);
    return answer ? EXIT_SUCCESS : EXIT_FAILURE;
}

// The bridge with no window becomes the executable that loads no GUI library, to use no more memory
// than a service needs.
int runHeadless(char **argv)
{
    for (const QString &folder : privateFolders()) {
        const QByteArray program = QFile::encodeName(folder + QStringLiteral("/corvane-bridge-headless"));
        argv[0] = const_cast<char *>(program.constData());
        ::execv(program.constData(), argv);
    }
    qCCritical(lcBridge) << "cannot start corvane-bridge-headless:" << std::strerror(errno);
    return EXIT_FAILURE;
}

} // namespace

int main(int argc, char *argv[])
{
    std::optional<Mode> mode;
    { // Before the desktop is touched, so that these answer anywhere, also without a display.
        QCoreApplication app(argc, argv);
        AppIdentity::apply();
        Presentation::useThePlayersLanguage();
        mode = readCommandLine(app);
        if (!mode)
            return 2;
        if (*mode == Mode::status)
            return tellStatus();
        if (*mode == Mode::headless)
            return runHeadless(argv);
    }
    QApplication app(argc, argv);
    AppIdentity::apply();
    Presentation::useThePlayersLanguage();
    QGuiApplication::setApplicationDisplayName(AppIdentity::name());
    QGuiApplication::setDesktopFileName(AppIdentity::id());
    quitOnTerminationSignals();

    SingleInstance instance(SingleInstance::foldersOfThisUser());
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
