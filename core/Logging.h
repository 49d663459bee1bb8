// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QLoggingCategory>

// The few things the bridge says on the terminal: why it cannot show a window, guard against a second
// copy of itself, start the game or change its autostart entry. QT_LOGGING_RULES="corvane.*=false" silences
// them.
Q_DECLARE_LOGGING_CATEGORY(lcBridge)
// Why an upload failed, once per failure: no connection, TLS, a timeout, or the dashboard's answer.
Q_DECLARE_LOGGING_CATEGORY(lcUpload)
// A bridge with no window tells its status line each time it changes (the journal, for a service).
Q_DECLARE_LOGGING_CATEGORY(lcStatus)
