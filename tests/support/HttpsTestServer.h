#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslServer>
#include <QUrl>

#include <chrono>
#include <functional>

class QSslSocket;

// A dashboard stand-in: HTTPS on 127.0.0.1 at a port the system picks, with a certificate from the
// test authority. It records every request and answers each with what the test chose.
class HttpsTestServer : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    struct Answer
    {
        enum class Delivery {
            whole,        // status, headers and body at once
            silent,       // never a byte
            trickle,      // the headers, then one body byte per `interval`
            closeMidBody, // the headers and half the body, then the connection closes
            held,         // whole, once the test calls releaseHeld()
            raw,          // the body is the whole answer, status line and headers included
            endless,      // the headers, then one-byte chunks for ever
        };
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/json";
        QList<std::pair<QByteArray, QByteArray>> extraHeaders;
        Delivery delivery = Delivery::whole;
        std::chrono::milliseconds interval{0}; // whole: wait this long first; trickle: between bytes
    };

    // `certificate` names a pair made by make-test-certs.sh: "server", "wronghost", "expired" or
    // "untrusted".
    // Port 0 lets the system pick one.
    explicit HttpsTestServer(const QString &certificate = QStringLiteral("server"), quint16 port = 0,
                             QObject *parent = nullptr);

    QUrl url(const QString &path = QStringLiteral("/api/ingest.php")) const;
    quint16 port() const { return m_server.serverPort(); }
    void answerWith(const Answer &answer);
    void answerWith(std::function<Answer(const Request &)> handler) { m_handler = std::move(handler); }
    const QList<Request> &requests() const { return m_requests; }
    // Connections that neither side has closed yet.
    int openConnections() const { return m_openConnections; }
    void releaseHeld();

    // Makes this process, and only it, trust the test authority beside the system's own.
    static void trustTestAuthority();
    static QString certificateDir();

signals:
    void requestReceived();

private:
    void serve(QSslSocket *socket);
    void respond(QSslSocket *socket, const Answer &answer);

    QSslServer m_server;
    std::function<Answer(const Request &)> m_handler;
    QList<Request> m_requests;
    int m_openConnections = 0;
    QList<std::pair<QPointer<QSslSocket>, Answer>> m_held;
};
