// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "HttpsTestServer.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTimer>

namespace {

QByteArray certificateFile(const QString &name)
{
    QFile file(CORVANE_TEST_CERT_DIR "/" + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return file.readAll();
}

// One request, once all of it has arrived.
std::optional<HttpsTestServer::Request> parse(const QByteArray &data)
{
    const qsizetype headEnd = data.indexOf("\r\n\r\n");
    const QByteArray head = data.left(headEnd);
    const qsizetype field = head.toLower().indexOf("\r\ncontent-length:") + 17;
    const qsizetype length =
        field < 17 ? 0 : head.mid(field, head.indexOf('\r', field) - field).trimmed().toLongLong();
    if (headEnd < 0 || data.size() < headEnd + 4 + length)
        return std::nullopt;
    return HttpsTestServer::Request{head, data.mid(headEnd + 4, length)};
}

} // namespace

QByteArray reply(int status, const QByteArray &body, QByteArray headers)
{
    if (headers.isEmpty())
        headers = "Content-Length: " + QByteArray::number(body.size());
    return "HTTP/1.1 " + QByteArray::number(status) +
           " Test\r\nContent-Type: application/json\r\nConnection: close\r\n" + headers + "\r\n\r\n" + body;
}

void HttpsTestServer::trustTestAuthority()
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(QSslConfiguration::systemCaCertificates() +
                                    QSslCertificate::fromData(certificateFile("ca.pem")));
    QSslConfiguration::setDefaultConfiguration(configuration);
}

HttpsTestServer::HttpsTestServer(const QString &certificate, quint16 port)
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(QSslCertificate(certificateFile(certificate + ".pem")));
    configuration.setPrivateKey(QSslKey(certificateFile(certificate + ".key"), QSsl::Rsa));
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server.setSslConfiguration(configuration);
    m_server.setHandshakeTimeout(60000); // a loaded machine running sanitized builds handshakes slowly
    connect(&m_server, &QSslServer::pendingConnectionAvailable, this, [this] {
        while (auto *socket = qobject_cast<QSslSocket *>(m_server.nextPendingConnection())) {
            connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QSslSocket::readyRead, this, [this, socket, received = QByteArray()]() mutable {
                received += socket->readAll();
                if (const std::optional<Request> request = parse(received)) {
                    m_requests.append(*request);
                    emit requestReceived();
                    respond(socket, m_answers.size() > 1 ? m_answers.takeFirst() : m_answers.first());
                }
            });
        }
    });
    if (!m_server.listen(QHostAddress::LocalHost, port))
        qFatal("the test server cannot listen: %s", qPrintable(m_server.errorString()));
}

void HttpsTestServer::Server::incomingConnection(qintptr socket)
{
    if (hanging == 0)
        return QSslServer::incomingConnection(socket);
    --hanging;
    (new QTcpSocket(this))->setSocketDescriptor(socket); // connected, and silent until the server goes
}

void HttpsTestServer::releaseHeld()
{
    for (QSslSocket *socket : std::exchange(m_held, {}))
        if (socket)
            respond(socket, {m_answers.first().bytes});
}

void HttpsTestServer::respond(QSslSocket *socket, const Answer &answer)
{
    using D = Answer::Delivery;
    switch (answer.delivery) {
    case D::held:
        m_held.append(socket);
        return;
    case D::whole:
        socket->write(answer.bytes);
        socket->disconnectFromHost();
        return;
    case D::trickle:
    case D::endless:
        const bool endless = answer.delivery == D::endless;
        const qsizetype head = endless ? answer.bytes.size() : answer.bytes.indexOf("\r\n\r\n") + 4;
        socket->write(answer.bytes.left(head));
        auto *timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket,
                [socket, endless, body = answer.bytes.mid(head), sent = 0]() mutable {
                    while (endless && socket->encryptedBytesToWrite() + socket->bytesToWrite() < 64 * 1024)
                        socket->write("1\r\n \r\n");
                    if (!endless && sent < body.size())
                        socket->write(body.mid(sent++, 1));
                });
        timer->start(endless ? 0 : 100);
    }
}
