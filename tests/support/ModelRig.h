// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#pragma once

#include "AppModel.h"
#include "HttpsTestServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

// A model wired to a temporary log, a game switch the test flips and a local dashboard. Its timer
// period is an hour, so ticks come only from start(), which runs one at once, and from switching
// sync on.
struct Rig
{
    static constexpr qint64 syncTime = 1700000000; // the time the dashboard gives for each upload

    static HttpsTestServer::Answer accepted(HttpsTestServer::Answer::Delivery delivery = {})
    {
        return {reply(200, R"({"ok":true,"updated":)" + QByteArray::number(syncTime) + '}'), delivery};
    }

    Rig()
    {
        append("game starting\n");
        report({R"({"balance":1,"stale":true})"});
        server.answerWith(accepted());
    }

    // A check or lookup may still run on a pool thread after its model is gone, and it reads this rig:
    // each task holds a copy of the token until it ends.
    ~Rig()
    {
        for (const QDeadlineTimer late(10000); running.use_count() > 1 && !late.hasExpired();)
            QThread::msleep(1);
    }

    AppModel::Collaborators collaborators()
    {
        const auto checkGame = [this, token = running] { return gameRunning.load(); };
        // As a real lookup does, it learns the log's length when it finds it, and may then take long
        // over other folders.
        const auto findLog = [this, token = running]() -> GameWatcher::LogLookup {
            const qint64 size = QFileInfo(log).size();
            ++logLookups;
            for (const QDeadlineTimer hang(5000); lookupsHang && !hang.hasExpired();)
                QThread::msleep(10);
            return {logExists ? std::optional(log) : std::nullopt, searched, size};
        };
        return {checkGame, findLog, server.url(), std::chrono::hours(1), [this] { return now; }};
    }

    void append(const QByteArray &bytes)
    {
        QFile file(log);
        QVERIFY(file.open(QIODevice::Append) && file.write(bytes) == bytes.size());
    }

    // The game mod's marker lines, one for each payload.
    void report(std::initializer_list<QByteArray> payloads)
    {
        for (const QByteArray &payload : payloads)
            append("@CRVN@" + payload + '\n');
    }

    const std::shared_ptr<void> running = std::make_shared<int>();
    QTemporaryDir dir;
    const QString log = dir.filePath("stdout.txt");
    bool logExists = true;
    QStringList searched{dir.path()};
    HttpsTestServer server;
    std::atomic<bool> gameRunning = false;
    std::atomic<int> logLookups = 0;
    std::atomic<bool> lookupsHang = false; // as on a hung mount, for up to 5 s
    UnsentPayload::Clock::time_point now;  // the model's clock, read on the test's thread
};

// One tick, up to `signal`: by default its game check (and what it does at once after it).
inline void tick(AppModel &model, void (AppModel::*signal)() = &AppModel::gameRunningChanged)
{
    QSignalSpy spy(&model, signal);
    model.start();
    QVERIFY(spy.wait(30000)); // an upload's TLS handshake, beside the end-to-end test's desktops
}
