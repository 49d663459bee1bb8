#include "AppIdentity.h"
#include "AppModel.h"
#include "ModelRig.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include <unistd.h>

using ServerState = AppModel::ServerState;
using D = HttpsTestServer::Answer::Delivery;

namespace {

QJsonObject sentData(const HttpsTestServer &server, qsizetype i)
{
    return QJsonDocument::fromJson(server.requests().value(i).body).object().value("data").toObject();
}

} // namespace

class TestAppModel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_settingsDir;
    QString settingsFile() const { return m_settingsDir->filePath("Corvane/Corvane Bridge.conf"); }
    static QVariant stored(const QString &key) { return QSettings().value(key); }

    // Sync on with a valid code and the game running, the log followed from its end after one tick.
    std::unique_ptr<AppModel> syncingModel(Rig &rig)
    {
        QSettings().setValue("linkCode", "ABC123");
        QSettings().setValue("bridgeEnabled", true);
        rig.gameRunning = true;
        auto model = std::make_unique<AppModel>(rig.collaborators());
        tick(*model);
        return model;
    }

    // Sends a line whose upload the dashboard holds until releaseHeld().
    static void holdAnUpload(Rig &rig, AppModel &model)
    {
        rig.server.answerWith(Rig::accepted(D::held));
        rig.append("@CRVN@{\"n\":1}\n");
        model.start();
        QTRY_COMPARE(rig.server.requests().size(), 1);
    }

