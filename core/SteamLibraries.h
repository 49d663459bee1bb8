// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// The Steam libraries (game folders, often on other drives) that a Steam install lists in its
// steamapps/libraryfolders.vdf, written in Valve's text KeyValues: quoted keys and values with
// backslash escapes, nested braces and // comments.
namespace SteamLibraries {

// Each library's folder: the "path" of every entry, or in the older layout every numbered value.
// Absent when the text is not such a file (binary, unterminated, unbalanced, nested too deep).
std::optional<QStringList> parse(QByteArrayView text);

// The libraries `vdfFile` lists; none when it is missing, not a regular file, over 1 MiB or broken.
QStringList read(const QString &vdfFile);

} // namespace SteamLibraries
