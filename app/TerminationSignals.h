// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

// SIGTERM (the service being stopped, the session ending) and SIGINT end the bridge as Quit does,
// with status 0. Call once the application object exists.
void quitOnTerminationSignals();
