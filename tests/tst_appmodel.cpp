#include "AppModel.h"
#include "HttpsTestServer.h"
#include "ModelRig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

using namespace Qt::StringLiterals;

using Answer = HttpsTestServer::Answer;
using Delivery = HttpsTestServer::Answer::Delivery;
using ServerState = AppModel::ServerState;

namespace {

QJsonObject sentData(const HttpsTestServer::Request &request)
{
    return QJsonDocument::fromJson(request.body).object().value(QStringLiteral("data")).toObject();
}

} // namespace

class TestAppModel : public QObject
{
    Q_OBJECT

private:
    static void store(const QString &key, const QVariant &value) { QSettings().setValue(key, value); }
    static QVariant stored(const QString &key) { return QSettings().value(key); }

    // Follows the log, then sends a line whose upload the dashboard holds until releaseHeld().
    static void tickIntoAHeldUpload(Rig &rig, AppModel &model)
    {
        tick(model);
        rig.server.answerWith(Rig::acceptedLater);
        rig.append("@CRVN@{\"n\":1}\n");
        model.start();
        QTRY_COMPARE(rig.server.requests().size(), 1);
    }

    std::unique_ptr<AppModel> syncingModel(Rig &rig)
    {
        store(QStringLiteral("linkCode"), QStringLiteral("ABC123"));
        store(QStringLiteral("bridgeEnabled"), true);
        rig.gameRunning = true;
        return std::make_unique<AppModel>(rig.collaborators());
    }

