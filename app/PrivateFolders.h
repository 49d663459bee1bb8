// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

// Where the executable's companions (the window plugin, the headless bridge) are: beside it in a
// build tree, in the bridge's private folder once installed.
inline QStringList privateFolders()
{
    const QDir here(QCoreApplication::applicationDirPath());
    return {here.path(), here.filePath(QStringLiteral(CORVANE_PRIVATE_DIR_FROM_BIN))};
}
