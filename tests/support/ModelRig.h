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
    static HttpsTestServer::Answer
    accepted(HttpsTestServer::Answer::Delivery delivery = HttpsTestServer::Answer::Delivery::whole)
    {
        return {200, R"({"ok":true,"updated":1700000000})", delivery};
    }

    Rig()
    {
        append("game starting\n@CRVN@{\"balance\":1,\"stale\":true}\n");
        server.answerWith(accepted());
    }

    AppModel::Collaborators collaborators(std::chrono::milliseconds period = std::chrono::hours(1))
    {
        return {[this] {
                    ++gameChecks;
                    return gameRunning.load();
                },
                [this]() -> GameWatcher::LogLookup {
                    ++logLookups;
                    return {logExists ? std::optional(log) : std::nullopt, {dir.path()}};
                },
                server.url(), period};
    }

    void append(const QByteArray &bytes)
    {
        QFile file(log);
        QVERIFY(file.open(QIODevice::Append) && file.write(bytes) == bytes.size());
    }

    QTemporaryDir dir;
    const QString log = dir.filePath("stdout.txt");
    bool logExists = true;
    HttpsTestServer server;
    std::atomic<bool> gameRunning = false;
    std::atomic<int> gameChecks = 0;
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
