#include "HttpsTestServer.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTimer>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// Parses one request once all of it has arrived.
std::optional<HttpsTestServer::Request> parseRequest(const QByteArray &data)
{
    const qsizetype headEnd = data.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return std::nullopt;
    const QList<QByteArray> lines = data.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    HttpsTestServer::Request request;
    request.method = requestLine.value(0);
    request.path = requestLine.value(1);
    for (const QByteArray &line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        request.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    if (data.size() - headEnd - 4 < length)
        return std::nullopt;
    request.body = data.mid(headEnd + 4, length);
    return request;
}

QByteArray head(const HttpsTestServer::Answer &answer)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + " Test\r\n" +
                      "Content-Type: " + answer.contentType + "\r\n" +
                      "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n" +
                      "Connection: close\r\n";
    for (const auto &[name, value] : answer.extraHeaders)
        head += name + ": " + value + "\r\n";
    return head + "\r\n";
}

} // namespace

QString HttpsTestServer::certificateDir()
{
    return QStringLiteral(CORVANE_TEST_CERT_DIR);
}

void HttpsTestServer::trustTestAuthority()
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(QSslConfiguration::systemCaCertificates() +
                                    QSslCertificate::fromData(readFile(certificateDir() + "/ca.pem")));
    QSslConfiguration::setDefaultConfiguration(configuration);
}

HttpsTestServer::HttpsTestServer(const QString &certificate, quint16 port, QObject *parent) : QObject(parent)
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(
        QSslCertificate(readFile(certificateDir() + '/' + certificate + ".pem")));
    configuration.setPrivateKey(QSslKey(readFile(certificateDir() + '/' + certificate + ".key"), QSsl::Rsa));
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server.setSslConfiguration(configuration);
    m_server.setHandshakeTimeout(60000); // a loaded machine running sanitized builds handshakes slowly
    answerWith(Answer{200, R"({"ok":true})", "application/json", {}, Answer::Delivery::whole, {}});
    connect(&m_server, &QSslServer::pendingConnectionAvailable, this, [this] {
        while (m_server.hasPendingConnections())
            serve(qobject_cast<QSslSocket *>(m_server.nextPendingConnection()));
    });
    if (!m_server.listen(QHostAddress::LocalHost, port))
        qFatal("test server cannot listen: %s", qPrintable(m_server.errorString()));
}

QUrl HttpsTestServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("https://127.0.0.1:%1%2").arg(port()).arg(path));
}

void HttpsTestServer::answerWith(const Answer &answer)
{
    m_handler = [answer](const Request &) { return answer; };
}

void HttpsTestServer::releaseHeld()
{
    for (auto &[socket, answer] : std::exchange(m_held, {})) {
        if (socket) {
            answer.delivery = Answer::Delivery::whole;
            respond(socket, answer);
        }
    }
}

void HttpsTestServer::serve(QSslSocket *socket)
{
    ++m_openConnections;
    connect(socket, &QSslSocket::disconnected, this, [this, socket] {
        --m_openConnections;
        socket->deleteLater();
    });
    auto received = std::make_shared<QByteArray>();
    connect(socket, &QSslSocket::readyRead, this, [this, socket, received] {
        *received += socket->readAll();
        const std::optional<Request> request = parseRequest(*received);
        if (!request)
            return;
        received->clear();
        m_requests.append(*request);
        const Answer answer = m_handler(*request);
        emit requestReceived();
        respond(socket, answer);
    });
}

void HttpsTestServer::respond(QSslSocket *socket, const Answer &answer)
{
    switch (answer.delivery) {
    case Answer::Delivery::silent:
        return;
    case Answer::Delivery::whole:
        QTimer::singleShot(answer.interval, socket, [socket, answer] {
            socket->write(head(answer) + answer.body);
            socket->disconnectFromHost();
        });
        return;
    case Answer::Delivery::held:
        m_held.append({socket, answer});
        return;
    case Answer::Delivery::raw:
        socket->write(answer.body);
        socket->disconnectFromHost();
        return;
    case Answer::Delivery::endless: {
        socket->write("HTTP/1.1 " + QByteArray::number(answer.status) +
                      " Test\r\nContent-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\n");
        auto *timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket] {
            while (socket->encryptedBytesToWrite() + socket->bytesToWrite() < 64 * 1024)
                socket->write("1\r\n \r\n");
        });
        timer->start(0);
        return;
    }
    case Answer::Delivery::closeMidBody:
        socket->write(head(answer) + answer.body.left(answer.body.size() / 2));
        socket->disconnectFromHost();
        return;
    case Answer::Delivery::trickle: {
        socket->write(head(answer));
        auto *timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(0);
        connect(timer, &QTimer::timeout, socket, [socket, answer, sent] {
            if (*sent < answer.body.size())
                socket->write(answer.body.mid((*sent)++, 1));
        });
        timer->start(answer.interval);
        return;
    }
    }
}
