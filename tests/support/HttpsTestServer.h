// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QPointer>
#include <QSslServer>
#include <QUrl>

// An answer's bytes: status line, headers and body; `headers` (lines without their CRLF) replace the
// Content-Length.
QByteArray reply(int status, const QByteArray &body, QByteArray headers = {});

// The stand-in dashboard: HTTPS on 127.0.0.1 at a port the system picks (or the one given), with a
// certificate from the tests' authority. It records every request and answers as the test chose.
class HttpsTestServer : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray head, body; // head: request line and headers
    };
    struct Answer
    {
        enum class Delivery {
            whole,   // at once, then the connection closes
            held,    // whole, once the test calls releaseHeld(): never, unless it does
            trickle, // the status line and headers, then a byte of the body every 100 ms
            endless, // the whole answer, then one-byte chunks for ever
        };
        QByteArray bytes = reply(200, R"({"ok":true})"); // status line, headers, body
        Delivery delivery = Delivery::whole;
    };

    // `certificate`: "server", or "wronghost", "untrusted" (made by make-test-certs.sh).
    explicit HttpsTestServer(const QString &certificate = "server", quint16 port = 0);

    QUrl url() const
    {
        return QUrl("https://127.0.0.1:" + QString::number(m_server.serverPort()) + "/api/ingest.php");
    }
    void answerWith(const Answer &answer) { m_answers = {answer}; }
    // One answer per request in turn; the last for every later one.
    void answerInTurn(const QList<Answer> &answers) { m_answers = answers; }
    // Leaves the next `count` connections without a TLS handshake, as a stuck front end would.
    void hangHandshakes(int count) { m_server.hanging = count; }
    void releaseHeld();
    const QList<Request> &requests() const { return m_requests; }

    // Makes this process, and only it, trust the tests' authority beside the system's own.
    static void trustTestAuthority();

signals:
    void requestReceived();

private:
    struct Server : QSslServer
    {
        int hanging = 0;
        void incomingConnection(qintptr socket) override;
    };

    void respond(QSslSocket *socket, const Answer &answer);

    Server m_server;
    QList<Answer> m_answers{Answer()};
    QList<Request> m_requests;
    QList<QPointer<QSslSocket>> m_held;
};

Q_DECLARE_METATYPE(HttpsTestServer::Answer)
