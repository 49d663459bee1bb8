// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include "AppModel.h"
#include "LoginItem.h"
#include "Presentation.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

// The bridge's icon in the desktop's system tray: the way back to a bridge that has no window, its
// status at a glance, and what a player needs without opening the window.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    TrayIcon(AppModel &model, const LoginItem &loginItem, QObject *parent = nullptr);

    void show() { m_icon.show(); }

signals:
    // A click on the icon, or "Open Corvane Bridge" in the menu.
    void openRequested();

private:
    void tell(const QString &message);
    void showModel();

    AppModel &m_model;
    LoginItem m_loginItem;
    Presentation m_presentation;
    QMenu m_menu;
    QSystemTrayIcon m_icon;
    QAction *m_sync = nullptr;
    QAction *m_launch = nullptr;
    QAction *m_startAtLogin = nullptr;
};
