// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "AppModel.h"

#include "Logging.h"

#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QRegularExpression>
#include <QThreadPool>
#include <QTimeZone>
#include <QtConcurrent>

using namespace Qt::StringLiterals;

namespace {

const QString linkCodeKey = u"linkCode"_s;
const QString bridgeEnabledKey = u"bridgeEnabled"_s;

// The native stores keep a real boolean; the INI file on Linux keeps the text "true" or "false".
// Anything else (a hand-edited "yes", a number) is not a boolean and reads as off.
bool storedBoolean(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    return value.typeId() == QMetaType::QString && value.toString() == "true"_L1;
}

// The settings hold the link code, which nobody but the player may read. Takes access away from
// others and never gives any: a folder the player made read-only stays so.
void keepPrivate(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        QFile::setPermissions(path,
                              info.permissions() & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

// Runs `handler` with the future's result on the owner's thread, unless the owner is gone by then.
template<typename T, typename Handler> void whenReady(QObject *owner, QFuture<T> future, Handler handler)
{
    auto *watcher = new QFutureWatcher<T>(owner);
    QObject::connect(watcher, &QFutureWatcherBase::finished, owner, [watcher, handler = std::move(handler)] {
        watcher->deleteLater();
        handler(watcher->result());
    });
    watcher->setFuture(std::move(future));
}

// A lookup may take seconds (a library on a slow share) or never end (a hung mount). It gets a thread
// of its own, outside Qt's global pool, which the application would wait for when it quits.
QThreadPool &lookupThread()
{
    static QThreadPool *const pool = [] {
        auto *threads = new QThreadPool;
        threads->setMaxThreadCount(1);
        return threads;
    }();
    return *pool;
}

} // namespace

AppModel::AppModel(Collaborators collaborators, QObject *parent)
    : QObject(parent), m_collaborators(std::move(collaborators))
{
    // Upper-cased for the model only; the store keeps what it has until the next write.
    const QSettings settings;
    keepPrivate(QFileInfo(settings.fileName()).path()); // as an earlier version left them
    keepPrivate(settings.fileName());
    m_linkCode = settings.value(linkCodeKey).toString().toUpper();
    m_bridgeEnabled = storedBoolean(settings.value(bridgeEnabledKey));
}

bool AppModel::codeValid() const
{
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(u"[A-Z0-9]{%1,%2}"_s.arg(shortestLinkCode).arg(longestLinkCode)));
    return pattern.match(m_linkCode).hasMatch();
}

template<typename T> void AppModel::store(T &field, T value, void (AppModel::*changed)())
{
    emit willChange();
    field = std::move(value);
    emit(this->*changed)();
}

void AppModel::setLinkCode(const QString &code)
{
    if (code != m_linkCode)
        m_unsent.forget(); // owed to the account of the old code only
    store(m_linkCode, code, &AppModel::linkCodeChanged);
    persist(linkCodeKey, code);
}

void AppModel::setBridgeEnabled(bool enabled)
{
    store(m_bridgeEnabled, enabled, &AppModel::bridgeEnabledChanged);
    persist(bridgeEnabledKey, enabled);
    if (enabled) {
        m_logDue = LogWork::lookUp;
        tick(); // so the log is followed from about now, not from the next tick
    } else {
        m_logDue = LogWork::none;
        m_unsent.forget();
        stopFollowing();
    }
}

// Written through at once and checked, so a setting that would be lost at the next start is told. A
// QSettings keeps its first error for good, so each write asks a fresh one; Qt shares the file's
// contents between them, and a write that fails stays pending for the next.
void AppModel::persist(const QString &key, const QVariant &value)
{
    QSettings settings;
    const QString folder = QFileInfo(settings.fileName()).path();
    QDir().mkpath(folder); // and private, before the code is written into it
    keepPrivate(folder);
    settings.setValue(key, value);
    settings.sync();
    keepPrivate(settings.fileName());
    store(m_settingsSaved, settings.status() == QSettings::NoError, &AppModel::settingsSavedChanged);
}

void AppModel::stopFollowing()
{
    emit willChange();
    m_tailer.reset();
    emit followedLogChanged();
}

void AppModel::start()
{
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setTimerType(Qt::PreciseTimer);
        connect(m_timer, &QTimer::timeout, this, &AppModel::tick);
        m_timer->start(m_collaborators.period);
    }
    QMetaObject::invokeMethod(this, &AppModel::tick, Qt::QueuedConnection);
}

