// A stand-in dashboard for measurements and end-to-end tests: HTTPS on 127.0.0.1 at the given port
// with the test authority's certificate, answering every upload alike.
//   dashboard_standin PORT [STATUS BODY]      (default: 200 {"ok":true})
// Prints "listening PORT", then one line per request: received <milliseconds since 1970> <body>

#include "HttpsTestServer.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2 && argc != 4)
        qFatal("usage: dashboard_standin PORT [STATUS BODY]");
    HttpsTestServer server(QStringLiteral("server"), quint16(QByteArray(argv[1]).toUShort()));
    if (argc == 4)
        server.answerWith(HttpsTestServer::Answer{QByteArray(argv[2]).toInt(),
                                                  argv[3],
                                                  "application/json",
                                                  {},
                                                  HttpsTestServer::Answer::Delivery::whole,
                                                  {}});
    QObject::connect(&server, &HttpsTestServer::requestReceived, &app, [&server] {
        std::printf("received %lld %s\n", QDateTime::currentMSecsSinceEpoch(),
                    server.requests().last().body.constData());
        std::fflush(stdout);
    });
    std::printf("listening %u\n", server.port());
    std::fflush(stdout);
    return app.exec();
}
