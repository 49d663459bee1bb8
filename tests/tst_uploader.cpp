// Guards against: a wrong request, an answer taken for another outcome, limits not kept, a bad certificate
// trusted, one hung handshake holding up later uploads, redirects away from the dashboard, no reason kept.

#include "HttpsTestServer.h"
#include "Table.h"
#include "Uploader.h"

#include <QDateTime>
#include <QTcpServer>

using Answer = HttpsTestServer::Answer;
using D = Answer::Delivery;
using Kind = Uploader::Result::Kind;

namespace {

// Short limits, so that no case waits long; the answer limit is 64 KiB.
const Uploader::Limits limits{std::chrono::milliseconds(1000), std::chrono::milliseconds(3000), 64 * 1024};

QString lastReason; // what the last upload that failed would log

// The outcome as one line: "ok 5", "ok now" (the current time), "rejected <message>", "unreachable".
QString upload(const QUrl &url, const QString &payload = "{}", const QString &code = "ABC123")
{
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    const QFuture<Uploader::Result> future = Uploader::send(url, code, payload, limits);
    if (!QTest::qWaitFor([&] { return future.isFinished(); }, 30000))
        return "never ended";
    const Uploader::Result r = future.result();
    lastReason = r.reason;
    const bool now = r.syncTime >= before && r.syncTime <= QDateTime::currentSecsSinceEpoch();
    return r.kind == Kind::ok         ? "ok " + (now ? "now" : QString::number(r.syncTime))
           : r.kind == Kind::rejected ? "rejected " + r.message
                                      : "unreachable";
}

} // namespace

class TestUploader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { HttpsTestServer::trustTestAuthority(); }
    void init() { QTest::failOnWarning(QRegularExpression(".")); } // an expected outcome is no news

    void answersAreClassified_data()
    {
        const Table<Answer, QString> row({"answer", "outcome"});
        const auto json = [](int status, const QByteArray &body) { return Answer{reply(status, body)}; };
        const QString noResult = "rejected Server error 200";
        row("ok, at the dashboard's time", json(200, R"({"ok":true,"updated":1700000000})"), "ok 1700000000");
        row("ok, no time", json(200, R"({"ok":true})"), "ok now");
        row("a time with a fraction", json(200, R"({"ok":true,"updated":1700000000.5})"), "ok now");
        row("a time no date can hold", json(200, R"({"ok":true,"updated":100000000000000000})"), "ok now");
        row("ok as 1, an error beside it", json(200, R"({"ok":1,"updated":5,"error":"no"})"), "ok 5");
        row("refused, saying why", json(200, R"({"ok":false,"error":"Unknown"})"), "rejected Unknown");
        row("refused, no words", json(200, R"({"ok":false})"), noResult);
        row("ok neither true nor 1", json(200, R"({"ok":2})"), noResult);
        row("not JSON", json(200, "ok"), noResult);
        row("an empty error", json(403, R"({"error":""})"), "rejected ");
        row("a server's error page", json(500, "<html>Oops</html>"), "rejected Server error 500");
        row("an error status with ok", json(404, R"({"ok":true,"error":"No such"})"), "rejected No such");
        row("an error that is no text", json(400, R"({"error":42})"), "rejected Server error 400");
        row("407 from the dashboard, not a proxy", json(407, R"({"error":"Sign in"})"), "rejected Sign in");
        row("a redirect with no Location", json(302, R"({"error":"Moved away"})"), "rejected Moved away");
        row("over 64 KiB", json(200, QByteArray(70000, ' ') + R"({"ok":true})"), noResult);
        row("chunks without end", {reply(200, "", "Transfer-Encoding: chunked"), D::endless}, noResult);
        row("early hints first", {"HTTP/1.1 103 Early Hints\r\n\r\n" + reply(200, R"({"ok":true})")},
            "ok now");
        row("closed within the body", {reply(200, R"({"ok")", "Content-Length: 11")}, "unreachable");
        row("not a byte", {{}, D::held}, "unreachable");
        row("a byte at a time, for too long", {reply(200, QByteArray(1000, ' ')), D::trickle}, "unreachable");
    }

    // Through a real exchange, so that what Qt makes of each answer is classified as well.
    void answersAreClassified()
    {
        QFETCH(Answer, answer);
        HttpsTestServer server;
        server.answerWith(answer);
        const QString outcome = upload(server.url());
        if (answer.bytes.startsWith("HTTP/1.1 103") && QT_VERSION < QT_VERSION_CHECK(6, 8, 0)) {
            QCOMPARE(outcome,
                     "unreachable"); // no outcome arrived, so none is shown: never "Server error 103"
            QEXPECT_FAIL("", "Qt 6.4 ends the exchange at a 1xx answer and drops the final one", Continue);
        }
        QTEST(outcome, "outcome");
        QCOMPARE(server.requests().size(), 1);
    }

    // Only a certificate trusted for the host; a handshake left hanging holds no later upload up.
    void certificatesAndHandshakes()
    {
        for (const char *certificate : {"untrusted", "wronghost"})
            QVERIFY2(upload(HttpsTestServer(certificate).url()) == "unreachable", certificate);
        HttpsTestServer server;
        server.hangHandshakes(1);
        QCOMPARE(upload(server.url()), "unreachable");
        QCOMPARE(lastReason, "nothing received for 1000 ms"); // the limit by name, not "Operation canceled"
        QCOMPARE(upload(server.url()), "ok now");
    }

    // A POST of exactly the code, the source and the data, compact; the same again to a redirect within
    // the dashboard's scheme, host and port, and to nobody elsewhere.
    void theRequestAndItsRedirects()
    {
        HttpsTestServer server, elsewhere;
        const auto redirect = [](const QByteArray &to) { return reply(307, "", "Location: " + to); };
        server.answerInTurn({{redirect("/api/v2/ingest.php")}, {reply(200, R"({"ok":true,"updated":7})")}});
        const QString payload = R"({ "b": 1500.25, "d": "3 Mar", "x": [1, {"y": null}] })";
        QCOMPARE(upload(server.url(), payload, "ab c1"), "ok 7");
        const auto [head, body] = server.requests().value(0);
        QVERIFY(head.startsWith("POST /api/ingest.php HTTP/1.1\r\n"));
        QVERIFY(head.toLower().contains("\r\ncontent-type: application/json\r\n"));
        QCOMPARE(
            body,
            R"({"code":"ab c1","data":{"b":1500.25,"d":"3 Mar","x":[1,{"y":null}]},"source":"mac-bridge"})");
        QVERIFY(server.requests().value(1).head.startsWith("POST /api/v2/ingest.php "));
        QCOMPARE(server.requests().value(1).body, body);
        QTcpServer plain;
        QVERIFY(plain.listen(QHostAddress::LocalHost));
        for (const QUrl &away :
             {elsewhere.url(), QUrl("http://127.0.0.1:" + QString::number(plain.serverPort())),
              QUrl("https://localhost:" + QString::number(server.url().port()))}) {
            server.answerWith({redirect(away.toEncoded())});
            QVERIFY2(upload(server.url()) == "unreachable", qPrintable(away.toString()));
        }
        QVERIFY(elsewhere.requests().isEmpty() && !plain.hasPendingConnections());
        QCOMPARE(server.requests().size(), 5);
    }
};

QTEST_GUILESS_MAIN(TestUploader)
#include "tst_uploader.moc"