// One tick, top to bottom: the game check; then, while syncing, a lookup of the log where one is due,
// a poll of it where one is due, and the upload of what the poll gave, or of a payload owed since a
// failed try. The check and the lookup run off this thread, and so does the upload, so a tick may
// find the work of an earlier one still under way (`m_busy`): it then leaves the log to the next tick
// after it, and what is due waits in `m_logDue`.
void AppModel::tick()
{
    whenReady(this, QtConcurrent::run(m_collaborators.isGameRunning), [this](bool running) {
        noteGame(running);
        if (!syncing() || m_busy)
            return;
        m_busy = true;
        followNewestLogIfDue([this] { uploadNewest([this] { m_busy = false; }); });
    });
}

void AppModel::noteGame(bool running)
{
    const bool wasRunning = m_gameRunning;
    store(m_gameRunning, running, &AppModel::gameRunningChanged);
    if (!syncing())
        return;
    // The game has just started, so its log may be a new one; or no log was found yet, as on a first
    // game session, where the game creates it after it starts.
    if (running && (!wasRunning || !followedLog()))
        m_logDue = LogWork::lookUp;
    // Read while it runs, and once after it stops: what it wrote last, its final figures among them.
    else if (running || wasRunning)
        m_logDue = std::max(m_logDue, LogWork::poll);
}

// The lookup runs on a thread of its own: the window, the tray and Quit never wait for it. The log is
// followed from where the lookup found its end, so what the game writes meanwhile is read by the poll
// after it.
void AppModel::followNewestLogIfDue(std::function<void()> then)
{
    if (m_logDue != LogWork::lookUp)
        return then();
    whenReady(this, QtConcurrent::run(&lookupThread(), m_collaborators.findLog),
              [this, then = std::move(then)](const GameWatcher::LogLookup &found) {
                  // Without a new log the tailer keeps following what it followed; where was searched
                  // is news.
                  emit willChange();
                  m_searchedFolders = found.searched;
                  if (found.path && syncing())
                      m_tailer.open(*found.path, found.size);
                  emit followedLogChanged();
                  then();
              });
}

// The newest payload in the log, when a poll is due; else the one owed since a failed try, once its
// wait is over.
void AppModel::uploadNewest(std::function<void()> done)
{
    const bool pollDue = std::exchange(m_logDue, LogWork::none) != LogWork::none;
    if (!syncing()) // switched off, or the code changed, while the lookup ran
        return done();
    const std::optional<QString> payload = pollDue ? m_tailer.poll() : std::nullopt;
    if (!payload) {
        const std::optional<QJsonObject> owed = m_unsent.due(m_collaborators.clock());
        return owed ? upload(*owed, true, std::move(done)) : done();
    }
    // Read once, for the figures and for the upload.
    const std::optional<QJsonObject> data = Uploader::payloadData(*payload);
    if (!data) {
        apply(Uploader::badPayload());
        return done();
    }
    if (std::optional<Metrics> metrics = Metrics::from(*data))
        store(m_metrics, std::move(metrics), &AppModel::metricsChanged);
    upload(*data, false, std::move(done));
}

// `again` when `data` is the payload owed since a failed try.
void AppModel::upload(const QJsonObject &data, bool again, std::function<void()> done)
{
    const QString code = m_linkCode;
    whenReady(this, Uploader::send(m_collaborators.endpoint, code, data),
              [this, data, again, code, done = std::move(done)](const Uploader::Result &result) {
                  apply(result);
                  // Owed only while it would still be sent: sync on, under the same code.
                  if (result.mayPass && m_bridgeEnabled && m_linkCode == code)
                      m_unsent.failed(data, again, m_collaborators.clock());
                  else // accepted, refused for good, or no longer wanted; an older one is past too
                      m_unsent.forget();
                  done();
              });
}

void AppModel::apply(const Uploader::Result &result)
{
    using Kind = Uploader::Result::Kind;
    if (result.kind != Kind::ok)
        qCInfo(lcUpload).noquote() << "upload failed:" << result.reason;
    switch (result.kind) {
    case Kind::ok:
        store(m_serverState, ServerState::connected, &AppModel::serverStateChanged);
        store(m_lastSync, std::optional(QDateTime::fromSecsSinceEpoch(result.syncTime, QTimeZone::utc())),
              &AppModel::lastSyncChanged);
        store(m_statusMessage, std::optional<QString>(), &AppModel::statusMessageChanged);
        break;
    case Kind::rejected:
        store(m_serverState, ServerState::rejected, &AppModel::serverStateChanged);
        store(m_statusMessage, std::optional(result.message), &AppModel::statusMessageChanged);
        break;
    case Kind::unreachable:
        store(m_serverState, ServerState::unreachable, &AppModel::serverStateChanged);
        store(m_statusMessage, std::optional(tr("Server unreachable")), &AppModel::statusMessageChanged);
        break;
    }
    store(m_failureReason, result.kind == Kind::ok ? std::nullopt : std::optional(result.reason),
          &AppModel::failureReasonChanged);
}
