#include "Log.h"

Q_LOGGING_CATEGORY(lcBridge, "corvane.bridge", QtInfoMsg)
