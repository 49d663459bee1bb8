// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

// The stand-in dashboard as a program, for the end-to-end test and the footprint measurement.
//   dashboard_standin PORT      (answers every upload with 200 {"ok":true})
// Prints "listening PORT", then a line per request: received <milliseconds since 1970> <body>
#include "HttpsTestServer.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    HttpsTestServer server("server", quint16(QByteArray(argv[1]).toUShort()));
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each line as it is printed, for the test reading it
    QObject::connect(&server, &HttpsTestServer::requestReceived, &app, [&server] {
        std::printf("received %lld %s\n", QDateTime::currentMSecsSinceEpoch(),
                    server.requests().last().body.constData());
    });
    std::printf("listening %s\n", argv[1]);
    return app.exec();
}
