#pragma once

#include "GameWatcher.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

// What the window may ask of the game itself: to be started through Steam.
class Game : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    Q_INVOKABLE static void launch() { GameWatcher::launch(); }
};
