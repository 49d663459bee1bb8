// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QFile>
#include <QString>

#include <optional>

// Which file a path named when it was opened: a replaced file is another file under the same name.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// Opens `path` for reading when it is a regular file. Anything else (a pipe, a device, a directory)
// could block a read or never end, so it counts as unreadable. Returns the file's identity (device
// and inode on Unix; always the same elsewhere), or absent when the file cannot be read.
std::optional<FileIdentity> openRegularFile(QFile &file, const QString &path);
