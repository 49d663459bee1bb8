// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

// Renders the real window offscreen with live figures and saves it as a PNG, for the README.
//   window_screenshot OUTPUT.png

#include "AppIdentity.h"
#include "AppModel.h"
#include "HttpsTestServer.h"
#include "Presentation.h"
#include "QuickWindowSet.h"

#include <QFile>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QSettings>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    AppIdentity::apply();
    Presentation::useThePlayersLanguage();
    if (argc != 2)
        qFatal("usage: window_screenshot OUTPUT.png");
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    HttpsTestServer::trustTestAuthority();
    HttpsTestServer dashboard;
    dashboard.answerWith({reply(200, R"({"ok":true,"updated":1767273909})")});

    const QString log = dir.filePath(u"stdout.txt"_s);
    QFile(log).open(QIODevice::WriteOnly);
    AppModel model({[] { return true; },
                    [log] {
                        return GameWatcher::LogLookup{log, {}};
                    },
                    dashboard.url(), std::chrono::hours(1)});
    model.setLinkCode(u"K7QM2X"_s);
    model.setBridgeEnabled(true);

    QuickWindowSet windows(model);
    if (!windows.openWindow())
        return EXIT_FAILURE;
    QQuickWindow *window = windows.windows().first();
    model.start();

    // Switching sync on follows the log; the line arrives once it is followed, and a tick reads it.
    const auto writeMarkerLine = [&] {
        QFile file(log);
        file.open(QIODevice::Append);
        file.write(
            R"(@CRVN@ {"balance":2184350.4,"lines":14,"onTime":92.6,"vehicles":63,"date":"17 May 1931"})"
            "\n");
        file.close();
        model.start();
    };
    QObject::connect(&model, &AppModel::followedLogChanged, &app, writeMarkerLine,
                     Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
    // Queued, so the whole outcome (the state, then the sync time) has landed.
    QObject::connect(
        &model, &AppModel::serverStateChanged, &app,
        [&] {
            const bool saved = window->grabWindow().save(QString::fromLocal8Bit(argv[1]));
            QCoreApplication::exit(saved ? EXIT_SUCCESS : EXIT_FAILURE);
        },
        Qt::QueuedConnection);
    return app.exec();
}
