// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

// Guards against: a log other than the newest taken (an install, a library or a Proton prefix missed, a
// broken or huge library file trusted, a pipe named like a log chosen). Look-alikes of the game: the
// end-to-end test runs them.

#include "GameWatcher.h"
#include "Table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

const QString gameLog = "/3493540/local/crash_dump/stdout.txt";
const QString steam = ".local/share/Steam";
const QString native = steam + "/userdata/";
const QString prefix = "/steamapps/compatdata/3493540/pfx/drive_c/Program Files (x86)/Steam/userdata/";
const QString rootVdf = steam + "/steamapps/libraryfolders.vdf";

// A file of a fake home: a log modified `age` seconds before now, or a library file with `text`
// ($HOME in it stands for the home), or a named pipe.
struct File
{
    QString path;
    int age = 0;
    QByteArray text = {};
    bool pipe = false;
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
        const Table<Home, QString> row({"home", "newest"}); // newest: relative to the home, empty for none
        const QByteArray library = R"("libraryfolders" { // written by Steam
"0" { "path" "$HOME/.local/share/Steam" "apps" { "3493540" "1" } }
"1" { "path" "$HOME/games/lib" "label" "a \"quoted\" name" } })";
        // Logs of account `a`: native (in a given install), and in the Proton prefix of a library.
        const auto nat = [](QString a, QString in = {}) { return in + native + a + gameLog; };
        const auto pfx = [](QString a, QString in = steam) { return in + prefix + a + gameLog; };
        const QString flatpak = ".var/app/com.valvesoftware.Steam/", snap = "snap/steam/common/";
        const QString lib = "games/lib";
        row("across accounts and installs", {{nat("1"), 10}, {nat("2", flatpak), 1}, {nat("3", snap), 5}},
            nat("2", flatpak));
        row("a newer Proton prefix", {{nat("1"), 10}, {pfx("2"), 5}}, pfx("2"));
        row("a newer native log", {{nat("1"), 5}, {pfx("2"), 10}}, nat("1"));
        row("a newer pipe named like a log, never read", {{nat("1"), 10}, {nat("2"), 0, {}, true}}, nat("1"));
        row("a library elsewhere", {{nat("1"), 10}, {pfx("3", lib), 5}, {rootVdf, 0, library}},
            pfx("3", lib));
        row("the older library file", {{pfx("3", lib), 5}, {rootVdf, 0, R"("l" { "1" "$HOME/games/lib" })"}},
            pfx("3", lib));
        row("a broken library file", {{nat("1"), 10}, {pfx("3", lib), 5}, {rootVdf, 0, library.chopped(1)}},
            nat("1"));
        row("a library file over 1 MiB",
            {{nat("1"), 10}, {pfx("3", lib), 5}, {rootVdf, 0, QByteArray(1 << 20, ' ') + library}}, nat("1"));
    }

    void theNewestLogWins()
    {
        QFETCH(Home, home);
        QFETCH(QString, newest);
        const QDir root(m_home->path());
        for (const File &file : home) {
            const QString path = root.filePath(file.path);
            QVERIFY(root.mkpath(QFileInfo(path).path()));
            if (file.pipe) { // made now, so the newest
                QVERIFY(::mkfifo(QFile::encodeName(path), 0600) == 0);
                continue;
            }
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) &&
                    f.write(QByteArray(file.text).replace("$HOME", QFile::encodeName(root.path()))) >= 0);
            QVERIFY(
                f.setFileTime(QDateTime::currentDateTime().addSecs(-file.age), QFile::FileModificationTime));
        }
        QCOMPARE(GameWatcher::lookUpLog().path.value_or(root.path()), root.filePath(newest));
    }
};

QTEST_GUILESS_MAIN(TestGameWatcher)
#include "tst_gamewatcher.moc"
