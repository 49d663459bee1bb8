#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslServer>
#include <QUrl>

// The stand-in dashboard: HTTPS on 127.0.0.1 at a port the system picks (or the one given), with a
// certificate from the tests' authority. It records every request and answers as the test chose.
class HttpsTestServer : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray method, path, body;
        QHash<QByteArray, QByteArray> headers; // names in lower case
    };
    struct Answer
    {
        enum class Delivery {
            whole,        // status, headers and body at once
            held,         // whole, once the test calls releaseHeld()
            silent,       // never a byte
            trickle,      // the headers, then a body byte every 100 ms
            closeMidBody, // the headers and half the body, then the connection closes
            endless,      // the headers, then one-byte chunks for ever
            raw,          // the body is the whole answer, status line and headers included
        };
        int status = 200;
        QByteArray body = R"({"ok":true})";
        Delivery delivery = Delivery::whole;
        QList<std::pair<QByteArray, QByteArray>> headers = {};
    };

    // `certificate`: "server", or "wronghost", "expired", "untrusted" (made by make-test-certs.sh).
    explicit HttpsTestServer(const QString &certificate = "server", quint16 port = 0);

    QUrl url() const
    {
        return QUrl(QStringLiteral("https://127.0.0.1:%1/api/ingest.php").arg(m_server.serverPort()));
    }
    void answerWith(const Answer &answer) { m_answer = answer; }
    void releaseHeld();
    const QList<Request> &requests() const { return m_requests; }
    int openConnections() const { return m_openConnections; } // that neither side has closed yet

    // Makes this process, and only it, trust the tests' authority beside the system's own.
    static void trustTestAuthority();

signals:
    void requestReceived();

private:
    void respond(QSslSocket *socket, const Answer &answer);

    QSslServer m_server;
    Answer m_answer;
    QList<Request> m_requests;
    int m_openConnections = 0;
    QList<QPointer<QSslSocket>> m_held;
};
