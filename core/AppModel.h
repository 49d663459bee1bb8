// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include "GameWatcher.h"
#include "LogTailer.h"
#include "Metrics.h"
#include "UnsentPayload.h"
#include "Uploader.h"

#include <QDateTime>
#include <QObject>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <QVariant>

#include <chrono>
#include <functional>
#include <optional>

// The one observable state of the bridge: the two settings the user gives it, what the sync cycle
// learns, and the cycle itself. Lives on the GUI thread; every write of a published field emits
// willChange() first, then the field's own change signal.
class AppModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString linkCode READ linkCode WRITE setLinkCode NOTIFY linkCodeChanged)
    Q_PROPERTY(bool bridgeEnabled READ bridgeEnabled WRITE setBridgeEnabled NOTIFY bridgeEnabledChanged)
    Q_PROPERTY(bool codeValid READ codeValid NOTIFY linkCodeChanged)
    Q_PROPERTY(bool gameRunning READ gameRunning NOTIFY gameRunningChanged)
    Q_PROPERTY(ServerState serverState READ serverState NOTIFY serverStateChanged)
    // The optional fields reach QML as variants: undefined when absent.
    Q_PROPERTY(QVariant lastSync READ lastSyncVariant NOTIFY lastSyncChanged)
    Q_PROPERTY(QVariant statusMessage READ statusMessageVariant NOTIFY statusMessageChanged)
    // Why the last upload failed, in the player's language where the words are ours.
    Q_PROPERTY(QVariant failureReason READ failureReasonVariant NOTIFY failureReasonChanged)
    Q_PROPERTY(QVariant metrics READ metricsVariant NOTIFY metricsChanged)
    // The log being followed (undefined when none), and where the last lookup searched.
    Q_PROPERTY(QVariant followedLog READ followedLogVariant NOTIFY followedLogChanged)
    Q_PROPERTY(QStringList searchedFolders READ searchedFolders NOTIFY followedLogChanged)
    // False while the last write of a setting could not be saved, so it would be lost at a restart.
    Q_PROPERTY(bool settingsSaved READ settingsSaved NOTIFY settingsSavedChanged)
    Q_PROPERTY(QString settingsFile READ settingsFile CONSTANT)

public:
    enum class ServerState { idle, connected, unreachable, rejected };
    Q_ENUM(ServerState)

    // What the sync cycle talks to. The defaults are the real game, log and dashboard; tests swap in
    // their own.
    struct Collaborators
    {
        std::function<bool()> isGameRunning = GameWatcher::isRunning;             // runs on the thread pool
        std::function<GameWatcher::LogLookup()> findLog = GameWatcher::lookUpLog; // on a thread of its own
        QUrl endpoint = Uploader::endpoint();
        std::chrono::milliseconds period{3000};
        std::function<UnsentPayload::Clock::time_point()> clock = UnsentPayload::Clock::now;
    };

    explicit AppModel(QObject *parent = nullptr) : AppModel(Collaborators(), parent) {}
    explicit AppModel(Collaborators collaborators, QObject *parent = nullptr);

    QString linkCode() const { return m_linkCode; }
    bool bridgeEnabled() const { return m_bridgeEnabled; }
    // A valid link code: 6 to 12 of A-Z and 0-9.
    static constexpr int shortestLinkCode = 6, longestLinkCode = 12;
    bool codeValid() const;
    bool gameRunning() const { return m_gameRunning; }
    ServerState serverState() const { return m_serverState; }
    std::optional<QDateTime> lastSync() const { return m_lastSync; }
    std::optional<QString> statusMessage() const { return m_statusMessage; }
    std::optional<QString> failureReason() const { return m_failureReason; }
    std::optional<Metrics> metrics() const { return m_metrics; }
    std::optional<QString> followedLog() const { return m_tailer.path(); }
    QStringList searchedFolders() const { return m_searchedFolders; }
    bool settingsSaved() const { return m_settingsSaved; }
    QString settingsFile() const { return QSettings().fileName(); }

    // Stored as given and persisted; the link-code field filters what the user types.
    void setLinkCode(const QString &code);
    // Persisted; switching on follows the newest log from its end, switching off stops following.
    void setBridgeEnabled(bool enabled);

    // Runs a tick at once; the first call also starts the one timer that ticks every period for the
    // model's life.
    void start();

signals:
    void willChange();
    void linkCodeChanged();
    void bridgeEnabledChanged();
    void gameRunningChanged();
    void serverStateChanged();
    void lastSyncChanged();
    void statusMessageChanged();
    void failureReasonChanged();
    void metricsChanged();
    void followedLogChanged();
    void settingsSavedChanged();

private:
    QVariant lastSyncVariant() const { return m_lastSync ? QVariant(*m_lastSync) : QVariant(); }
    QVariant statusMessageVariant() const
    {
        return m_statusMessage ? QVariant(*m_statusMessage) : QVariant();
    }
    QVariant failureReasonVariant() const
    {
        return m_failureReason ? QVariant(*m_failureReason) : QVariant();
    }
    QVariant metricsVariant() const { return m_metrics ? QVariant::fromValue(*m_metrics) : QVariant(); }
    QVariant followedLogVariant() const { return followedLog() ? QVariant(*followedLog()) : QVariant(); }

    template<typename T> void store(T &field, T value, void (AppModel::*changed)());

    bool syncing() const { return m_bridgeEnabled && codeValid(); }
    void tick();
    void noteGame(bool running);
    void followNewestLogIfDue(std::function<void()> then);
    void uploadNewest(std::function<void()> done);
    void upload(const QJsonObject &data, bool again, std::function<void()> done);
    void apply(const Uploader::Result &result);
    void stopFollowing();
    void persist(const QString &key, const QVariant &value);

    const Collaborators m_collaborators;
    LogTailer m_tailer;
    QTimer *m_timer = nullptr;
    // What the log needs at the next tick that reaches it; a lookup comes with a poll after it.
    enum class LogWork { none, poll, lookUp };
    LogWork m_logDue = LogWork::none;
    bool m_busy = false; // a tick's lookup, poll or upload is under way
    UnsentPayload m_unsent;

    QString m_linkCode;
    bool m_bridgeEnabled = false;
    bool m_gameRunning = false;
    ServerState m_serverState = ServerState::idle;
    std::optional<QDateTime> m_lastSync;
    std::optional<QString> m_statusMessage;
    std::optional<QString> m_failureReason;
    std::optional<Metrics> m_metrics;
    QStringList m_searchedFolders;
    bool m_settingsSaved = true;
};
