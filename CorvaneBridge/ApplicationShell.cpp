#include "ApplicationShell.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLibraryInfo>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTranslator>

using namespace std::chrono_literals;

ApplicationShell::ApplicationShell(WindowsFactory makeWindows, const LoginItem &loginItem, QObject *parent)
    : QObject(parent), m_makeWindows(std::move(makeWindows)), m_tray(m_model, loginItem)
{
    connect(&m_tray, &TrayIcon::openRequested, this, &ApplicationShell::activate);
}

// Ours, and Qt's own for the texts Qt shows (the command line's help, the standard dialogs).
void ApplicationShell::useThePlayersLanguage()
{
    const std::pair<QString, QString> catalogues[] = {
        {QStringLiteral("corvane-bridge"), QStringLiteral(":/i18n")},
        {QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)}};
    for (const auto &[name, folder] : catalogues) {
        auto *translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(QLocale(), name, QStringLiteral("_"), folder))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
}

bool ApplicationShell::start(Start how)
{
    m_model.start();
    m_tray.show(); // Qt docks it as soon as a tray exists, also one that comes later
    if (how == Start::withWindow)
        return openWindow();
    showTrayOrWindow();
    return true;
}

void ApplicationShell::activate()
{
    if (Windows *group = windows())
        group->activate();
}

Windows *ApplicationShell::windows()
{
    if (!m_windows && (m_windows = m_makeWindows(m_model, this))) {
        connect(m_windows, &Windows::lastWindowClosed, this, [] {
            // Nothing invisible may be left running: without a tray there would be no way back.
            if (!QSystemTrayIcon::isSystemTrayAvailable())
                QCoreApplication::quit();
        });
    }
    return m_windows;
}

bool ApplicationShell::openWindow()
{
    Windows *group = windows();
    return group && group->openWindow();
}

// At login the desktop's panel often comes up after the programs it starts: give the tray 10 s to
// appear before falling back to a window.
void ApplicationShell::showTrayOrWindow()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        return;
    auto *poll = new QTimer(this);
    const QDeadlineTimer deadline(10s);
    connect(poll, &QTimer::timeout, this, [this, poll, deadline] {
        const bool trayArrived = QSystemTrayIcon::isSystemTrayAvailable();
        if (!trayArrived && !deadline.hasExpired())
            return;
        poll->deleteLater();
        if (!trayArrived && (!m_windows || m_windows->isEmpty()))
            openWindow();
    });
    poll->start(250ms);
}
