#include "GameWatcher.h"
#include "SteamLibraries.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString gameLog = "/3493540/local/crash_dump/stdout.txt";
const QString native = ".local/share/Steam/userdata/";
const QString prefix = "/steamapps/compatdata/3493540/pfx/drive_c/Program Files (x86)/Steam/userdata/";
const QString rootVdf = ".local/share/Steam/steamapps/libraryfolders.vdf";

// A file of a fake home: a log modified `age` seconds before now, or a library file with `text`
// ($HOME in it stands for the home).
struct File
{
    QString path;
    int age = 0;
    QByteArray text = {};
};
using Home = QList<File>;

} // namespace

Q_DECLARE_METATYPE(Home)

class TestGameWatcher : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("HOME", QFile::encodeName(m_home->path()));
    }

    void theNewestLogWins_data()
    {
        QTest::addColumn<Home>("home");
        QTest::addColumn<QString>("newest"); // relative to the home, empty for none
        const QByteArray library =
            "\"libraryfolders\" { // written by Steam\n"
            "\"0\" { \"path\" \"$HOME/.local/share/Steam\" \"apps\" { \"3493540\" \"1\" } }\n"
            "\"1\" { \"path\" \"$HOME/games/lib\" \"label\" \"a \\\"quoted\\\" name\" } }";
        QTest::newRow("no Steam at all") << Home{} << "";
        QTest::newRow("an account without the game, a plain file")
            << Home{{native + "111/999/x"}, {native + "notes.txt"}} << "";
        QTest::newRow("across accounts and installs")
            << Home{{native + "1" + gameLog, 10},
                    {".var/app/com.valvesoftware.Steam/" + native + "2" + gameLog, 1},
                    {"snap/steam/common/" + native + "3" + gameLog, 5}}
            << ".var/app/com.valvesoftware.Steam/" + native + "2" + gameLog;
        QTest::newRow("the Proton prefix newer than the native log")
            << Home{{native + "1" + gameLog, 10}, {".local/share/Steam" + prefix + "2" + gameLog, 5}}
            << ".local/share/Steam" + prefix + "2" + gameLog;
        QTest::newRow("the native log newer than the prefix")
            << Home{{native + "1" + gameLog, 5}, {".local/share/Steam" + prefix + "2" + gameLog, 10}}
            << native + "1" + gameLog;
        QTest::newRow("a library on another drive") << Home{{native + "1" + gameLog, 10},
                                                            {"games/lib" + prefix + "3" + gameLog, 5},
                                                            {rootVdf, 0, library}}
                                                    << "games/lib" + prefix + "3" + gameLog;
        QTest::newRow("the older layout of the library file")
            << Home{{"games/lib" + prefix + "3" + gameLog, 5},
                    {rootVdf, 0, R"("LibraryFolders" { "1" "$HOME/games/lib" })"}}
            << "games/lib" + prefix + "3" + gameLog;
        QTest::newRow("a broken library file lists nothing")
            << Home{{native + "1" + gameLog, 10},
                    {"games/lib" + prefix + "3" + gameLog, 5},
                    {rootVdf, 0, library.chopped(1)}}
            << native + "1" + gameLog;
        QTest::newRow("a library listed twice and through a link")
            << Home{{"games/lib" + prefix + "3" + gameLog, 5},
                    {"link", 0, "games"},
                    {rootVdf, 0,
                     R"("l" { "0" { "path" "$HOME/games/lib" } "1" { "path" "$HOME/link/lib/" } })"}}
            << "games/lib" + prefix + "3" + gameLog;
        QTest::newRow("a pipe or a folder at the log's place") << Home{{native + "1" + gameLog, 10},
                                                                       {native + "2" + gameLog, 1, "fifo"},
                                                                       {native + "3" + gameLog + "/", 1}}
                                                               << native + "1" + gameLog;
    }

    void theNewestLogWins()
    {
        QFETCH(Home, home);
        QFETCH(QString, newest);
        const QDir root(m_home->path());
        for (const File &file : home) {
            const QString path = root.filePath(file.path);
            QVERIFY(root.mkpath(QFileInfo(path).path()));
            if (file.path == "link") {
                QVERIFY(QFile::link(root.filePath(file.text), path));
            } else if (file.text == "fifo") {
                QCOMPARE(::mkfifo(QFile::encodeName(path), 0600), 0);
            } else if (!file.path.endsWith('/')) {
                QFile f(path);
                QVERIFY(f.open(QIODevice::WriteOnly) &&
                        f.write(QByteArray(file.text).replace("$HOME", QFile::encodeName(root.path()))) >= 0);
                QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-file.age),
                                      QFile::FileModificationTime));
            }
        }
        const GameWatcher::LogLookup found = GameWatcher::lookUpLog();
        QCOMPARE(found.path.value_or(root.path()), root.filePath(newest));
        QStringList searched = found.searched;
        for (QString &folder : searched)
            folder = QFileInfo(folder).canonicalFilePath().isEmpty() ? folder
                                                                     : QFileInfo(folder).canonicalFilePath();
        QCOMPARE(QSet<QString>(searched.begin(), searched.end()).size(), searched.size()); // each folder once
    }

    void equalTimesKeepTheListingOrder()
    {
        const QDir userData(m_home->filePath(native));
        for (const char *account : {"aaa", "bbb", "ccc"}) {
            QVERIFY(userData.mkpath(account + QFileInfo(gameLog).path()));
            QFile f(userData.filePath(account + gameLog));
            QVERIFY(f.open(QIODevice::WriteOnly) &&
                    f.setFileTime(QDateTime(QDate(2026, 3, 1), QTime(12, 0)), QFile::FileModificationTime));
        }
        const QString first =
            userData.entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Unsorted).first();
        QCOMPARE(GameWatcher::logPath(), userData.filePath(first + gameLog));
    }

    // Library files as Steam writes them, and broken ones: never a crash, never a hang.
    void libraryFiles_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("libraries"); // "broken" for none
        QTest::newRow("escapes and comments")
            << QByteArray("\"l\"{\"0\"{\"path\" \"C:\\\\Games\\\\Steam\" // x\n}}")
            << QStringList{"C:\\Games\\Steam"};
        QTest::newRow("binary") << QByteArray("\"l\" { \"1\" \"/x\" }\0", 18) << QStringList{"broken"};
        QTest::newRow("an unterminated string") << QByteArray("\"l\" { \"1\" \"/x") << QStringList{"broken"};
        QTest::newRow("an unclosed brace") << QByteArray(R"("l" { "1" "/x")") << QStringList{"broken"};
        QTest::newRow("a brace too many") << QByteArray(R"("l" { } })") << QStringList{"broken"};
        QTest::newRow("nested a thousand deep")
            << QByteArray("\"a\" {").repeated(1000) + QByteArray("}").repeated(1000) << QStringList{"broken"};
    }

    void libraryFiles()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, libraries);
        QCOMPARE(SteamLibraries::parse(text).value_or(QStringList{"broken"}), libraries);
        QFile file(m_home->filePath("big.vdf")); // too big to be one: 1 MiB of spaces before a good one
        QVERIFY(file.open(QIODevice::WriteOnly) &&
                file.write(QByteArray(1 << 20, ' ') + R"("l" { "1" "/x" })"));
        QCOMPARE(SteamLibraries::read(file.fileName()), QStringList());
    }

    // Each process stands in for one the game check may meet: its kernel name, and for Wine its
    // first argument. Run in a PID namespace of its own, so nothing else on the machine counts.
    void isRunningKnowsTheGameFromItsLookAlikes_data()
    {
        QTest::addColumn<QStringList>("process"); // copied under its name, or fake_game's arguments
        QTest::addColumn<bool>("isGame");
        QTest::newRow("native") << QStringList{"TransportFever3"} << true;
        QTest::newRow("native helper, the same 15 characters")
            << QStringList{"TransportFever3Helper"} << false;
        QTest::newRow("under Proton")
            << QStringList{"TransportFever3", R"(Z:\home\ada\Steam\common\TransportFever3.exe)"} << true;
        QTest::newRow("under Proton, in other letter case")
            << QStringList{"TransportFever3", "C:/Games/transportfever3.EXE"} << true;
        QTest::newRow("a Windows helper")
            << QStringList{"TransportFever3", R"(Z:\g\TransportFever3Helper.exe)"} << false;
        QTest::newRow("a backup") << QStringList{"TransportFever3", R"(Z:\g\TransportFever3.exe.bak)"}
                                  << false;
    }

    void isRunningKnowsTheGameFromItsLookAlikes()
    {
        QFETCH(QStringList, process);
        QFETCH(bool, isGame);
        if (GameWatcher::isRunning())
            QSKIP(
                "a process named like the game runs here; as root the test gets a PID namespace of its own");
        QProcess child;
        if (process.size() == 1) {
            const QString copy = m_home->filePath(process.first());
            QVERIFY(QFile::copy(FAKE_GAME, copy));
            child.start(copy, {});
        } else {
            child.start(FAKE_GAME, process);
        }
        QVERIFY(child.waitForStarted());
        QTest::qWait(100); // for the re-executed look-alikes to take their names
        QCOMPARE(GameWatcher::isRunning(), isGame);
        child.kill();
        child.waitForFinished();
        QVERIFY(!GameWatcher::isRunning());
    }
};

QTEST_GUILESS_MAIN(TestGameWatcher)
#include "tst_gamewatcher.moc"
