// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "LoginItem.h"

#include "AppIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

LoginItem::LoginItem(const QString &program)
    : LoginItem(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/autostart/"_L1 +
                    AppIdentity::id() + ".desktop"_L1,
                program)
{}

bool LoginItem::isEnabled() const
{
    return QFileInfo(m_path).isFile();
}

bool LoginItem::setEnabled(bool enabled)
{
    if (!enabled)
        return QFile::remove(m_path) || !QFileInfo::exists(m_path);
    if (!QDir().mkpath(QFileInfo(m_path).path()))
        return false;
    QSaveFile entry(m_path);
    if (!entry.open(QIODevice::WriteOnly))
        return false;
    const QString text =
        u"[Desktop Entry]\n"
        "Type=Application\n"
        "Name=%1\n"
        "Exec=%2\n"
        "Icon=%3\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n"_s.arg(AppIdentity::name(), execLine(m_program), AppIdentity::id());
    entry.write(text.toUtf8());
    return entry.commit();
}

// The Exec key quotes an argument in double quotes, escaping " ` $ and \ inside them; the value as a
// whole then escapes each backslash once more (and the control characters a line cannot hold), and
// a literal % is written %%.
QString LoginItem::execLine(const QString &program)
{
    QString quoted = u"\""_s;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted += u'"';
    quoted.replace(u'\\', "\\\\"_L1)
        .replace(u'\n', "\\n"_L1)
        .replace(u'\t', "\\t"_L1)
        .replace(u'\r', "\\r"_L1);
    return quoted.replace(u'%', "%%"_L1) + " --background"_L1;
}
