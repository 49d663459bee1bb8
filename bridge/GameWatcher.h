#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// What the bridge knows of the game outside it: where its log is, whether it runs, how to start it.
namespace GameWatcher {

// The most recently modified game log under the Steam user-data folders, or absent.
std::optional<QString> logPath();

// True exactly when a process whose whole name is "TransportFever3" exists. May block briefly:
// call it off the GUI thread.
bool isRunning();

// The Steam address that starts the game, for the desktop to open.
QUrl launchAddress();

} // namespace GameWatcher
