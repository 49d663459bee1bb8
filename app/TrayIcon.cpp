// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "TrayIcon.h"

#include "AppIdentity.h"
#include "Game.h"

#include <QGuiApplication>

TrayIcon::TrayIcon(AppModel &model, const LoginItem &loginItem, QObject *parent)
    : QObject(parent), m_model(model), m_loginItem(loginItem)
{
    m_presentation.setModel(&model);

    m_menu.addAction(tr("Open %1").arg(AppIdentity::name()), this, &TrayIcon::openRequested);
    m_menu.addSeparator();
    m_sync = m_menu.addAction(tr("Sync to dashboard"), &model, &AppModel::setBridgeEnabled);
    m_sync->setCheckable(true);
    m_launch = m_menu.addAction(tr("Launch game"), this, [this] {
        if (!Game::launch())
            tell(Game::launchFailed());
    });
    m_startAtLogin = m_menu.addAction(tr("Start at login"), this, [this](bool enabled) {
        if (!m_loginItem.setEnabled(enabled)) {
            qCWarning(lcBridge) << "cannot change the autostart entry" << m_loginItem.path();
            tell(tr("Start at login could not be changed"));
        }
        m_startAtLogin->setChecked(m_loginItem.isEnabled()); // what the file system made of it
    });
    m_startAtLogin->setCheckable(true);
    m_menu.addSeparator();
    m_menu.addAction(tr("Quit %1").arg(AppIdentity::name()), QCoreApplication::instance(),
                     &QCoreApplication::quit);
    // The entry may have been changed in the desktop's own settings meanwhile.
    connect(&m_menu, &QMenu::aboutToShow, this,
            [this] { m_startAtLogin->setChecked(m_loginItem.isEnabled()); });

    m_icon.setIcon(QGuiApplication::windowIcon());
    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::Trigger)
            emit openRequested();
    });
    // The status follows every field the menu shows.
    connect(&m_presentation, &Presentation::statusChanged, this, &TrayIcon::showModel);
    showModel();
    m_startAtLogin->setChecked(m_loginItem.isEnabled());
}

// A notification from the tray icon: the player asked from the tray menu, so the answer comes there.
void TrayIcon::tell(const QString &message)
{
    m_icon.showMessage(AppIdentity::name(), message, QSystemTrayIcon::Warning);
}

void TrayIcon::showModel()
{
    m_sync->setChecked(m_model.bridgeEnabled());
    m_sync->setEnabled(m_presentation.canSync());
    m_launch->setVisible(m_presentation.canLaunchGame());
    // Every tick rewrites the game state; the desktop hears of the tooltip only when it changes.
    QString toolTip = AppIdentity::name() + u'\n' + m_presentation.statusLine();
    if (const QString why = m_presentation.statusDetail(); !why.isEmpty())
        toolTip += u'\n' + why;
    if (m_icon.toolTip() != toolTip)
        m_icon.setToolTip(toolTip);
}
