// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

// "Start at login" on Linux desktops: an XDG autostart entry that starts the bridge in the
// background. The entry's existence is the setting, so the desktop's own autostart settings and
// the bridge's menu always agree.
class LoginItem
{
public:
    // The entry in $XDG_CONFIG_HOME/autostart (~/.config/autostart), starting `program`.
    explicit LoginItem(const QString &program);
    LoginItem(const QString &entryPath, const QString &program) : m_path(entryPath), m_program(program) {}

    QString path() const { return m_path; }
    bool isEnabled() const;
    // Writes or removes the entry; false when the file system refused.
    bool setEnabled(bool enabled);

    // `program --background` as a desktop entry's Exec value, quoted and escaped.
    static QString execLine(const QString &program);

private:
    QString m_path;
    QString m_program;
};
