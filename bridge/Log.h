#pragma once

#include <QLoggingCategory>

// The few things the bridge says on the terminal: why it cannot show a window or guard against a
// second copy of itself. QT_LOGGING_RULES="corvane.*=false" silences them.
Q_DECLARE_LOGGING_CATEGORY(lcBridge)
