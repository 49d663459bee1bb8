// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "QuickWindowSet.h"
#include "WindowPlugin.h"

// What the application loads when it first needs a window.
class QuickWindowPlugin : public QObject, public WindowPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID WindowPlugin_iid)
    Q_INTERFACES(WindowPlugin)

public:
    WindowSet *createWindows(AppModel &model, QObject *parent) override
    {
        return new QuickWindowSet(model, parent);
    }
};

#include "QuickWindowPlugin.moc"
