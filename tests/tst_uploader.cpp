#include "HttpsTestServer.h"
#include "Uploader.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTest>

using Answer = HttpsTestServer::Answer;
using Delivery = HttpsTestServer::Answer::Delivery;
using Kind = Uploader::Result::Kind;

namespace Uploader {
char *toString(const Result &result)
{
    const char *kinds[] = {"ok", "rejected", "unreachable"};
    return QTest::toString(QStringLiteral("%1(%2, \"%3\")")
                               .arg(QLatin1StringView(kinds[int(result.kind)]))
                               .arg(result.syncTime)
                               .arg(result.message));
}
} // namespace Uploader

namespace {

constexpr qint64 now = -1; // in the table: "the current time when the answer came"

Uploader::Result await(const QFuture<Uploader::Result> &future)
{
    if (!QTest::qWaitFor([&] { return future.isFinished(); }, 30000))
        return Uploader::Result::rejected(QStringLiteral("<the upload never ended>"));
    return future.result();
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
        const QString payload =
            QStringLiteral(R"({ "balance": 1500.25, "date": "3 Mar 1923", "extra": [1, {"x": null}] })");
        QCOMPARE(await(Uploader::send(server.url(), QStringLiteral("ab c1"), payload)).kind, Kind::ok);

        QCOMPARE(server.requests().size(), 1);
        const HttpsTestServer::Request request = server.requests().first();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, QByteArray("/api/ingest.php"));
        QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));
        QVERIFY(!request.body.contains('\n'));
        const QJsonObject body = QJsonDocument::fromJson(request.body).object();
        QCOMPARE(body.keys(), (QStringList{"code", "data", "source"}));
        QCOMPARE(body.value("code").toString(), QStringLiteral("ab c1")); // passed on unchanged
        QCOMPARE(body.value("source").toString(), QStringLiteral("mac-bridge"));
        QCOMPARE(body.value("data").toObject(), QJsonDocument::fromJson(payload.toUtf8()).object());
    }

    void badPayloadsSendNothing_data()
    {
        QTest::addColumn<QString>("payload");
        QTest::newRow("array") << "[1,2]";
        QTest::newRow("bare number") << "12";
        QTest::newRow("not JSON") << "balance=12";
        QTest::newRow("empty") << "";
    }

    void badPayloadsSendNothing()
    {
        QFETCH(QString, payload);
        HttpsTestServer server;
        const QFuture<Uploader::Result> future =
            Uploader::send(server.url(), QStringLiteral("ABC123"), payload);
        QVERIFY(future.isFinished());
        QCOMPARE(future.result(), Uploader::Result::rejected(QStringLiteral("Bad payload from game")));
        QTest::qWait(50);
        QVERIFY(server.requests().isEmpty());
    }

    void answersAreClassified_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<Uploader::Result>("expected");
        const auto json = [](int status, const QByteArray &body) {
            return Answer{status, body, "application/json", {}, Delivery::whole, {}};
        };
        const auto ok = Uploader::Result::ok;
        const auto rejected = Uploader::Result::rejected;

        QTest::newRow("accepted with the server's time")
            << json(200, R"({"ok":true,"updated":1700000000})") << ok(1700000000);
        QTest::newRow("accepted without a time") << json(200, R"({"ok":true})") << ok(now);
        QTest::newRow("a time given as text")
            << json(200, R"({"ok":true,"updated":"1700000000"})") << ok(now);
        QTest::newRow("a time with a fraction")
            << json(200, R"({"ok":true,"updated":1700000000.5})") << ok(now);
        QTest::newRow("a time beyond 64 bits") << json(200, R"({"ok":true,"updated":1e19})") << ok(now);
        QTest::newRow("ok as the number 1") << json(200, R"({"ok":1,"updated":5})") << ok(5);
        QTest::newRow("error is not read on success")
            << json(200, R"({"ok":true,"error":"no","updated":7})") << ok(7);
        QTest::newRow("refused with a message")
            << json(200, R"({"ok":false,"error":"Unknown link code"})") << rejected("Unknown link code");
        QTest::newRow("refused without a message")
            << json(200, R"({"ok":false})") << rejected("Server error 200");
        QTest::newRow("ok as the number 2") << json(200, R"({"ok":2})") << rejected("Server error 200");
        QTest::newRow("an empty object") << json(200, "{}") << rejected("Server error 200");
        QTest::newRow("an array") << json(200, "[true]") << rejected("Server error 200");
        QTest::newRow("an empty body") << json(200, "") << rejected("Server error 200");
        QTest::newRow("not JSON") << json(200, "ok") << rejected("Server error 200");
        QTest::newRow("403 with a message")
            << json(403, R"({"error":"Link code expired"})") << rejected("Link code expired");
        QTest::newRow("an empty message is passed on") << json(403, R"({"error":""})") << rejected("");
        QTest::newRow("500 with a web page")
            << Answer{500, "<html><body>Oops</body></html>", "text/html", {}, Delivery::whole, {}}
            << rejected("Server error 500");
        QTest::newRow("201 is no success") << json(201, R"({"ok":true})") << rejected("Server error 201");
        QTest::newRow("204 is no success") << json(204, "") << rejected("Server error 204");
        QTest::newRow("404 with ok and a message")
            << json(404, R"({"ok":true,"error":"No such endpoint"})") << rejected("No such endpoint");
        QTest::newRow("a message that is a number")
            << json(400, R"({"error":42})") << rejected("Server error 400");
        QTest::newRow("an answer over 1 MiB is not accepted")
            << json(200, R"({"ok":true,"pad":")" + QByteArray(1024 * 1024, 'x') + R"("})")
            << rejected("Server error 200");
        QTest::newRow("an answer of 50 MiB")
            << json(200, QByteArray(50 * 1024 * 1024, ' ')) << rejected("Server error 200");
        QTest::newRow("the connection closes mid-body") << Answer{200,
                                                                  R"({"ok":true,"updated":1700000000})",
                                                                  "application/json",
                                                                  {},
                                                                  Delivery::closeMidBody,
                                                                  {}}
                                                        << Uploader::Result::unreachable();
    }

    void answersAreClassified()
    {
        QFETCH(Answer, answer);
        QFETCH(Uploader::Result, expected);
        HttpsTestServer server;
        server.answerWith(answer);

        const qint64 before = QDateTime::currentSecsSinceEpoch();
        Uploader::Result result =
            await(Uploader::send(server.url(), QStringLiteral("ABC123"), QStringLiteral("{}")));
        if (expected.kind == Kind::ok && expected.syncTime == now) {
            QCOMPARE(result.kind, Kind::ok);
            QVERIFY(result.syncTime >= before && result.syncTime <= QDateTime::currentSecsSinceEpoch());
            expected.syncTime = result.syncTime;
        }
        QCOMPARE(result, expected);
        QCOMPARE(server.requests().size(), 1);
        QTRY_COMPARE(server.openConnections(), 0); // also when we gave up on a huge answer
    }

    void untrustedCertificatesMeanUnreachable_data()
    {
        QTest::addColumn<QString>("certificate");
        QTest::newRow("self-signed") << "untrusted";
        QTest::newRow("made for another host") << "wronghost";
        QTest::newRow("expired") << "expired";
    }

    void untrustedCertificatesMeanUnreachable()
    {
        QFETCH(QString, certificate);
        HttpsTestServer server(certificate);
        QCOMPARE(await(Uploader::send(server.url(), QStringLiteral("ABC123"), QStringLiteral("{}"))),
                 Uploader::Result::unreachable());
        QVERIFY(server.requests().isEmpty());
    }

    void nothingListeningMeansUnreachable()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QUrl url(QStringLiteral("https://127.0.0.1:%1/api/ingest.php").arg(closed.serverPort()));
        closed.close();
        QCOMPARE(await(Uploader::send(url, QStringLiteral("ABC123"), QStringLiteral("{}"))),
                 Uploader::Result::unreachable());
    }

    void aRedirectToPlainHttpIsNotFollowed()
    {
        QTcpServer plain;
        QVERIFY(plain.listen(QHostAddress::LocalHost));
        HttpsTestServer server;
        const QByteArray target =
            "http://127.0.0.1:" + QByteArray::number(plain.serverPort()) + "/api/ingest.php";
        server.answerWith(Answer{302, "", "text/plain", {{"Location", target}}, Delivery::whole, {}});
        QCOMPARE(await(Uploader::send(server.url(), QStringLiteral("ABC123"), QStringLiteral("{}"))),
                 Uploader::Result::unreachable());
        QVERIFY(!plain.waitForNewConnection(200));
    }

    void aSilentServerTimesOutAfter15Seconds()
    {
        HttpsTestServer server;
        server.answerWith(Answer{200, "", "", {}, Delivery::silent, {}});
        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(await(Uploader::send(server.url(), QStringLiteral("ABC123"), QStringLiteral("{}"))),
                 Uploader::Result::unreachable());
        // Qt runs the idle timeout on a coarse timer, which may fire up to 5 % early.
        QVERIFY2(elapsed.elapsed() >= 14250,
                 qPrintable(QStringLiteral("ended after %1 ms").arg(elapsed.elapsed())));
        QCOMPARE(server.requests().size(), 1);
        QTRY_COMPARE(server.openConnections(), 0); // we hang up rather than wait on
    }

    // Each byte restarts the idle timeout; only the overall limit ends such an upload.
    void aTricklingServerHitsTheOverallLimit()
    {
        HttpsTestServer server;
        server.answerWith(Answer{200,
                                 QByteArray(1000, ' '),
                                 "application/json",
                                 {},
                                 Delivery::trickle,
                                 std::chrono::milliseconds(100)});
        Uploader::Limits limits;
        limits.idle = std::chrono::milliseconds(500);
        limits.overall = std::chrono::milliseconds(1500);
        QCOMPARE(await(Uploader::send(server.url(), QStringLiteral("ABC123"), QStringLiteral("{}"), limits)),
                 Uploader::Result::unreachable());
        QTRY_COMPARE(server.openConnections(), 0);
    }
};

QTEST_GUILESS_MAIN(TestUploader)
#include "tst_uploader.moc"
