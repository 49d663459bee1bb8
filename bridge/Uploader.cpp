#include "Uploader.h"

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
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// One client for the process, so connections and TLS sessions to the dashboard are reused.
QNetworkAccessManager &network()
{
    static QPointer<QNetworkAccessManager> shared;
    if (!shared)
        shared = new QNetworkAccessManager(QCoreApplication::instance());
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

// Failures below HTTP: no connection, TLS, timeouts, cancellation, a refused redirect, proxies, and a
// broken answer. Qt reports HTTP error statuses as errors too; those still carry a status and a body.
bool isTransportFailure(QNetworkReply::NetworkError error)
{
    return (error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied) ||
           error == QNetworkReply::ProtocolFailure;
}

struct Exchange
{
    QPromise<Uploader::Result> promise;
    QByteArray answer;
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
    const std::optional<QJsonObject> data = parseObject(payloadJSON.toUtf8());
    if (!data)
        return QtFuture::makeReadyFuture(Result::rejected(u"Bad payload from game"_s));
    // Qt's encoder cannot fail on an object (it escapes even lone surrogates), so a body is always built.
    const QByteArray body =
        QJsonDocument({{u"code"_s, code}, {u"source"_s, u"mac-bridge"_s}, {u"data"_s, *data}})
            .toJson(QJsonDocument::Compact);

    QNetworkRequest post(url);
    post.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    post.setTransferTimeout(int(limits.idle.count()));
    post.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply *reply = network().post(post, body);
    // Qt stops reading from the connection while this much is waiting, so a huge answer never piles up.
    reply->setReadBufferSize(limits.maxAnswerBytes + 1);

    auto exchange = std::make_shared<Exchange>();
    exchange->promise.start();
    QTimer::singleShot(limits.overall, reply, &QNetworkReply::abort);

    // Keeps at most one byte more than the limit, which is enough to know the answer is too large.
    const qint64 limit = limits.maxAnswerBytes;
    const auto readAnswer = [reply, exchange, limit] {
        exchange->answer += reply->read(limit + 1 - exchange->answer.size());
        return exchange->answer.size() <= limit;
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, readAnswer] {
        if (!readAnswer())
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, exchange, readAnswer, limit] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        Result result;
        if (exchange->answer.size() > limit) // cut off by us: no usable object, whatever it held
            result = classify(status, {});
        else if (status == 0 || isTransportFailure(reply->error()))
            result = Result::unreachable();
        else
            result = classify(status, readAnswer() ? exchange->answer : QByteArray());
        exchange->promise.addResult(result);
        exchange->promise.finish();
    });
    return exchange->promise.future();
}

Uploader::Result Uploader::classify(int httpStatus, const QByteArray &body)
{
    const std::optional<QJsonObject> answer = parseObject(body);
    if (httpStatus == 200 && answer && isTrue(answer->value("ok"_L1)))
        return Result::ok(
            wholeNumber(answer->value("updated"_L1)).value_or(QDateTime::currentSecsSinceEpoch()));
    if (answer && answer->value("error"_L1).isString())
        return Result::rejected(answer->value("error"_L1).toString());
    return Result::rejected(u"Server error "_s + QString::number(httpStatus));
}
