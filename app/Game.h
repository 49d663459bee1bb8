// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include "GameWatcher.h"
#include "Logging.h"

#include <QDesktopServices>
#include <QObject>

// What the window and the tray may ask of the game itself: to be started through Steam.
class Game : public QObject
{
    Q_OBJECT

public:
    // Hands the address to the desktop and returns at once; nobody waits for the game. False when
    // nothing on this desktop opens Steam's addresses, which launchFailed() tells the player.
    Q_INVOKABLE static bool launch()
    {
        const QUrl address = GameWatcher::launchAddress();
        if (QDesktopServices::openUrl(address))
            return true;
        qCWarning(lcBridge) << "nothing on this desktop opens" << address;
        return false;
    }

    Q_INVOKABLE static QString launchFailed() { return tr("Steam could not be opened"); }
};
