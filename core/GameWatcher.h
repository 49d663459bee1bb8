// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// What the bridge knows of the game outside it: where its log is, whether it runs, how to start it.
namespace GameWatcher {

// The game's Steam application id.
inline constexpr char steamAppId[] = "3493540";

struct LogLookup
{
    std::optional<QString> path; // the most recently modified log, if any
    QStringList searched;        // the Steam user-data folders looked in, for telling the player
    qint64 size = 0;             // the log's length when found: following it starts there
};

// Looks for the game's logs in every Steam install's user-data folder and in the game's Proton
// prefix in every Steam library, and picks the newest.
LogLookup lookUpLog();

inline std::optional<QString> logPath()
{
    return lookUpLog().path;
}

// True exactly when the game runs: a process named "TransportFever3", or the Windows build under
// Proton. May block briefly: call it off the GUI thread.
bool isRunning();

// The Steam address that starts the game, for the desktop to open.
QUrl launchAddress();

} // namespace GameWatcher
