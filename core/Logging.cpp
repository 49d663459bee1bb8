// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "Logging.h"

Q_LOGGING_CATEGORY(lcBridge, "corvane.bridge", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUpload, "corvane.upload", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStatus, "corvane.status", QtInfoMsg)
