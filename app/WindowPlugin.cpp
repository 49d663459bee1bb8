// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "WindowPlugin.h"

#include "Logging.h"
#include "PrivateFolders.h"

#include <QPluginLoader>

WindowSet *loadWindows(AppModel &model, QObject *parent)
{
    QStringList errors;
    for (const QString &folder : privateFolders()) {
        QPluginLoader loader(folder + QStringLiteral("/corvane-bridge-window"));
        if (auto *plugin = qobject_cast<WindowPlugin *>(loader.instance()))
            return plugin->createWindows(model, parent);
        errors << loader.errorString();
    }
    qCCritical(lcBridge).noquote() << "cannot load the window plugin:" << errors.join(u'\n');
    return nullptr;
}