    std::unique_ptr<QTemporaryDir> m_settingsDir;

private slots:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Corvane"));
        QCoreApplication::setOrganizationDomain(QStringLiteral("corvane.app"));
        QCoreApplication::setApplicationName(QStringLiteral("Corvane Bridge"));
        HttpsTestServer::trustTestAuthority();
    }

    void init()
    {
        m_settingsDir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir->path());
    }

    void constructionReadsTheStore_data()
    {
        QTest::addColumn<QVariant>("storedCode");
        QTest::addColumn<QVariant>("storedEnabled");
        QTest::addColumn<QString>("linkCode");
        QTest::addColumn<bool>("bridgeEnabled");

        QTest::newRow("empty store") << QVariant() << QVariant() << "" << false;
        QTest::newRow("a lower-case code is upper-cased")
            << QVariant("abc123") << QVariant(true) << "ABC123" << true;
        QTest::newRow("full upper-case mapping")
            << QVariant(u"stra\u00dfe1"_s) << QVariant(false) << "STRASSE1" << false;
        QTest::newRow("the text false") << QVariant() << QVariant("false") << "" << false;
        QTest::newRow("not a boolean: yes") << QVariant() << QVariant("yes") << "" << false;
        QTest::newRow("not a boolean: 1") << QVariant() << QVariant(1) << "" << false;
        QTest::newRow("a code of 10,000 characters")
            << QVariant(QString(10000, u'a')) << QVariant() << QString(10000, u'A') << false;
    }

    void constructionReadsTheStore()
    {
        QFETCH(QVariant, storedCode);
        QFETCH(QVariant, storedEnabled);
        QFETCH(QString, linkCode);
        QFETCH(bool, bridgeEnabled);
        if (storedCode.isValid())
            store(QStringLiteral("linkCode"), storedCode);
        if (storedEnabled.isValid())
            store(QStringLiteral("bridgeEnabled"), storedEnabled);

        Rig rig;
        AppModel model(rig.collaborators());
        QCOMPARE(model.linkCode(), linkCode);
        QCOMPARE(model.bridgeEnabled(), bridgeEnabled);
        QCOMPARE(model.gameRunning(), false);
        QCOMPARE(model.serverState(), ServerState::idle);
        QCOMPARE(model.lastSync(), std::nullopt);
        QCOMPARE(model.statusMessage(), std::nullopt);
        QVERIFY(!model.metrics());
        QCOMPARE(stored(QStringLiteral("linkCode")), storedCode); // not written back
        QCOMPARE(rig.logLookups, 0);                              // a stored "on" opens nothing
    }

    void aCorruptSettingsFileReadsAsEmpty()
    {
        QDir().mkpath(m_settingsDir->filePath(u"Corvane"_s));
        QFile file(m_settingsDir->filePath(u"Corvane/Corvane Bridge.conf"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xff\xfe[General\nlinkCode=\"unterminated\nbridgeEnabled=\x00\x01\n[[[=\n");
        file.close();
        Rig rig;
        AppModel model(rig.collaborators());
        QVERIFY(!model.codeValid());
        QCOMPARE(model.bridgeEnabled(), false);
        model.setLinkCode(u"ABC123"_s); // and it can be written again
        QCOMPARE(stored(u"linkCode"_s).toString(), u"ABC123"_s);
    }

    void writesNotifyFirstAndPersistEveryTime()
    {
        Rig rig;
        AppModel model(rig.collaborators());
        QStringList seenBefore;
        connect(&model, &AppModel::willChange, this, [&] {
            seenBefore << QStringLiteral("%1/%2").arg(model.linkCode()).arg(model.bridgeEnabled());
        });
        QSignalSpy codeChanged(&model, &AppModel::linkCodeChanged);
        QSignalSpy enabledChanged(&model, &AppModel::bridgeEnabledChanged);

        model.setLinkCode(QStringLiteral("NEW123"));
        QCOMPARE(stored(QStringLiteral("linkCode")), QVariant("NEW123"));
        store(QStringLiteral("linkCode"), QStringLiteral("changed elsewhere"));
        model.setLinkCode(QStringLiteral("NEW123")); // equal: notifies and writes all the same
        QCOMPARE(stored(QStringLiteral("linkCode")), QVariant("NEW123"));
        model.setBridgeEnabled(true);
        model.setBridgeEnabled(true);
        QCOMPARE(stored(QStringLiteral("bridgeEnabled")).toString(), QStringLiteral("true"));
        model.setLinkCode(QString());
        QVERIFY(QSettings().contains(QStringLiteral("linkCode")));
        QCOMPARE(stored(QStringLiteral("linkCode")).toString(), QString());

        QCOMPARE(seenBefore, (QStringList{"/0", "NEW123/0", "NEW123/0", "NEW123/1", "NEW123/1"}));
        QCOMPARE(codeChanged.size(), 3);
        QCOMPARE(enabledChanged.size(), 2);
        QCOMPARE(rig.logLookups, 2); // each switch-on looks for the newest log
    }

    void codeValid_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("valid");
        QTest::newRow("six") << "ABC123" << true;
        QTest::newRow("twelve") << "ABCDEF123456" << true;
        QTest::newRow("five") << "ABC12" << false;
        QTest::newRow("thirteen") << "ABCDEF1234567" << false;
        QTest::newRow("lower case") << "abc123" << false;
        QTest::newRow("leading space") << " ABC123" << false;
        QTest::newRow("inner space") << "ABC 123" << false;
        QTest::newRow("trailing line feed") << "ABC123\n" << false;
        QTest::newRow("capital with diaeresis") << u"ABC\u00c4123"_s << false;
        QTest::newRow("full-width digits") << u"ABC\uff11\uff12\uff13"_s << false;
        QTest::newRow("empty") << "" << false;
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

    void theFirstTickComesAtOnceAndTouchesNothingWhileSyncIsOff()
    {
        Rig rig;
        rig.gameRunning = true;
        AppModel model(rig.collaborators()); // an hour's period: only the immediate tick can come
        tick(model);
        QCOMPARE(model.gameRunning(), true);
        QCOMPARE(rig.logLookups, 0);
        QVERIFY(rig.server.requests().isEmpty());
    }

    void aGameAlreadyRunningIsFollowedFromTheLogsEnd()
    {
        Rig rig;
        auto model = syncingModel(rig);
        tick(*model);
        QCOMPARE(rig.logLookups, 1);
        QTest::qWait(100);
        QVERIFY(rig.server.requests().isEmpty()); // the line already in the log is never sent

        rig.append("@CRVN@{\"balance\":2}\n");
        tickAndUpload(*model);
        QCOMPARE(rig.server.requests().size(), 1);
        QCOMPARE(sentData(rig.server.requests().first()), QJsonObject({{"balance", 2}}));
        QCOMPARE(rig.logLookups, 1); // the game kept running: no new lookup
    }

    void onlyTheNewestLineOfAPeriodIsSent()
    {
        Rig rig;
        auto model = syncingModel(rig);
        tick(*model);
        rig.append("@CRVN@{\"lines\":1}\n@CRVN@{\"lines\":2}\n");
        tickAndUpload(*model);
        QCOMPARE(rig.server.requests().size(), 1);
        QCOMPARE(sentData(rig.server.requests().first()), QJsonObject({{"lines", 2}}));
        QCOMPARE(model->metrics()->lines, 2);
        QCOMPARE(model->serverState(), ServerState::connected);
        QCOMPARE(model->lastSync(), QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC));
        QCOMPARE(model->statusMessage(), std::nullopt);
    }

    void ticksDuringASlowUploadStopAtTheBusyGuard()
    {
        Rig rig;
        auto model = syncingModel(rig);
        tickIntoAHeldUpload(rig, *model);
        QSignalSpy outcome(model.get(), &AppModel::serverStateChanged);

        rig.append("@CRVN@{\"n\":2}\n@CRVN@{\"n\":3}\n");
        tick(*model);
        tick(*model);
        QTest::qWait(100);
        QCOMPARE(rig.server.requests().size(), 1);
        QCOMPARE(outcome.size(), 0);

        rig.server.answerWith(Rig::accepted);
        rig.server.releaseHeld();
        QVERIFY(outcome.wait());
        tickAndUpload(*model);
        QCOMPARE(rig.server.requests().size(), 2);
        QCOMPARE(sentData(rig.server.requests().last()), QJsonObject({{"n", 3}}));
    }

    void outcomesLandInTheModel()
    {
        Rig rig;
        auto model = syncingModel(rig);
        tick(*model);
        rig.append("@CRVN@{\"balance\":5,\"date\":\"1 Jan 1900\"}\n");
        tickAndUpload(*model);
        const std::optional<Metrics> metrics = model->metrics();
        QCOMPARE(metrics->date, QStringLiteral("1 Jan 1900"));
        const std::optional<QDateTime> synced = model->lastSync();

        // Not JSON: the figures stay, nothing is sent, the line says why.
        rig.append("@CRVN@ balance=6\n");
        tickAndUpload(*model);
        QCOMPARE(model->serverState(), ServerState::rejected);
        QCOMPARE(model->statusMessage(), QStringLiteral("Bad payload from game"));
        QVERIFY(model->metrics() == metrics);
        QCOMPARE(rig.server.requests().size(), 1);

        // No answer after a success: the time of that success stays.
        rig.server.answerWith(Answer{200, "{}", "application/json", {}, Delivery::closeMidBody, {}});
        rig.append("@CRVN@{\"balance\":7}\n");
        tickAndUpload(*model);
        QCOMPARE(model->serverState(), ServerState::unreachable);
        QCOMPARE(model->statusMessage(), QStringLiteral("Server unreachable"));
        QCOMPARE(model->lastSync(), synced);
        QCOMPARE(model->metrics()->balance, 7.0);

        // The game stops: only gameRunning changes.
        rig.gameRunning = false;
        tick(*model);
        QCOMPARE(model->gameRunning(), false);
        QCOMPARE(model->serverState(), ServerState::unreachable);
        QCOMPARE(model->statusMessage(), QStringLiteral("Server unreachable"));
        QCOMPARE(model->lastSync(), synced);
        QCOMPARE(model->metrics()->balance, 7.0);
    }

    void switchingSyncOffDuringAnUploadStopsFollowingAtOnce()
    {
        Rig rig;
        auto model = syncingModel(rig);
        tickIntoAHeldUpload(rig, *model);
        QSignalSpy outcome(model.get(), &AppModel::serverStateChanged);

        model->setBridgeEnabled(false);
        rig.server.releaseHeld();
        QVERIFY(outcome.wait());
        QCOMPARE(model->serverState(), ServerState::connected); // the upload's outcome still lands

        // Switched on again while no log can be found, the tailer stays stopped: the marker line
        // below would be sent if switching off had not reset it.
        rig.logExists = false;
        model->setBridgeEnabled(true);
        rig.append("@CRVN@{\"n\":2}\n");
        tick(*model);
        QTest::qWait(100);
        QCOMPARE(rig.server.requests().size(), 1);
    }

    // Nothing swapped but the dashboard's address: a Steam folder in a temporary home, a real
    // process named like the game, the real three-second timer.
    void endToEnd()
    {
        QTemporaryDir home;
        qputenv("HOME", QFile::encodeName(home.path()));
        const QString log =
            home.path() +
            QStringLiteral("/.local/share/Steam/userdata/4242/3493540/local/crash_dump/stdout.txt");
        QVERIFY(QDir().mkpath(QFileInfo(log).path()));
        QFile file(log);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("@CRVN@{\"old\":true}\n");
        file.flush();

        const QString gamePath = home.filePath(QStringLiteral("TransportFever3"));
        QVERIFY(QFile::copy(QStringLiteral(FAKE_GAME), gamePath));
        QProcess game;
        game.start(gamePath, {});
        QVERIFY(game.waitForStarted());
        const auto stopGame = qScopeGuard([&] {
            game.kill();
            game.waitForFinished();
        });

        HttpsTestServer server;
        AppModel::Collaborators real;
        real.endpoint = server.url();
        AppModel model(real);
        model.setLinkCode(QStringLiteral("ABC123"));
        model.setBridgeEnabled(true);
        model.start();
        QTRY_VERIFY_WITH_TIMEOUT(model.gameRunning(), 5000);

        server.answerWith(
            Answer{200, R"({"ok":true,"updated":1767225600})", "application/json", {}, Delivery::whole, {}});
        file.write("noise\n@CRVN@ {\"balance\":1500.25,\"lines\":12}\n");
        file.flush();
        QTRY_COMPARE_WITH_TIMEOUT(model.serverState(), ServerState::connected, 10000);

        QCOMPARE(server.requests().size(), 1);
        const QJsonObject body = QJsonDocument::fromJson(server.requests().first().body).object();
        QCOMPARE(body, QJsonObject({{"code", "ABC123"},
                                    {"source", "mac-bridge"},
                                    {"data", QJsonObject({{"balance", 1500.25}, {"lines", 12}})}}));
        QCOMPARE(model.lastSync(), QDateTime::fromSecsSinceEpoch(1767225600, Qt::UTC));
        QCOMPARE(model.metrics()->lines, 12);
    }
};

QTEST_GUILESS_MAIN(TestAppModel)
#include "tst_appmodel.moc"
