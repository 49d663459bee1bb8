// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

// Guards against: settings misread or not written through, notifications out of order, a wrong code rule,
// ticks that stack up or wait for a hung lookup, a sync cycle that sends old or duplicate payloads or
// loses figures, state, the game's last line, a payload whose upload failed, or the reason it failed.

#include "AppIdentity.h"
#include "ModelRig.h"
#include "Table.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTimeZone>

using ServerState = AppModel::ServerState;
using Answer = HttpsTestServer::Answer;
using namespace std::chrono_literals;

class TestAppModel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_settings;
    const QDateTime synced = QDateTime::fromSecsSinceEpoch(Rig::syncTime, QTimeZone::utc());
    QString settingsFile() const { return m_settings->filePath("Corvane/Corvane Bridge.conf"); }

    static QJsonObject sent(const Rig &rig, qsizetype i)
    {
        return QJsonDocument::fromJson(rig.server.requests().value(i).body).object().value("data").toObject();
    }

    // Sync on with a valid code and the game running, after one tick.
    static std::unique_ptr<AppModel> syncing(Rig &rig)
    {
        QSettings().setValue("linkCode", "ABC123");
        QSettings().setValue("bridgeEnabled", true);
        rig.gameRunning = true;
        auto model = std::make_unique<AppModel>(rig.collaborators());
        tick(*model, &AppModel::followedLogChanged);
        return model;
    }

