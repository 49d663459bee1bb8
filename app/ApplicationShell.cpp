// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "ApplicationShell.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>
#include <QTimer>

using namespace std::chrono_literals;

ApplicationShell::ApplicationShell(WindowSetFactory makeWindows, const LoginItem &loginItem, QObject *parent)
    : QObject(parent), m_makeWindows(std::move(makeWindows)), m_loginItem(loginItem)
{
    connect(&m_trayHost, &TrayHost::arrived, this, &ApplicationShell::showTrayIcon);
}

bool ApplicationShell::start(Start how)
{
    m_model.start();
    m_trayHost.watch(); // also a tray that comes later gets the icon
    if (how == Start::withWindow)
        return openWindow();
    // At login the desktop's panel often comes up after the programs it starts: give the tray 10 s to
    // appear before falling back to a window.
    QTimer::singleShot(10s, this, [this] {
        if (!m_tray && (!m_windows || m_windows->isEmpty()))
            openWindow();
    });
    return true;
}

void ApplicationShell::activate(const QByteArray &activationToken)
{
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken); // where Qt looks for it when it asks
    if (WindowSet *set = windows())
        set->activate();
}

QString ApplicationShell::report()
{
    Presentation presentation;
    presentation.setModel(&m_model);
    return presentation.report(false);
}

WindowSet *ApplicationShell::windows()
{
    if (!m_windows && (m_windows = m_makeWindows(m_model, this))) {
        connect(m_windows, &WindowSet::lastWindowClosed, this, [this] {
            // Nothing invisible may be left running: without a tray there would be no way back.
            if (!m_tray || !QSystemTrayIcon::isSystemTrayAvailable())
                QCoreApplication::quit();
        });
    }
    return m_windows;
}

bool ApplicationShell::openWindow()
{
    WindowSet *set = windows();
    return set && set->openWindow();
}

void ApplicationShell::showTrayIcon()
{
    m_tray = std::make_unique<TrayIcon>(m_model, m_loginItem);
    connect(m_tray.get(), &TrayIcon::openRequested, this, [this] { activate(); });
    m_tray->show();
}
