#include "SingleInstance.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    static QByteArray lockOwner(const QString &lock)
    {
        QFile file(lock);
        return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed() : QByteArray();
    }

private slots:
    void aSecondClaimKnocksAndStepsAside()
    {
        QTemporaryDir dir;
        SingleInstance first({dir.path()});
        SingleInstance second({dir.path()});
        QVERIFY(first.claim());
        QSignalSpy knocked(&first, &SingleInstance::activationRequested);
        QVERIFY(!second.claim());
        QVERIFY(knocked.wait());
    }

    // The real application: a second start steps aside, and a run killed without warning leaves a
    // lock and a socket that do not block the next start.
    void theAppRunsOncePerUser()
    {
        QTemporaryDir runtime;
        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        const QString lock = runtime.filePath(QStringLiteral("corvane-bridge.lock"));
        const auto start = [&](QProcess &app) {
            app.setProcessEnvironment(environment);
            app.start(QStringLiteral(CORVANE_BRIDGE_APP), {});
            QVERIFY(app.waitForStarted());
        };

        QProcess first;
        start(first);
        QTRY_COMPARE(lockOwner(lock), QByteArray::number(first.processId()));

        QProcess second;
        start(second);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        QVERIFY(first.waitForFinished());
        QVERIFY(QFile::exists(lock));
        QProcess third;
        start(third);
        QTRY_COMPARE(lockOwner(lock), QByteArray::number(third.processId()));
        third.terminate();
        QVERIFY(third.waitForFinished());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
