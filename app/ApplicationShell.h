// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include "AppModel.h"
#include "TrayHost.h"
#include "TrayIcon.h"
#include "WindowSet.h"

#include <QObject>

#include <functional>
#include <memory>

// The running bridge: the one model, syncing from start to quit, and the ways to reach it, windows
// and the tray icon. Windows are only views; closing the last one leaves the bridge syncing while
// the tray offers a way back, and quits it when there is none.
class ApplicationShell : public QObject
{
    Q_OBJECT

public:
    enum class Start { withWindow, inBackground };
    // Makes the set of windows over the model, the first time one is needed; null when it cannot.
    using WindowSetFactory = std::function<WindowSet *(AppModel &model, QObject *parent)>;

    ApplicationShell(WindowSetFactory makeWindows, const LoginItem &loginItem, QObject *parent = nullptr);
    // The windows go before the model they show.
    ~ApplicationShell() override { delete m_windows; }

    // False when the window was asked for and could not be built.
    bool start(Start how);
    // What a second start of the bridge and a click on the tray icon ask for: a window, in front. On
    // Wayland only a token from the desktop's launcher lets a window come to the front.
    void activate(const QByteArray &activationToken = {});
    // How this bridge goes, for `--status`.
    QString report();

private:
    WindowSet *windows();
    bool openWindow();
    void showTrayIcon();

    AppModel m_model;
    WindowSetFactory m_makeWindows;
    WindowSet *m_windows = nullptr;
    LoginItem m_loginItem;
    TrayHost m_trayHost;
    std::unique_ptr<TrayIcon> m_tray; // once the desktop has a tray
};
