#pragma once

#include <QByteArray>
#include <QFuture>
#include <QString>
#include <QUrl>

#include <chrono>

// Posts one game payload with the user's link code to the dashboard and sorts the answer into
// one of three outcomes. Never throws: every failure is a Result.
namespace Uploader {

struct Result
{
    enum class Kind { ok, rejected, unreachable };
    Kind kind = Kind::unreachable;
    qint64 syncTime = 0; // ok: seconds since 1970 UTC
    QString message;     // rejected: the text to show the user

    static Result ok(qint64 syncTime) { return {Kind::ok, syncTime, {}}; }
    static Result rejected(const QString &message) { return {Kind::rejected, 0, message}; }
    static Result unreachable() { return {Kind::unreachable, 0, {}}; }
    friend bool operator==(const Result &, const Result &) = default;
};

struct Limits
{
    std::chrono::milliseconds idle{15000};    // no byte sent or received for this long
    std::chrono::milliseconds overall{60000}; // a server trickling bytes must not hold an upload forever
    qint64 maxAnswerBytes = 1024 * 1024;
};

// https://<dashboard host>/api/ingest.php
QUrl endpoint();

// Call on the application's thread; the exchange itself never blocks it.
QFuture<Result> send(const QString &code, const QString &payloadJSON);
QFuture<Result> send(const QUrl &endpoint, const QString &code, const QString &payloadJSON,
                     Limits limits = {});

// The outcome of an HTTP answer that arrived whole.
Result classify(int httpStatus, const QByteArray &body);

} // namespace Uploader
