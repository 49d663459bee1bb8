// Guards against: settings misread or not written through, notifications out of order, a wrong code rule,
// ticks that stack up or wait for a hung lookup, a sync cycle that sends old or duplicate payloads or
// loses figures, state or the reason an upload failed.

#include "AppIdentity.h"
#include "ModelRig.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTimeZone>

using ServerState = AppModel::ServerState;
using D = HttpsTestServer::Answer::Delivery;

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

    // The settings file as a player's machine may hold it. Starting writes nothing back, and a stored
    // "on" opens no log.
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
            QCOMPARE(rig.logLookups, 0);
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
        QTRY_COMPARE(rig.logLookups, 1); // switching on looks for the newest log
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

    // The first tick comes at once, and with sync off refreshes only gameRunning. However often
    // start is called (each window used to call it), it runs a tick, and one timer ticks for good.
    // With sync on, a lookup that does not end (a hung mount) holds up no tick, and no other lookup
    // starts behind it, also when the game starts again.
    void ticks()
    {
        Rig rig;
        rig.gameRunning = true;
        rig.lookupsHang = true;
        AppModel model(rig.collaborators());
        QSignalSpy checked(&model, &AppModel::gameRunningChanged);
        for (int i = 0; i < 50; ++i)
            model.start();
        QTRY_COMPARE(checked.count(), 50); // every check answered, none left to arrive late
        QVERIFY(model.gameRunning());
        QCOMPARE(model.findChildren<QTimer *>().size(), 1);
        QVERIFY(model.findChildren<QTimer *>().first()->isActive());
        QCOMPARE(rig.logLookups, 0);
        model.setLinkCode("ABC123");
        model.setBridgeEnabled(true);
        for (const bool running : {false, true}) {
            rig.gameRunning = running;
            tick(model);
            QCOMPARE(model.gameRunning(), running);
        }
        rig.lookupsHang = false;
        QTRY_VERIFY(model.followedLog());
        tick(model);
        QCOMPARE(rig.logLookups, 1);
    }

    // The sync cycle, with the game running from the start and its log followed from its end.
    void sendsTheNewestNewLineAndKeepsItWhenTheGameStops()
    {
        Rig rig;
        auto model = syncing(rig);
        rig.append("@CRVN@{\"lines\":1}\n@CRVN@{\"lines\":2,\"date\":\"1 Jan 1900\"}\n");
        tick(*model, &AppModel::serverStateChanged);
        QCOMPARE(rig.server.requests().size(), 1); // the line already there was never sent
        QCOMPARE(sent(rig, 0), QJsonObject({{"lines", 2}, {"date", "1 Jan 1900"}}));
        QCOMPARE(model->serverState(), ServerState::connected);
        QCOMPARE(model->lastSync(), synced);
        rig.gameRunning = false;
        tick(*model);
        QCOMPARE(model->serverState(), ServerState::connected);
        QCOMPARE(model->metrics()->lines, 2);
    }

    void ticksDuringAnUploadWaitAndLoseNothing()
    {
        Rig rig;
        auto model = syncing(rig);
        rig.server.answerWith(Rig::accepted(D::held));
        rig.append("@CRVN@{\"n\":1}\n");
        model->start();
        QTRY_COMPARE(rig.server.requests().size(), 1);
        rig.append("@CRVN@{\"n\":2}\n@CRVN@{\"lines\":3}\n");
        tick(*model); // a poll here would have shown the figures of the newest line at once
        QVERIFY(!model->metrics());
        QSignalSpy outcome(model.get(), &AppModel::serverStateChanged);
        rig.server.releaseHeld();
        QVERIFY(outcome.wait());
        model->start();
        QTRY_COMPARE(rig.server.requests().size(), 2);
        QCOMPARE(sent(rig, 1), QJsonObject({{"lines", 3}}));
    }

    // After a success, no answer: that success's time and its figures stay, and the log says why. Then
    // a line that is not JSON: the figures stay, and nothing is sent.
    void failuresKeepWhatWasShown()
    {
        Rig rig;
        auto model = syncing(rig);
        rig.append("@CRVN@{\"lines\":1}\n");
        tick(*model, &AppModel::serverStateChanged);
        rig.server.answerWith({reply(200, "{}", "Content-Length: 9")}); // closes mid-body
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("^upload failed: ."));
        rig.append("@CRVN@{\"lines\":2}\n");
        tick(*model, &AppModel::serverStateChanged);
        QCOMPARE(model->statusMessage(), "Server unreachable");
        QCOMPARE(model->serverState(), ServerState::unreachable);
        QCOMPARE(model->lastSync(), synced);
        rig.append("@CRVN@ balance=6\n");
        tick(*model, &AppModel::serverStateChanged);
        QCOMPARE(model->statusMessage(), "Bad payload from game");
        QCOMPARE(model->metrics()->lines, 2);
        QCOMPARE(rig.server.requests().size(), 2);
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
        rig.append("@CRVN@{\"n\":4}\n"); // would be sent had switching off not stopped following
        rig.logExists = true;
        tick(*model, &AppModel::followedLogChanged);
        rig.append("@CRVN@{\"n\":5}\n");
        tick(*model, &AppModel::serverStateChanged);
        QCOMPARE(sent(rig, 0), QJsonObject({{"n", 5}}));
        QCOMPARE(rig.logLookups, 3); // when the game was first seen, when switched on, at a tick until found
    }
};

QTEST_GUILESS_MAIN(TestAppModel)
#include "tst_appmodel.moc"
