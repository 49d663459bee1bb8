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
    if (headEnd < 0)
        return std::nullopt;
    const QList<QByteArray> lines = data.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    HttpsTestServer::Request request{requestLine.value(0), requestLine.value(1), {}, {}};
    for (const QByteArray &line : lines.mid(1))
        request.headers.insert(line.left(line.indexOf(':')).trimmed().toLower(),
                               line.mid(line.indexOf(':') + 1).trimmed());
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    if (data.size() - headEnd - 4 < length)
        return std::nullopt;
    request.body = data.mid(headEnd + 4, length);
    return request;
}

QByteArray head(const HttpsTestServer::Answer &answer, const QByteArray &framing)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) +
                      " Test\r\nContent-Type: application/json\r\n" + framing + "\r\nConnection: close\r\n";
    for (const auto &[name, value] : answer.headers)
        head += name + ": " + value + "\r\n";
    return head + "\r\n";
}

} // namespace

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
            ++m_openConnections;
            connect(socket, &QSslSocket::disconnected, this, [this, socket] {
                --m_openConnections;
                socket->deleteLater();
            });
            connect(socket, &QSslSocket::readyRead, this, [this, socket, received = QByteArray()]() mutable {
                received += socket->readAll();
                if (const std::optional<Request> request = parse(received)) {
                    m_requests.append(*request);
                    emit requestReceived();
                    respond(socket, m_answer);
                }
            });
        }
    });
    if (!m_server.listen(QHostAddress::LocalHost, port))
        qFatal("the test server cannot listen: %s", qPrintable(m_server.errorString()));
}

void HttpsTestServer::releaseHeld()
{
    for (QSslSocket *socket : std::exchange(m_held, {}))
        if (socket)
            respond(socket, {m_answer.status, m_answer.body, Answer::Delivery::whole, m_answer.headers});
}

void HttpsTestServer::respond(QSslSocket *socket, const Answer &answer)
{
    const QByteArray length = "Content-Length: " + QByteArray::number(answer.body.size());
    using D = Answer::Delivery;
    switch (answer.delivery) {
    case D::held:
        m_held.append(socket);
        [[fallthrough]];
    case D::silent:
        return;
    case D::whole:
    case D::closeMidBody:
    case D::raw:
        socket->write(answer.delivery == D::raw ? answer.body
                      : answer.delivery == D::whole
                          ? head(answer, length) + answer.body
                          : head(answer, length) + answer.body.left(answer.body.size() / 2));
        socket->disconnectFromHost();
        return;
    case D::trickle:
    case D::endless:
        const bool endless = answer.delivery == D::endless;
        socket->write(head(answer, endless ? "Transfer-Encoding: chunked" : length));
        auto *timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket, endless, body = answer.body, sent = 0]() mutable {
            while (endless && socket->encryptedBytesToWrite() + socket->bytesToWrite() < 64 * 1024)
                socket->write("1\r\n \r\n");
            if (!endless && sent < body.size())
                socket->write(body.mid(sent++, 1));
        });
        timer->start(endless ? 0 : 100);
    }
}
