// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include "AppModel.h"

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QPointer>

#include <optional>

// The texts and tones the window derives from the model. The rules are pure functions, tested from
// tables; the object form follows one model and tells QML when to read them again.
class Presentation : public QObject
{
    Q_OBJECT
    Q_PROPERTY(AppModel *model READ model WRITE setModel NOTIFY modelChanged REQUIRED)
    Q_PROPERTY(QString statusLine READ statusLine NOTIFY statusChanged)
    Q_PROPERTY(Tone statusTone READ statusTone NOTIFY statusChanged)
    Q_PROPERTY(QString statusDetail READ statusDetail NOTIFY statusChanged)
    Q_PROPERTY(QString gameState READ gameState NOTIFY statusChanged)
    Q_PROPERTY(Tone gameStateTone READ gameStateTone NOTIFY statusChanged)
    Q_PROPERTY(bool canLaunchGame READ canLaunchGame NOTIFY statusChanged)
    Q_PROPERTY(bool canSync READ canSync NOTIFY statusChanged)
    Q_PROPERTY(QString syncUnavailable READ syncUnavailable NOTIFY statusChanged)
    Q_PROPERTY(QString gameStateDetail READ gameStateDetail NOTIFY statusChanged)
    Q_PROPERTY(bool hasMetrics READ hasMetrics NOTIFY figuresChanged)
    Q_PROPERTY(QString balance READ balance NOTIFY figuresChanged)
    Q_PROPERTY(QString lines READ lines NOTIFY figuresChanged)
    Q_PROPERTY(QString onTime READ onTime NOTIFY figuresChanged)
    Q_PROPERTY(QString vehicles READ vehicles NOTIFY figuresChanged)
    Q_PROPERTY(bool hasDate READ hasDate NOTIFY figuresChanged)
    Q_PROPERTY(QString date READ date NOTIFY figuresChanged)
    Q_PROPERTY(QString dashboardHost READ dashboardHost CONSTANT)

public:
    // What a line's colour says; the window's Theme gives each tone its colour.
    enum class Tone { Inactive, Neutral, Good, Bad };
    Q_ENUM(Tone)

    struct Status
    {
        bool codeValid = false;
        bool bridgeEnabled = false;
        bool gameRunning = false;
        AppModel::ServerState serverState = AppModel::ServerState::idle;
        std::optional<QDateTime> lastSync = {};
        std::optional<QString> statusMessage = {};
        bool followingLog = false;
        std::optional<QString> failureReason = {};
    };

    // Shows every text in the language the player's session asks for, where the bridge has it.
    static void useThePlayersLanguage();

    static QString statusLine(const Status &status, const QLocale &locale = QLocale());
    static Tone statusTone(const Status &status);
    // Why the upload failed, while the status line says it did; empty otherwise.
    static QString statusDetail(const Status &status);
    // "Running", "Not running", or, while sync waits for a log that was not found, says so.
    static QString gameState(const Status &status);
    static Tone gameStateTone(const Status &status);
    // A text from the game or the dashboard, cut so that no line of the window has to lay out more.
    static QString shortened(const QString &text);
    // "$" and the whole amount, rounded half to even, grouped as the locale groups; "-" when absent.
    static QString currency(std::optional<double> amount, const QLocale &locale = QLocale());
    // The share is a percentage already: 87.9 shows as "87%".
    static QString percentage(std::optional<double> share);
    static QString count(std::optional<qint64> value);
    // The locale's medium time style: "2:05:09 PM" in the United States.
    static QString time(const QDateTime &moment, const QLocale &locale = QLocale());
    // What the link-code field stores for what the user typed.
    Q_INVOKABLE static QString linkCodeFrom(const QString &typed);

    explicit Presentation(QObject *parent = nullptr) : QObject(parent) {}

    AppModel *model() const { return m_model; }
    void setModel(AppModel *model);

    QString statusLine() const { return statusLine(status()); }
    Tone statusTone() const { return statusTone(status()); }
    QString statusDetail() const { return statusDetail(status()); }
    QString gameState() const { return gameState(status()); }
    Tone gameStateTone() const { return gameStateTone(status()); }
    // What the window and the tray offer: "Launch game" while the game is not running, the sync switch
    // once the code is valid (and why not, before).
    bool canLaunchGame() const { return m_model && !m_model->gameRunning(); }
    bool canSync() const { return m_model && m_model->codeValid(); }
    QString syncUnavailable() const;
    // Where the log was looked for, while it is missing.
    QString gameStateDetail() const;
    // What `--status` prints, an item a line: the status line, the game, the log, the last sync,
    // why the last upload failed, and how the bridge runs.
    QString report(bool headless) const;
    bool hasMetrics() const { return m_model && m_model->metrics(); }
    QString balance() const { return currency(metric(&Metrics::balance)); }
    QString lines() const { return count(metric(&Metrics::lines)); }
    QString onTime() const { return percentage(metric(&Metrics::onTime)); }
    QString vehicles() const { return count(metric(&Metrics::vehicles)); }
    bool hasDate() const { return metric(&Metrics::date).has_value(); }
    QString date() const { return shortened(metric(&Metrics::date).value_or(QString())); }
    QString dashboardHost() const { return Uploader::endpoint().host(); }

signals:
    void modelChanged();
    // Apart, so the figures are not formatted again at every tick, which rewrites gameRunning.
    void statusChanged();
    void figuresChanged();

private:
    Status status() const;
    // Why sync cannot run yet: the status line's words, and the sync switch's.
    static QString codeNeeded() { return tr("Enter a valid link code first"); }

    template<typename T> std::optional<T> metric(std::optional<T> Metrics::*field) const
    {
        const std::optional<Metrics> metrics = m_model ? m_model->metrics() : std::nullopt;
        return metrics ? (*metrics).*field : std::nullopt;
    }

    QPointer<AppModel> m_model;
};
