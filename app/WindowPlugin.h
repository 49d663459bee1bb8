// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QtPlugin>

class AppModel;
class WindowSet;

// The window, with Qt Quick, lives in a plugin of its own, loaded the first time a window is needed,
// so a bridge started in the background stays small (Qt Quick costs a quarter of its memory).
class WindowPlugin
{
public:
    virtual ~WindowPlugin() = default;

    // The set of windows over `model`, none of them open yet.
    virtual WindowSet *createWindows(AppModel &model, QObject *parent) = 0;
};

#define WindowPlugin_iid "app.corvane.Bridge.WindowPlugin/1"
Q_DECLARE_INTERFACE(WindowPlugin, WindowPlugin_iid)

// Loads the plugin, from beside the executable (a build) or from the bridge's library folder
// (installed), and makes the windows over `model`; null, with the reasons printed, when it cannot.
WindowSet *loadWindows(AppModel &model, QObject *parent);
