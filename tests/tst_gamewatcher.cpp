#include "GameWatcher.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString logBelowAccount = QStringLiteral("/3493540/local/crash_dump/stdout.txt");
const QDateTime someTime = QDateTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);

} // namespace

class TestGameWatcher : public QObject
{
    Q_OBJECT

private:
    QString userData(const QString &install = QStringLiteral("/.local/share/Steam/userdata")) const
    {
        return m_home->path() + install;
    }

    // Creates an account's log, modified `secondsAfter` someTime.
    QString addLog(const QString &account, int secondsAfter,
                   const QString &install = QStringLiteral("/.local/share/Steam/userdata"))
    {
        const QString path = userData(install) + u'/' + account + logBelowAccount;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            !file.setFileTime(someTime.addSecs(secondsAfter), QFile::FileModificationTime))
            qFatal("cannot make %s", qPrintable(path));
        return path;
    }

    // Starts a copy of the fake game under `name`; the caller kills it.
    QProcess *startGameNamed(const QString &name)
    {
        const QString copy = m_home->filePath(name);
        if (!QFile::exists(copy) && !QFile::copy(QStringLiteral(FAKE_GAME), copy))
            qFatal("cannot copy the fake game");
        auto *process = new QProcess(this);
        process->start(copy, {});
        if (!process->waitForStarted())
            qFatal("cannot start %s", qPrintable(copy));
        return process;
    }

    static void stop(QProcess *process)
    {
        process->kill();
        process->waitForFinished();
        delete process;
    }

    std::unique_ptr<QTemporaryDir> m_home;

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("HOME", QFile::encodeName(m_home->path()));
    }

    void noLogWithoutTheGame()
    {
        QCOMPARE(GameWatcher::logPath(), std::nullopt); // no Steam folder at all
        QVERIFY(QDir().mkpath(userData()));
        QCOMPARE(GameWatcher::logPath(), std::nullopt); // an empty one
        QVERIFY(QDir().mkpath(userData() + QStringLiteral("/111/999/local")));
        QFile stray(userData() + QStringLiteral("/notes.txt"));
        QVERIFY(stray.open(QIODevice::WriteOnly));
        QCOMPARE(GameWatcher::logPath(), std::nullopt); // an account without the game, a plain file
    }

    void theNewestLogWinsAcrossAccountsAndInstalls()
    {
        addLog(QStringLiteral("111"), 10);
        addLog(QStringLiteral("333"), 5);
        const QString newest =
            addLog(QStringLiteral("222"), 20,
                   QStringLiteral("/.var/app/com.valvesoftware.Steam/.local/share/Steam/userdata"));
        addLog(QStringLiteral("444"), 15, QStringLiteral("/snap/steam/common/.local/share/Steam/userdata"));
        QCOMPARE(GameWatcher::logPath(), newest);
    }

    void equalTimesKeepTheListingOrder()
    {
        for (const QString &account : {QStringLiteral("aaa"), QStringLiteral("bbb"), QStringLiteral("ccc")})
            addLog(account, 0);
        const QStringList listed =
            QDir(userData()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Unsorted);
        QCOMPARE(GameWatcher::logPath(), userData() + u'/' + listed.first() + logBelowAccount);
    }

    void onlyRegularFilesCount()
    {
        const QString older = addLog(QStringLiteral("111"), 0);
        const QString fifo = userData() + QStringLiteral("/222") + logBelowAccount;
        QDir().mkpath(QFileInfo(fifo).path());
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(
            QDir().mkpath(userData() + QStringLiteral("/333") + logBelowAccount)); // a folder in its place
        QCOMPARE(GameWatcher::logPath(), older);
    }

    void isRunningMatchesTheWholeName()
    {
        QVERIFY(!GameWatcher::isRunning());

        QProcess *helper = startGameNamed(QStringLiteral("TransportFever3Helper"));
        QVERIFY(!GameWatcher::isRunning()); // the kernel shows it as "TransportFever3" too
        QProcess *game = startGameNamed(QStringLiteral("TransportFever3"));
        QVERIFY(GameWatcher::isRunning());
        stop(game);
        QVERIFY(!GameWatcher::isRunning());
        stop(helper);
    }
};

QTEST_MAIN(TestGameWatcher)
#include "tst_gamewatcher.moc"
