#include "LoginItem.h"
#include "SingleInstance.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestApplication : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QProcess *startApp(const QStringList &arguments = {})
    {
        auto *app = new QProcess(this);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", m_dir.path());
        environment.insert("HOME", m_dir.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        app->setProcessEnvironment(environment);
        app->start(CORVANE_BRIDGE_APP, arguments);
        return app;
    }

    QByteArray lockOwner() const
    {
        QFile file(m_dir.filePath("corvane-bridge.lock"));
        return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed() : QByteArray();
    }

private slots:
    // A folder that cannot hold the lock (here: below a file) is passed over; a lock nobody
    // answers for is taken over, whatever it holds.
    void oneBridgePerUser()
    {
        const QStringList folders{"/dev/null/unwritable", m_dir.path()};
        QFile damaged(m_dir.filePath("corvane-bridge.lock"));
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("\0\xff garbage", 10) == 10);
        damaged.close();
        SingleInstance first(folders), second(folders);
        QVERIFY(first.claim());
        QSignalSpy knocked(&first, &SingleInstance::activationRequested);
        QVERIFY(!second.claim());
        QVERIFY(knocked.wait());
        QVERIFY(SingleInstance({"/dev/null/unwritable"}).claim()); // nowhere to lock: it starts all the same
    }

    // The real application: a second start steps aside with status 0; a run killed without warning
    // leaves a lock that does not block the next start.
    void theAppRunsOnceAndRecoversFromACrash()
    {
        QProcess *first = startApp();
        QTRY_COMPARE(lockOwner(), QByteArray::number(first->processId()));
        QProcess *second = startApp();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);
        first->kill();
        QVERIFY(first->waitForFinished());
        QProcess *third = startApp();
        QTRY_COMPARE(lockOwner(), QByteArray::number(third->processId()));
        third->terminate();
        QVERIFY(third->waitForFinished());
    }

    void theCommandLine()
    {
        QProcess *unknown = startApp({"--bogus"});
        QVERIFY(unknown->waitForFinished());
        QCOMPARE(unknown->exitCode(), 2);
        QCOMPARE(unknown->readAllStandardError().count('\n'), 1);
        QProcess *version = startApp({"--version"});
        QVERIFY(version->waitForFinished());
        QCOMPARE(version->exitCode(), 0);
        QVERIFY(version->readAllStandardOutput().contains(CORVANE_VERSION));
    }

    void startAtLoginWritesAndRemovesTheAutostartEntry()
    {
        LoginItem item(m_dir.filePath("autostart/app.corvane.Bridge.desktop"), "/opt/Corvane Bridge/corvane-bridge");
        QVERIFY(!item.isEnabled());
        QVERIFY(item.setEnabled(true) && item.isEnabled());
        QFile entry(item.path());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains("\nExec=\"/opt/Corvane Bridge/corvane-bridge\" --background\n"));
        QVERIFY(item.setEnabled(false) && !item.isEnabled() && !entry.exists());
        QVERIFY(item.setEnabled(false)); // already gone is fine
        // A desktop entry quotes " ` $ and \, then escapes every backslash once more, and % as %%.
        QCOMPARE(LoginItem::execLine("/a\"b`c$d\\e%f"), "\"/a\\\\\"b\\\\`c\\\\$d\\\\\\\\e%%f\" --background");
    }
};

QTEST_GUILESS_MAIN(TestApplication)
#include "tst_application.moc"
