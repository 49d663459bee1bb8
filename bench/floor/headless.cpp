// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

// The floor for a headless bridge: a bare QCoreApplication that makes one HTTPS POST to the dashboard,
// says so, and then only waits, so its memory can be read.
#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QStringLiteral("https://corvane.app/api/ingest.php")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    QNetworkReply *reply = network.post(request, R"({"code":"BENCH1","source":"floor","data":{}})");
    QObject::connect(reply, &QNetworkReply::finished, &app, [reply] {
        std::printf("posted: %d\n", reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt());
        std::fflush(stdout);
    });
    return app.exec();
}
