#pragma once

#include "GameWatcher.h"
#include "Log.h"

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
        if (QDesktopServices::openUrl(GameWatcher::launchAddress()))
            return true;
        qCWarning(lcBridge) << "nothing on this desktop opens" << GameWatcher::launchAddress();
        return false;
    }

    Q_INVOKABLE static QString launchFailed() { return tr("Steam could not be opened"); }
};
