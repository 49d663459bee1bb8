// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QTimer>

// Says when the desktop has a tray for the bridge's icon: a StatusNotifier host on the session bus (the
// panels of KDE, Xfce and waybar, GNOME's AppIndicator extension) or an XEmbed tray on X11. It asks for
// itself, not through Qt: Qt decides at its first tray icon whether a StatusNotifier host exists and
// keeps a "no" for good, so an icon made before the panel comes up (as at login) would never show.
class TrayHost : public QObject
{
    Q_OBJECT

public:
    explicit TrayHost(QObject *parent = nullptr);

    // Asks now and then every second, until there is a tray.
    void watch();

signals:
    // Once, when a tray is first there.
    void arrived();

private:
    void ask();
    void found();

    QTimer m_asking;
};
