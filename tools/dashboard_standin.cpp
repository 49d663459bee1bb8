// A stand-in dashboard for measurements: HTTPS on 127.0.0.1 at the given port with the test
// authority's certificate, accepting every upload. Prints one line per request:
//   received <milliseconds since 1970> <body>

#include "HttpsTestServer.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        qFatal("usage: dashboard_standin PORT");
    HttpsTestServer server(QStringLiteral("server"), quint16(QByteArray(argv[1]).toUShort()));
    QObject::connect(&server, &HttpsTestServer::requestReceived, &app, [&server] {
        std::printf("received %lld %s\n", QDateTime::currentMSecsSinceEpoch(), server.requests().last().body.constData());
        std::fflush(stdout);
    });
    std::printf("listening %u\n", server.port());
    std::fflush(stdout);
    return app.exec();
}
