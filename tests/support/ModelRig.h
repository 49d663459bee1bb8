#pragma once

#include "AppModel.h"
#include "HttpsTestServer.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

// A model wired to a temporary log, a game switch the test flips and a local dashboard. Its timer
// period is an hour, so ticks come only from start(), which runs one at once.
class Rig
{
public:
    static inline const HttpsTestServer::Answer accepted{
        200, R"({"ok":true,"updated":1700000000})",    "application/json",
        {},  HttpsTestServer::Answer::Delivery::whole, {}};
    static inline const HttpsTestServer::Answer acceptedLater{
        200, R"({"ok":true,"updated":1700000000})",   "application/json",
        {},  HttpsTestServer::Answer::Delivery::held, {}};

    Rig() : log(dir.filePath(QStringLiteral("stdout.txt")))
    {
        append("game starting\n@CRVN@{\"balance\":1,\"stale\":true}\n");
        server.answerWith(accepted);
    }

    AppModel::Collaborators collaborators()
    {
        return {[this] { return gameRunning.load(); },
                [this]() -> GameWatcher::LogLookup {
                    ++logLookups;
                    return {logExists ? std::optional(log) : std::nullopt, {dir.path()}};
                },
                server.url(), std::chrono::hours(1)};
    }

    void append(const QByteArray &bytes)
    {
        QFile file(log);
        QVERIFY(file.open(QIODevice::Append));
        file.write(bytes);
    }

    QTemporaryDir dir;
    QString log;
    bool logExists = true;
    HttpsTestServer server;
    std::atomic<bool> gameRunning = false;
    int logLookups = 0;
};

// One tick up to its game check (and everything it does synchronously after it).
inline void tick(AppModel &model)
{
    QSignalSpy checked(&model, &AppModel::gameRunningChanged);
    model.start();
    QVERIFY(checked.wait(5000));
}

// One tick that uploads, up to the upload's outcome.
inline void tickAndUpload(AppModel &model)
{
    QSignalSpy outcome(&model, &AppModel::serverStateChanged);
    model.start();
    QVERIFY(outcome.wait(10000));
}
