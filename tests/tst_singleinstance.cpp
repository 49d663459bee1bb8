#include "SingleInstance.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    static QByteArray lockOwner(const QString &lock)
    {
        QFile file(lock);
        return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed() : QByteArray();
    }

    // What a run that crashed leaves behind: a socket file that nobody listens on.
    static void leaveDeadSocket(const QString &path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::copy(name.begin(), name.end(), address.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(fd);
    }

private slots:
    void aSecondClaimKnocksAndStepsAside()
    {
        QTemporaryDir dir;
        leaveDeadSocket(dir.filePath(QStringLiteral("corvane-bridge.socket")));
        SingleInstance first(dir.path());
        SingleInstance second(dir.path());
        QVERIFY(first.claim());
        QSignalSpy knocked(&first, &SingleInstance::activationRequested);
        QVERIFY(!second.claim());
        QVERIFY(knocked.wait());
    }

    // The real application: a second start steps aside, and a run killed without warning leaves a
    // lock that does not block the next start.
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
