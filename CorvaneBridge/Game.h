#pragma once

#include "GameWatcher.h"

#include <QDesktopServices>
#include <QObject>

// What the window and the tray may ask of the game itself: to be started through Steam.
class Game : public QObject
{
    Q_OBJECT

public:
    // Hands the address to the desktop and returns at once; nobody waits for the game.
    Q_INVOKABLE static void launch() { QDesktopServices::openUrl(GameWatcher::launchAddress()); }
};
