#include "Logging.h"

Q_LOGGING_CATEGORY(lcBridge, "corvane.bridge", QtInfoMsg)
