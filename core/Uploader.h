// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QFuture>
#include <QJsonObject>
#include <QNetworkReply>
#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

// Posts one game payload with the user's link code to the dashboard and sorts the answer into
// one of three outcomes. Never throws: every failure is a Result.
namespace Uploader {

struct Result
{
    enum class Kind { ok, rejected, unreachable };
    Kind kind = Kind::unreachable;
    qint64 syncTime = 0; // ok: seconds since 1970 UTC
    QString message;     // rejected: the text to show the user
    QString reason;      // rejected, unreachable: what happened, in the player's language
    // A failure that may pass, so the payload is worth sending again: no answer, a server error
    // (5xx), or too many requests (429).
    bool mayPass = false;

    static Result ok(qint64 syncTime) { return {Kind::ok, syncTime, {}, {}, false}; }
    static Result rejected(const QString &message, const QString &reason, int httpStatus = 0)
    {
        return {Kind::rejected, 0, message, reason, httpStatus / 100 == 5 || httpStatus == 429};
    }
    static Result unreachable(const QString &reason) { return {Kind::unreachable, 0, {}, reason, true}; }
    friend bool operator==(const Result &, const Result &) = default;
};

// What came back for one upload, as the network left it.
struct Answer
{
    int httpStatus = 0; // 0: no answer arrived
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorText;            // Qt's words for the error
    bool redirectRefused = false; // a redirect away from the dashboard, or one too many
    bool tooLong = false;         // cut off at the answer limit
    QByteArray body;
};

struct Limits
{
    std::chrono::milliseconds idle{15000};    // no byte sent or received for this long
    std::chrono::milliseconds overall{60000}; // a server trickling bytes must not hold an upload forever
    qint64 maxAnswerBytes = 1024 * 1024;
};

// https://<dashboard host>/api/ingest.php
QUrl endpoint();

// The payload as the dashboard takes it, a JSON object; absent for anything else the game wrote.
std::optional<QJsonObject> payloadData(const QString &payloadJSON);
// The outcome for a payload that is not one.
Result badPayload();

// Call on the application's thread; the exchange itself never blocks it.
QFuture<Result> send(const QString &code, const QString &payloadJSON);
QFuture<Result> send(const QUrl &endpoint, const QString &code, const QString &payloadJSON,
                     Limits limits = {});
QFuture<Result> send(const QUrl &endpoint, const QString &code, const QJsonObject &data, Limits limits = {});

// The outcome of one upload's answer.
Result classify(const Answer &answer);

} // namespace Uploader