private slots:
    void initTestCase()
    {
        AppIdentity::apply();
        HttpsTestServer::trustTestAuthority();
    }

    void init()
    {
        m_settings = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings->path());
    }

    // The settings file as a player's machine may hold it. Starting writes nothing back.
    void startsFromTheStoredSettings()
    {
        const std::tuple<QByteArray, QString, bool> files[] = {
            {"linkCode=abc123\nbridgeEnabled=true\n", "ABC123", true},
            {"linkCode=stra\u00dfe1\nbridgeEnabled=yes\n", "STRASSE1", false}};
        for (const auto &[contents, linkCode, bridgeEnabled] : files) {
            QVERIFY(QDir().mkpath(QFileInfo(settingsFile()).path()));
            QFile file(settingsFile());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[General]\n" + contents) >= 0);
            file.close();
            Rig rig;
            AppModel model(rig.collaborators());
            QCOMPARE(model.linkCode(), linkCode);
            QCOMPARE(model.bridgeEnabled(), bridgeEnabled);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), "[General]\n" + contents);
        }
    }

    // Each write tells before it stores, also of an equal value, and persists, also an empty code. (That
    // an unsaved write is told, until a write succeeds, the end-to-end test shows with a read-only
    // folder.) A code is valid as 6 to 12 of A-Z and 0-9.
    void everyWriteNotifiesFirstAndPersists()
    {
        Rig rig;
        AppModel model(rig.collaborators());
        QString before;
        QStringList changes;
        connect(&model, &AppModel::willChange, this, [&] { before = model.linkCode(); });
        connect(&model, &AppModel::linkCodeChanged, this,
                [&] { changes << before + '>' + model.linkCode(); });
        model.setLinkCode("NEW123");
        model.setLinkCode("NEW123");
        model.setBridgeEnabled(true);
        model.setLinkCode("");
        QCOMPARE(changes, QStringList({">NEW123", "NEW123>NEW123", "NEW123>"}));
        QCOMPARE(QSettings(settingsFile(), QSettings::IniFormat).value("linkCode"), "");
        QCOMPARE(QSettings().value("bridgeEnabled").toString(), "true");
        const QStringList valid{"ABC123", "ABCDEF123456"};
        for (const QString &code :
             valid + QStringList{"ABC12", "ABCDEF1234567", "abc123", " ABC123", "ABC 123", "ABC123\n",
                                 "ABC\u00c4123", "ABC\uff11\uff12\uff13", ""}) {
            model.setLinkCode(code);
            QVERIFY2(model.codeValid() == valid.contains(code), qPrintable(code));
        }
    }

    // However often start is called (each window used to call it), it runs a tick at once, and one
    // timer ticks for good. With sync off, a tick only checks the game.
    void eachStartTicksOnceAndNoTimerIsAdded()
    {
        Rig rig;
        rig.gameRunning = true;
        AppModel model(rig.collaborators());
        QSignalSpy checked(&model, &AppModel::gameRunningChanged);
        for (int i = 0; i < 50; ++i)
            model.start();
        QTRY_COMPARE(checked.count(), 50); // every check answered, none left to arrive late
        QCOMPARE(model.findChildren<QTimer *>().size(), 1);
        QVERIFY(model.findChildren<QTimer *>().first()->isActive());
        QCOMPARE(rig.logLookups, 0);
    }

    // A lookup that does not end (a hung mount) holds up no game check, and no other lookup starts
    // behind it, also when the game starts again; when sync was switched off meanwhile, its answer is
    // not followed.
    void aHungLookupHoldsUpNoCheckAndNoOtherLookup()
    {
        Rig rig;
        rig.gameRunning = true;
        rig.lookupsHang = true;
        AppModel model(rig.collaborators());
        model.setLinkCode("ABC123");
        model.setBridgeEnabled(true);
        QTRY_COMPARE(rig.logLookups, 1);
        for (const bool running : {false, true}) {
            rig.gameRunning = running;
            tick(model);
            QCOMPARE(model.gameRunning(), running);
        }
        model.setBridgeEnabled(false);
        QSignalSpy answered(&model, &AppModel::followedLogChanged);
        rig.lookupsHang = false;
        QVERIFY(answered.wait());
        QVERIFY(!model.followedLog()); // sync was switched off before the lookup answered
        model.setBridgeEnabled(true);
        QTRY_VERIFY(model.followedLog());
        tick(model);
        QCOMPARE(rig.logLookups, 2);
    }

    void ticksDuringAnUploadWaitAndLoseNothing()
    {
        Rig rig;
        auto model = syncing(rig);
        rig.server.answerWith(Rig::accepted(Answer::Delivery::held));
        rig.report({R"({"n":1})"});
        model->start();
        QTRY_COMPARE(rig.server.requests().size(), 1);
        rig.report({R"({"n":2})", R"({"lines":3})"});
        tick(*model); // a poll here would have shown the figures of the newest line at once
        QVERIFY(!model->metrics());
        QSignalSpy outcome(model.get(), &AppModel::serverStateChanged);
        rig.server.releaseHeld();
        QVERIFY(outcome.wait());
        rig.server.answerWith(Rig::accepted());
        tick(*model, &AppModel::serverStateChanged);
        QCOMPARE(sent(rig, 1), QJsonObject({{"lines", 3}}));

        // The game restarts during the next upload: the lookup its start asks for waits, through
        // the ticks that see it run, until the upload has ended.
        rig.server.answerWith(Rig::accepted(Answer::Delivery::held));
        rig.report({R"({"n":4})"});
        model->start();
        QTRY_COMPARE(rig.server.requests().size(), 3);
        for (const bool running : {false, true, true}) {
            rig.gameRunning = running;
            tick(*model);
        }
        QCOMPARE(rig.logLookups, 1);
        rig.server.releaseHeld();
        QVERIFY(outcome.wait());
        tick(*model, &AppModel::followedLogChanged);
        QCOMPARE(rig.logLookups, 2);
    }

    // Over two game sessions: the newest of the lines written since the last tick goes up, also the last
    // before the game stops; what was shown stays while it is stopped; a line written then does not
    // go up, but one written while the lookup at the next start runs does, once it has answered. A
    // line that is not JSON then keeps the figures and is not sent.
    void eachGameSessionSendsItsOwnNewestLines()
    {
        Rig rig;
        auto model = syncing(rig);
        rig.report({R"({"lines":97})", R"({"lines":98,"date":"1 Jan 1900"})"});
        rig.gameRunning = false;
        tick(*model, &AppModel::serverStateChanged);
        rig.report({R"({"lines":99})"});
        tick(*model);
        QCOMPARE(model->serverState(), ServerState::connected);
        rig.gameRunning = true;
        rig.lookupsHang = true;
        tick(*model);
        QTRY_COMPARE(rig.logLookups, 2);
        rig.report({R"({"lines":100})"});
        tick(*model);
        QCOMPARE(model->metrics()->lines, 98); // a poll while the lookup runs would show 100 at once
        rig.lookupsHang = false;
        QSignalSpy uploaded(model.get(), &AppModel::serverStateChanged);
        QVERIFY(uploaded.wait());
        QCOMPARE(rig.server.requests().size(), 2); // the line there before the first start never went up
        QCOMPARE(sent(rig, 0), QJsonObject({{"lines", 98}, {"date", "1 Jan 1900"}}));
        QCOMPARE(sent(rig, 1), QJsonObject({{"lines", 100}}));
        rig.append("@CRVN@ balance=6\n");
        tick(*model, &AppModel::serverStateChanged); // "Bad payload from game"
        QCOMPARE(model->metrics()->lines, 100);
        QCOMPARE(rig.server.requests().size(), 2);
    }

    void failedUploadsAreTriedAgainOnlyWhenTheyMayPass_data()
    {
        const Table<Answer, bool> row({"failure", "triedAgain"});
        row("no whole answer: tried again", {reply(200, "{}", "Content-Length: 9")}, true);
        row("503: tried again", {reply(503, "<html>Busy</html>")}, true);
        row("429: tried again", {reply(429, R"({"error":"Slow down"})")}, true);
        row("403, the dashboard's refusal: not tried again", {reply(403, R"({"error":"No such code"})")},
            false);
    }

    // After a success, a failure keeps that success's time and says why, also in the log. With no
    // newer line, the payload is sent again at waits that double (3 s, then 6 s) until it is accepted,
    // and then not again; a refusal of the dashboard's own is not sent again.
    void failedUploadsAreTriedAgainOnlyWhenTheyMayPass()
    {
        QFETCH(Answer, failure);
        QFETCH(bool, triedAgain);
        Rig rig;
        auto model = syncing(rig);
        rig.report({R"({"lines":1})"});
        tick(*model, &AppModel::serverStateChanged);
        rig.server.answerWith(failure);
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("^upload failed: ."));
        rig.report({R"({"lines":2})"});
        tick(*model, &AppModel::serverStateChanged);
        QCOMPARE(model->lastSync(), synced);
        int tries = 2;
        for (const auto wait : {3s, 6s}) { // the first try again fails as well, the second is accepted
            QSignalSpy arrived(&rig.server, &HttpsTestServer::requestReceived);
            rig.now += wait - 1ms;
            tick(*model);
            QVERIFY(!arrived.wait(300)); // not yet
            rig.now += 1ms;
            rig.server.answerWith(wait == 6s ? Rig::accepted() : failure);
            if (triedAgain)
                tick(*model, &AppModel::serverStateChanged);
            QCOMPARE(rig.server.requests().size(), tries += triedAgain);
        }
        QCOMPARE(sent(rig, tries - 1), QJsonObject({{"lines", 2}}));
        rig.now += 1h;
        tick(*model);
        QCOMPARE(model->serverState(), triedAgain ? ServerState::connected : ServerState::rejected);
        QCOMPARE(model->failureReason().has_value(), !triedAgain);
        QCOMPARE(rig.server.requests().size(), tries);
    }

    // Switched on before the game has made its log (as on a first session), sync looks for it at
    // every tick, and follows it from its end once found.
    void switchedOnWithoutALogLooksUntilFound()
    {
        Rig rig;
        auto model = syncing(rig);
        model->setBridgeEnabled(false);
        rig.logExists = false;
        QSignalSpy lookedUp(model.get(), &AppModel::followedLogChanged);
        model->setBridgeEnabled(true);
        QVERIFY(lookedUp.wait());
        QCOMPARE(model->searchedFolders(), QStringList{rig.dir.path()});
        rig.report({R"({"n":4})"}); // would be sent had switching off not stopped following
        rig.logExists = true;
        tick(*model, &AppModel::followedLogChanged);
        rig.report({R"({"n":5})"});
        tick(*model, &AppModel::serverStateChanged);
        QCOMPARE(sent(rig, 0), QJsonObject({{"n", 5}}));
        QCOMPARE(rig.logLookups, 3); // when the game was first seen, when switched on, at a tick until found
    }
};

QTEST_GUILESS_MAIN(TestAppModel)
#include "tst_appmodel.moc"
