#include "Logging.h"

Q_LOGGING_CATEGORY(lcBridge, "corvane.bridge", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUpload, "corvane.upload", QtInfoMsg)
