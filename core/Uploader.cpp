// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "Uploader.h"

#include "FreedMemory.h"
#include "Int64.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QPromise>
#include <QTimeZone>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// One client for the process, so connections and TLS sessions to the dashboard are reused.
QNetworkAccessManager &network()
{
    static QPointer<QNetworkAccessManager> shared;
    if (!shared) {
        shared = new QNetworkAccessManager(QCoreApplication::instance());
        // Gone while the application still is: closing a TLS connection asks for it.
        qAddPostRoutine([] { delete shared.data(); });
    }
    return *shared;
}

std::optional<QJsonObject> parseObject(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

// The dashboard sends "ok": true; the number 1 is honoured too.
bool isTrue(const QJsonValue &value)
{
    return value.isBool() ? value.toBool() : value.isDouble() && value.toDouble() == 1.0;
}

std::optional<qint64> wholeNumber(const QJsonValue &value)
{
    const QVariant number = value.toVariant(); // an integer in the text stays exact as qlonglong
    if (number.typeId() == QMetaType::LongLong)
        return number.toLongLong();
    if (number.typeId() == QMetaType::Double)
        return exactInt64(number.toDouble());
    return std::nullopt;
}

// The time a sync happened, as the dashboard says it: a whole number of seconds that a date can hold.
std::optional<qint64> syncTime(const QJsonValue &value)
{
    const std::optional<qint64> seconds = wholeNumber(value);
    if (!seconds || !QDateTime::fromSecsSinceEpoch(*seconds, QTimeZone::utc()).isValid())
        return std::nullopt;
    return seconds;
}

// Failures below HTTP: no connection, TLS, timeouts, cancellation, a refused redirect, proxies, and a
// broken answer. Qt reports HTTP error statuses as errors too; those still carry a status and a body.
bool isTransportFailure(QNetworkReply::NetworkError error)
{
    return (error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied) ||
           error == QNetworkReply::ProtocolFailure;
}

// A future that is already done. Qt 6.6 renamed the call that makes one.
template<typename T> QFuture<T> readyFuture(T value)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    return QtFuture::makeReadyValueFuture(std::move(value));
#else
    return QtFuture::makeReadyFuture(std::move(value));
#endif
}

// One upload: posts the body, follows redirects that stay on the dashboard, keeps at most the answer limit of
// what comes back, and settles the outcome once the last answer has ended. Deletes itself then.
class Exchange : public QObject
{
public:
    Exchange(QByteArray body, Uploader::Limits limits)
        : QObject(&network()), m_body(std::move(body)), m_limits(limits)
    {
        m_promise.start();
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] {
            m_overdue = true;
            m_reply->abort();
        });
        m_deadline.start(m_limits.overall);
        // While an answer streams in faster than Qt hands it over, Qt signals nothing at all: what it
        // has received for us is looked at on a clock of our own.
        connect(&m_sizeCheck, &QTimer::timeout, this, [this] {
            if (m_answer.size() + m_reply->bytesAvailable() > m_limits.maxAnswerBytes)
                giveUpOnTheAnswer();
        });
        m_sizeCheck.start(100);
    }

    QFuture<Uploader::Result> post(const QUrl &url)
    {
        if (m_origin.isEmpty())
            m_origin = url;
        QNetworkRequest request(url);
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        request.setTransferTimeout(int(m_limits.idle.count()));
        // Followed here rather than by Qt, which drops the body of a 3xx answer without a Location.
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        m_answer.clear();
        m_reply = network().post(request, m_body);
        // Qt stops reading from the connection while this much is waiting.
        m_reply->setReadBufferSize(m_limits.maxAnswerBytes + 1);
        connect(m_reply, &QNetworkReply::readyRead, this, &Exchange::keepAnswer);
        connect(m_reply, &QNetworkReply::finished, this, &Exchange::answered);
        return m_promise.future();
    }