private slots:
    void initTestCase()
    {
        AppIdentity::apply();
        HttpsTestServer::trustTestAuthority();
    }

    void init()
    {
        m_settingsDir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir->path());
    }

    // The settings file as a player's machine may hold it, written by this bridge or not.
    void constructionReadsTheStore_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("linkCode");
        QTest::addColumn<bool>("bridgeEnabled");
        QTest::newRow("none") << QByteArray() << "" << false;
        QTest::newRow("lower case is upper-cased, on")
            << QByteArray("[General]\nlinkCode=abc123\nbridgeEnabled=true\n") << "ABC123" << true;
        QTest::newRow("the full upper-case mapping") << QByteArray("[General]\nlinkCode=stra\xc3\x9f"
                                                                   "e1\n")
                                                     << "STRASSE1" << false;
        QTest::newRow("off") << QByteArray("[General]\nbridgeEnabled=false\n") << "" << false;
        QTest::newRow("yes is not a boolean") << QByteArray("[General]\nbridgeEnabled=yes\n") << "" << false;
        QTest::newRow("1 is not a boolean") << QByteArray("[General]\nbridgeEnabled=1\n") << "" << false;
        QTest::newRow("10,000 characters")
            << "[General]\nlinkCode=" + QByteArray(10000, 'a') << QString(10000, 'A') << false;
        QTest::newRow("binary junk") << QByteArray("\x00\x01\xff\xfe[[[=\n\x02", 9) << "" << false;
    }

    void constructionReadsTheStore()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, linkCode);
        QFETCH(bool, bridgeEnabled);
        QDir().mkpath(QFileInfo(settingsFile()).path());
        QFile settings(settingsFile());
        QVERIFY(settings.open(QIODevice::WriteOnly) && settings.write(file) >= 0);
        settings.close();

        Rig rig;
        AppModel model(rig.collaborators());
        QCOMPARE(model.linkCode(), linkCode);
        QCOMPARE(model.bridgeEnabled(), bridgeEnabled);
        QCOMPARE(model.gameRunning(), false);
        QCOMPARE(model.serverState(), ServerState::idle);
        QVERIFY(!model.lastSync() && !model.statusMessage() && !model.metrics() && model.settingsSaved());
        QCOMPARE(rig.logLookups, 0); // a stored "on" opens nothing
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QCOMPARE(settings.readAll(), file); // nothing written back
        model.setLinkCode("ABC123");        // and it can be written
        QCOMPARE(QSettings().value("linkCode"), QVariant("ABC123"));
    }

    void everyWriteNotifiesFirstAndPersists()
    {
        Rig rig;
        AppModel model(rig.collaborators());
        QStringList events;
        const auto state = [&] {
            return QStringLiteral("%1/%2").arg(model.linkCode()).arg(model.bridgeEnabled());
        };
        connect(&model, &AppModel::willChange, this, [&] { events << "will " + state(); });
        connect(&model, &AppModel::linkCodeChanged, this, [&] { events << "code " + state(); });
        connect(&model, &AppModel::bridgeEnabledChanged, this, [&] { events << "sync " + state(); });

        model.setLinkCode("NEW123");
        QSettings().setValue("linkCode", "changed elsewhere");
        model.setLinkCode("NEW123"); // equal: notifies and writes all the same
        model.setBridgeEnabled(true);
        model.setLinkCode("");
        events.removeIf(
            [&, last = QString()](const QString &e) mutable { return std::exchange(last, e) == e; });
        QCOMPARE(events.filter(QRegularExpression("^(will /0|code|sync)")).first(), "will /0");
        for (const char *change : {"code NEW123/0", "sync NEW123/1", "code /1"})
            QCOMPARE(events.value(events.indexOf(change) - 1).left(5), "will ");
        QCOMPARE(events.count("code NEW123/0"), 2);
        QCOMPARE(stored("linkCode"), QVariant(""));
        QCOMPARE(stored("bridgeEnabled").toString(), "true");
        QCOMPARE(rig.logLookups, 1); // switching on looks for the newest log
    }

    void codeValid_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("valid");
        for (const char *valid : {"ABC123", "ABCDEF123456"})
            QTest::newRow(valid) << valid << true;
        for (const QString invalid : {"ABC12", "ABCDEF1234567", "abc123", " ABC123", "ABC 123", "ABC123\n",
                                      "ABC\u00c4123", "ABC\uff11\uff12\uff13", ""})
            QTest::newRow(qPrintable("invalid: " + invalid)) << invalid << false;
    }

    void codeValid()
    {
        QFETCH(QString, code);
        QFETCH(bool, valid);
        Rig rig;
        AppModel model(rig.collaborators());
        model.setLinkCode(code);
        QCOMPARE(model.codeValid(), valid);
    }

    void aTickComesAtOnceAndTouchesNothingWhileSyncIsOff()
    {
        Rig rig;
        rig.gameRunning = true;
        AppModel model(rig.collaborators()); // an hour's period: only the immediate tick can come
        tick(model);
        QVERIFY(model.gameRunning());
        QCOMPARE(rig.logLookups, 0);
        QVERIFY(rig.server.requests().isEmpty());
    }

    // However often start is called (each window used to call it), one timer ticks.
    void oneTimerForTheModelsLife()
    {
        Rig rig;
        AppModel model(rig.collaborators(std::chrono::milliseconds(50)));
        for (int i = 0; i < 50; ++i)
            model.start();
        QTRY_VERIFY(rig.gameChecks >= 50); // the immediate ticks
        const int before = rig.gameChecks;
        QTest::qWait(500);
        QVERIFY2(rig.gameChecks - before <= 12, qPrintable(QString::number(rig.gameChecks - before)));
        QVERIFY(rig.gameChecks - before >= 1);
    }

    void aRunningGameIsFollowedFromTheLogsEndAndTheNewestLineSent()
    {
        Rig rig;
        auto model = syncingModel(rig);
        QCOMPARE(model->followedLog(), rig.log);
        rig.append("@CRVN@{\"lines\":1}\n@CRVN@{\"lines\":2}\n");
        tickAndUpload(*model);
        QCOMPARE(rig.server.requests().size(), 1); // the stale line was never sent
        QCOMPARE(sentData(rig.server, 0), QJsonObject({{"lines", 2}}));
        QCOMPARE(model->metrics()->lines, 2);
        QCOMPARE(model->serverState(), ServerState::connected);
        QCOMPARE(model->lastSync(), QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC));
        QCOMPARE(model->statusMessage(), std::nullopt);
        QCOMPARE(rig.logLookups, 1); // the game kept running: no new lookup
    }

    void ticksDuringAnUploadStopAtTheBusyGuard()
    {
        Rig rig;
        auto model = syncingModel(rig);
        holdAnUpload(rig, *model);
        QSignalSpy outcome(model.get(), &AppModel::serverStateChanged);
        rig.append("@CRVN@{\"n\":2}\n@CRVN@{\"n\":3}\n");
        tick(*model);
        tick(*model);
        QCOMPARE(rig.server.requests().size(), 1);
        rig.server.answerWith(Rig::accepted());
        rig.server.releaseHeld();
        QVERIFY(outcome.wait());
        tickAndUpload(*model);
        QCOMPARE(sentData(rig.server, 1), QJsonObject({{"n", 3}}));
    }

    void outcomesLandInTheModel()
    {
        Rig rig;
        auto model = syncingModel(rig);
        rig.append("@CRVN@{\"balance\":5,\"date\":\"1 Jan 1900\"}\n");
        tickAndUpload(*model);
        const std::optional<Metrics> metrics = model->metrics();
        const std::optional<QDateTime> synced = model->lastSync();

        rig.append("@CRVN@ balance=6\n"); // not JSON: the figures stay, nothing is sent
        tickAndUpload(*model);
        QCOMPARE(model->serverState(), ServerState::rejected);
        QCOMPARE(model->statusMessage(), "Bad payload from game");
        QVERIFY(model->metrics() == metrics);
        QCOMPARE(rig.server.requests().size(), 1);

        rig.server.answerWith({200, "{}", D::closeMidBody});
        rig.append("@CRVN@{\"balance\":7}\n"); // no answer after a success: that time stays
        tickAndUpload(*model);
        QCOMPARE(model->serverState(), ServerState::unreachable);
        QCOMPARE(model->statusMessage(), "Server unreachable");
        QCOMPARE(model->lastSync(), synced);

        rig.gameRunning = false; // the game stops: only gameRunning changes
        tick(*model);
        QVERIFY(!model->gameRunning());
        QCOMPARE(model->serverState(), ServerState::unreachable);
        QCOMPARE(model->lastSync(), synced);
        QCOMPARE(model->metrics()->balance, 7.0);
    }

    void switchingSyncOffDuringAnUploadStopsFollowingAtOnce()
    {
        Rig rig;
        auto model = syncingModel(rig);
        holdAnUpload(rig, *model);
        QSignalSpy outcome(model.get(), &AppModel::serverStateChanged);
        model->setBridgeEnabled(false);
        QCOMPARE(model->followedLog(), std::nullopt);
        rig.server.releaseHeld();
        QVERIFY(outcome.wait());
        QCOMPARE(model->serverState(), ServerState::connected); // the outcome still lands

        // Switched on while no log can be found: the line below would be sent had switching off not
        // stopped the tailer; the next tick looks again, and finds none.
        rig.logExists = false;
        model->setBridgeEnabled(true);
        rig.append("@CRVN@{\"n\":2}\n");
        tick(*model);
        QTest::qWait(100);
        QCOMPARE(rig.server.requests().size(), 1);
        QCOMPARE(rig.logLookups, 3);
    }

    // On a first game session the game creates its log only after it starts.
    void aLogThatAppearsLateIsFollowed()
    {
        Rig rig;
        rig.logExists = false;
        auto model = syncingModel(rig);
        QCOMPARE(model->followedLog(), std::nullopt);
        QCOMPARE(model->searchedFolders(), QStringList{rig.dir.path()});
        tick(*model);
        rig.logExists = true;
        tick(*model);
        QCOMPARE(model->followedLog(), rig.log);
        rig.append("@CRVN@{\"first\":1}\n");
        tickAndUpload(*model);
        QCOMPARE(sentData(rig.server, 0), QJsonObject({{"first", 1}}));
        tick(*model);
        QCOMPARE(rig.logLookups, 3); // followed: no more lookups
    }

    void aSettingThatCannotBeSavedIsTold()
    {
        Rig rig;
        AppModel model(rig.collaborators());
        model.setLinkCode("FIRST1");
        QVERIFY(QFile::setPermissions(QFileInfo(settingsFile()).path(), QFile::ReadOwner | QFile::ExeOwner));
        const bool root = ::geteuid() == 0; // root writes anywhere: it writes as nobody here
        QVERIFY(!root || ::seteuid(65534) == 0);
        model.setLinkCode("LOST12");
        QVERIFY(!root || ::seteuid(0) == 0);
        QVERIFY(!model.settingsSaved());
        QVERIFY(QFile::setPermissions(QFileInfo(settingsFile()).path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        model.setBridgeEnabled(false);
        QVERIFY(model.settingsSaved());
        QCOMPARE(QSettings(settingsFile(), QSettings::IniFormat).value("linkCode"), QVariant("LOST12"));
    }
};

QTEST_GUILESS_MAIN(TestAppModel)
#include "tst_appmodel.moc"
