#include "HttpsTestServer.h"
#include "Uploader.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTest>

using Answer = HttpsTestServer::Answer;
using D = Answer::Delivery;
using Result = Uploader::Result;

namespace Uploader {
char *toString(const Result &r)
{
    return QTest::toString(
        QStringLiteral("%1(%2, \"%3\")").arg(int(r.kind)).arg(r.syncTime).arg(r.message.left(60)));
}
} // namespace Uploader

namespace {

constexpr qint64 now = -1; // in the table: "the current time when the answer came"
// Short limits, so that no case waits long; the endless answers stop at 64 KiB.
const Uploader::Limits limits{std::chrono::milliseconds(1000), std::chrono::milliseconds(3000), 64 * 1024};

Result upload(const QUrl &url, const QString &payload = "{}", const QString &code = "ABC123")
{
    const QFuture<Result> future = Uploader::send(url, code, payload, limits);
    if (!QTest::qWaitFor([&] { return future.isFinished(); }, 30000))
        return Result::rejected("<the upload never ended>");
    return future.result();
}

Answer json(int status, const QByteArray &body, QList<std::pair<QByteArray, QByteArray>> headers = {})
{
    return Answer{status, body, D::whole, headers};
}

} // namespace

class TestUploader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { HttpsTestServer::trustTestAuthority(); }

    void theRequestCarriesExactlyCodeSourceAndData()
    {
        HttpsTestServer server;
        const QString payload = R"({ "balance": 1500.25, "date": "3 Mar 1923", "extra": [1, {"x": null}] })";
        QCOMPARE(upload(server.url(), payload, "ab c1").kind, Result::Kind::ok);
        const HttpsTestServer::Request request = server.requests().value(0);
        QCOMPARE(request.method + ' ' + request.path, QByteArray("POST /api/ingest.php"));
        QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));
        QVERIFY(!request.body.contains('\n'));
        QCOMPARE(QJsonDocument::fromJson(request.body).object(),
                 QJsonObject({{"code", "ab c1"},
                              {"source", "mac-bridge"},
                              {"data", QJsonDocument::fromJson(payload.toUtf8()).object()}}));
    }

    void badPayloadsSendNothing()
    {
        HttpsTestServer server;
        for (const char *payload : {"[1,2]", "12", "balance=12", ""})
            QCOMPARE(Uploader::send(server.url(), "ABC123", payload).result(),
                     Result::rejected("Bad payload from game"));
        QTest::qWait(50);
        QVERIFY(server.requests().isEmpty());
    }

    void answersAreClassified_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<Result>("expected");
        const auto ok = Result::ok;
        const auto rejected = Result::rejected;
        const QByteArray finalAnswer =
            QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 26\r\n\r\n") + R"({"ok":true,"updated":1234})";

        QTest::newRow("accepted with the server's time")
            << json(200, R"({"ok":true,"updated":1700000000})") << ok(1700000000);
        QTest::newRow("accepted without a time") << json(200, R"({"ok":true})") << ok(now);
        QTest::newRow("a time as text") << json(200, R"({"ok":true,"updated":"1700000000"})") << ok(now);
        QTest::newRow("a time with a fraction")
            << json(200, R"({"ok":true,"updated":1700000000.5})") << ok(now);
        QTest::newRow("a time no date can hold")
            << json(200, R"({"ok":true,"updated":100000000000000000})") << ok(now);
        QTest::newRow("ok as the number 1, error unread")
            << json(200, R"({"ok":1,"updated":5,"error":"no"})") << ok(5);
        QTest::newRow("refused with a message")
            << json(200, R"({"ok":false,"error":"Unknown code"})") << rejected("Unknown code");
        QTest::newRow("refused without a message")
            << json(200, R"({"ok":false})") << rejected("Server error 200");
        QTest::newRow("ok as the number 2") << json(200, R"({"ok":2})") << rejected("Server error 200");
        QTest::newRow("an array") << json(200, "[true]") << rejected("Server error 200");
        QTest::newRow("not JSON") << json(200, "ok") << rejected("Server error 200");
        QTest::newRow("403 with an empty message") << json(403, R"({"error":""})") << rejected("");
        QTest::newRow("500 with a web page")
            << json(500, "<html>Oops</html>") << rejected("Server error 500");
        QTest::newRow("201 is no success") << json(201, R"({"ok":true})") << rejected("Server error 201");
        QTest::newRow("404 with ok and a message")
            << json(404, R"({"ok":true,"error":"No such"})") << rejected("No such");
        QTest::newRow("a message that is a number")
            << json(400, R"({"error":42})") << rejected("Server error 400");
        QTest::newRow("407 is the dashboard's answer")
            << json(407, R"({"error":"Sign in"})") << rejected("Sign in");
        QTest::newRow("a 3xx without a Location")
            << json(302, R"({"error":"Moved away"})") << rejected("Moved away");
        QTest::newRow("an answer over the limit")
            << json(200, R"({"ok":true,"pad":")" + QByteArray(70000, 'x') + R"("})")
            << rejected("Server error 200");
        QTest::newRow("an endless answer in one-byte chunks")
            << Answer{200, {}, D::endless} << rejected("Server error 200");
        QTest::newRow("an early hint is not the outcome")
            << Answer{200, "HTTP/1.1 103 Early Hints\r\nLink: </a>\r\n\r\n" + finalAnswer, D::raw}
            << Result::unreachable();
        QTest::newRow("closed mid-body")
            << Answer{200, R"({"ok":true})", D::closeMidBody} << Result::unreachable();
        QTest::newRow("silence") << Answer{200, {}, D::silent} << Result::unreachable();
        QTest::newRow("a byte now and then, for ever")
            << Answer{200, QByteArray(1000, ' '), D::trickle} << Result::unreachable();
    }

    void answersAreClassified()
    {
        QFETCH(Answer, answer);
        QFETCH(Result, expected);
        HttpsTestServer server;
        server.answerWith(answer);
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        Result result = upload(server.url());
        if (expected.kind == Result::Kind::ok && expected.syncTime == now && result.syncTime >= before &&
            result.syncTime <= QDateTime::currentSecsSinceEpoch())
            expected.syncTime = result.syncTime;
        QCOMPARE(result, expected);
        QCOMPARE(server.requests().size(), 1);
        QTRY_COMPARE(server.openConnections(), 0); // we hang up when we give up, too
    }

    void redirectsAreFollowedOnlyOverHttps()
    {
        HttpsTestServer target, server;
        target.answerWith(json(200, R"({"ok":true,"updated":7})"));
        server.answerWith(json(307, "", {{"Location", target.url().toEncoded()}}));
        QCOMPARE(upload(server.url(), R"({"n":1})"), Result::ok(7));
        QCOMPARE(target.requests().value(0).body,
                 server.requests().value(0).body); // the same upload, re-sent

        QTcpServer plain;
        QVERIFY(plain.listen(QHostAddress::LocalHost));
        server.answerWith(json(
            302, "", {{"Location", "http://127.0.0.1:" + QByteArray::number(plain.serverPort()) + "/"}}));
        QCOMPARE(upload(server.url()), Result::unreachable());
        QVERIFY(!plain.waitForNewConnection(200));
    }

    void untrustedCertificatesAndClosedPortsMeanUnreachable()
    {
        for (const char *certificate : {"untrusted", "wronghost", "expired"}) {
            HttpsTestServer server(certificate);
            QCOMPARE(upload(server.url()), Result::unreachable());
            QVERIFY(server.requests().isEmpty());
        }
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QUrl url(QStringLiteral("https://127.0.0.1:%1/").arg(closed.serverPort()));
        closed.close();
        QCOMPARE(upload(url), Result::unreachable());
    }
};

QTEST_GUILESS_MAIN(TestUploader)
#include "tst_uploader.moc"