private:
    static constexpr int maxRedirects = 5;

    void keepAnswer()
    {
        m_answer += m_reply->read(m_limits.maxAnswerBytes + 1 - m_answer.size());
        if (m_answer.size() > m_limits.maxAnswerBytes)
            giveUpOnTheAnswer();
    }

    void giveUpOnTheAnswer()
    {
        m_answerTooLong = true;
        m_reply->abort();
    }

    void answered()
    {
        m_reply->deleteLater();
        if (!m_answerTooLong && m_reply->isOpen()) // not once a timeout has closed it
            keepAnswer();
        if (const std::optional<QUrl> next = redirectTarget(); next && ++m_redirects <= maxRedirects) {
            post(*next);
            return;
        }
        m_deadline.stop();
        m_sizeCheck.stop();
        if (m_answerTooLong) // once Qt has dropped the pieces still queued for us
            QTimer::singleShot(1000, &network(), returnFreedMemory);
        const Uploader::Result result = Uploader::classify(answer());
        // A connection that never answered (a handshake the other side left hanging) would stay in
        // Qt's pool, and later uploads would queue behind it: the next one starts afresh.
        if (result.kind == Uploader::Result::Kind::unreachable)
            network().clearConnectionCache();
        m_promise.addResult(result);
        m_promise.finish();
        deleteLater();
    }

    int status() const { return m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(); }

    // Only within the dashboard's own scheme, host and port: the link code goes to nobody else, and
    // never in the clear.
    std::optional<QUrl> redirectTarget() const
    {
        const QUrl target = m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
        if (m_answerTooLong || status() / 100 != 3 || target.isEmpty())
            return std::nullopt;
        const QUrl next = m_reply->url().resolved(target);
        const bool sameOrigin = next.scheme() == m_origin.scheme() && next.host() == m_origin.host() &&
                                next.port(443) == m_origin.port(443);
        return sameOrigin ? std::optional(next) : std::nullopt;
    }

    Uploader::Answer answer() const
    {
        const int status = this->status();
        const bool redirected =
            !m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl().isEmpty();
        return {status,          m_reply->error(), failure(), status / 100 == 3 && redirected,
                m_answerTooLong, m_answer};
    }

    // Qt's words, but for the limits, which Qt reports as a cancellation.
    QString failure() const
    {
        if (m_overdue)
            return QCoreApplication::translate("Uploader", "no whole answer within %1 ms")
                .arg(m_limits.overall.count());
        if (m_reply->error() == QNetworkReply::OperationCanceledError)
            return QCoreApplication::translate("Uploader", "nothing received for %1 ms")
                .arg(m_limits.idle.count());
        return m_reply->errorString();
    }

    const QByteArray m_body;
    const Uploader::Limits m_limits;
    QPromise<Uploader::Result> m_promise;
    QTimer m_deadline; // a server trickling bytes must not hold an upload for ever
    QTimer m_sizeCheck;
    QUrl m_origin; // where the upload was sent first
    QNetworkReply *m_reply = nullptr;
    QByteArray m_answer;
    bool m_answerTooLong = false;
    bool m_overdue = false; // the overall limit passed
    int m_redirects = 0;
};

} // namespace

QUrl Uploader::endpoint()
{
    static const QUrl url(u"https://"_s + QLatin1StringView(CORVANE_DASHBOARD_HOST) + u"/api/ingest.php"_s);
    return url;
}

QFuture<Uploader::Result> Uploader::send(const QString &code, const QString &payloadJSON)
{
    return send(endpoint(), code, payloadJSON);
}

QFuture<Uploader::Result> Uploader::send(const QUrl &url, const QString &code, const QString &payloadJSON,
                                         Limits limits)
{
    const std::optional<QJsonObject> data = payloadData(payloadJSON);
    return data ? send(url, code, *data, limits) : readyFuture(badPayload());
}

QFuture<Uploader::Result> Uploader::send(const QUrl &url, const QString &code, const QJsonObject &data,
                                         Limits limits)
{
    // Qt's encoder cannot fail on an object (it escapes even lone surrogates), so a body is always built.
    const QByteArray body =
        QJsonDocument({{u"code"_s, code}, {u"source"_s, u"mac-bridge"_s}, {u"data"_s, data}})
            .toJson(QJsonDocument::Compact);
    return (new Exchange(body, limits))->post(url);
}

std::optional<QJsonObject> Uploader::payloadData(const QString &payloadJSON)
{
    return parseObject(payloadJSON.toUtf8());
}

Uploader::Result Uploader::badPayload()
{
    return Result::rejected(
        QCoreApplication::translate("Uploader", "Bad payload from game"),
        QCoreApplication::translate("Uploader", "the game's payload is not a JSON object"));
}

Uploader::Result Uploader::classify(const Answer &answer)
{
    const int status = answer.httpStatus;
    // In the player's language: the window shows it too.
    const auto reason = [status](const char *text) {
        return QCoreApplication::translate("Uploader", text).arg(status);
    };
    const QString serverError = reason(QT_TRANSLATE_NOOP("Uploader", "Server error %1"));
    // Cut off by us: no usable object, whatever it held.
    if (answer.tooLong)
        return Result::rejected(
            serverError, reason(QT_TRANSLATE_NOOP("Uploader", "HTTP %1, an answer over the size limit")),
            status);
    // Qt ends the exchange at an informational answer (103 Early Hints) and drops the final one that
    // follows, so no outcome has arrived.
    if (status / 100 == 1)
        return Result::unreachable(
            reason(QT_TRANSLATE_NOOP("Uploader", "only an informational answer, HTTP %1")));
    // Qt reports a 407 as a proxy failure, but without a proxy it is the dashboard's answer.
    const bool arrived = status != 0 && (!isTransportFailure(answer.error) ||
                                         answer.error == QNetworkReply::ProxyAuthenticationRequiredError);
    if (!arrived)
        return Result::unreachable(answer.errorText);
    if (answer.redirectRefused)
        return Result::unreachable(reason(
            QT_TRANSLATE_NOOP("Uploader", "a redirect away from the dashboard, or one too many, HTTP %1")));
    const std::optional<QJsonObject> object = parseObject(answer.body);
    if (status == 200 && object && isTrue(object->value("ok"_L1)))
        return Result::ok(syncTime(object->value("updated"_L1)).value_or(QDateTime::currentSecsSinceEpoch()));
    if (object && object->value("error"_L1).isString()) {
        const QString error = object->value("error"_L1).toString();
        return Result::rejected(error, reason(QT_TRANSLATE_NOOP("Uploader", "HTTP %1: %2")).arg(error),
                                status);
    }
    return Result::rejected(
        serverError, reason(QT_TRANSLATE_NOOP("Uploader", "HTTP %1, no result in the answer")), status);
}
