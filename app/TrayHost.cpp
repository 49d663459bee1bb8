// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "TrayHost.h"

#include <QGuiApplication>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#else
#include <QSystemTrayIcon>
#endif

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
// The X11 tray is whoever owns the selection _NET_SYSTEM_TRAY_S<screen> on the display's screen.
bool hasXEmbedTray()
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // The offscreen platform offers the interface too, with no connection behind it.
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype dot = display.lastIndexOf('.');
    const QByteArray screen = dot > display.lastIndexOf(':') ? display.mid(dot + 1) : "0";
    const QByteArray selection = "_NET_SYSTEM_TRAY_S" + screen;
    const auto release = [](void *reply) { std::free(reply); };
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(release)> atom(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, true, selection.size(), selection.data()), nullptr),
        release);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(release)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr),
        release);
    return owner && owner->owner != XCB_NONE;
}
#endif

} // namespace

TrayHost::TrayHost(QObject *parent) : QObject(parent)
{
    connect(&m_asking, &QTimer::timeout, this, &TrayHost::ask);
}

void TrayHost::watch()
{
    m_asking.start(1s);
    ask();
}

void TrayHost::ask()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (hasXEmbedTray()) {
        found();
        return;
    }
    // Asked without waiting: a session bus that hangs must not hang the window.
    QDBusMessage question =
        QDBusMessage::createMethodCall(u"org.kde.StatusNotifierWatcher"_s, u"/StatusNotifierWatcher"_s,
                                       u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    question << u"org.kde.StatusNotifierWatcher"_s << u"IsStatusNotifierHostRegistered"_s;
    auto *answer = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(question, 1000), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [this, answer] {
        answer->deleteLater();
        const QDBusPendingReply<QDBusVariant> registered = *answer;
        if (registered.isValid() && registered.value().variant().toBool())
            found();
    });
#else
    if (QSystemTrayIcon::isSystemTrayAvailable())
        found();
#endif
}

void TrayHost::found()
{
    if (!m_asking.isActive())
        return; // answers still on their way
    m_asking.stop();
    emit arrived();
}
