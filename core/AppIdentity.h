// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QCoreApplication>
#include <QString>

// Who the bridge is to the system: the names its settings folder, lock and desktop entry go by. The
// values come from CMakeLists.txt, which names the installed files after them too.
namespace AppIdentity {

// Reverse-DNS name of the desktop entry, the icon and the macOS bundle.
inline QString id()
{
    return QStringLiteral(CORVANE_APP_ID);
}

inline QString name()
{
    return QStringLiteral(CORVANE_APP_NAME);
}

// Names the running application, so QSettings and QStandardPaths find the bridge's own folders.
inline void apply()
{
    QCoreApplication::setOrganizationName(QStringLiteral(CORVANE_ORGANISATION));
    QCoreApplication::setOrganizationDomain(QStringLiteral(CORVANE_ORGANISATION_DOMAIN));
    QCoreApplication::setApplicationName(name());
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
}

} // namespace AppIdentity
