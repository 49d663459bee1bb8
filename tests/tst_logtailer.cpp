// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

// Guards against: lines already there reported, a payload other than the newest, half, over-long or
// invalid lines taken, a shortened, replaced or removed log missed, unbounded reads, a blocking pipe.

#include "LogTailer.h"
#include "Table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/stat.h>

// What happens to the log, then what the poll after it returns ("-" for nothing).
enum Action {
    append,         // bytes added at the end, then a poll
    rewrite,        // the file written anew, shorter, then a poll
    replace,        // another file renamed over it, as a rotating logger leaves it, then a poll
    removeLog,      // then a poll
    makePipe,       // a pipe in its place, which a read would block on, then a poll
    appendUnpolled, // bytes added, no poll
    openLog,        // the tailer opens the log, no poll
};
struct Step
{
    Action action;
    QByteArray bytes = {};
    QString expected = "-";
};
using Steps = QList<Step>;
Q_DECLARE_METATYPE(Steps)

class TestLogTailer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString log() const { return m_dir.filePath("stdout.txt"); }

    void write(const QString &path, const QByteArray &bytes, QIODevice::OpenMode mode = QIODevice::Truncate)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | mode) && file.write(bytes) == bytes.size());
    }

    void apply(const Step &step, LogTailer &tailer)
    {
        switch (step.action) {
        case append:
        case appendUnpolled:
            return write(log(), step.bytes, QIODevice::Append);
        case rewrite:
            return write(log(), step.bytes);
        case replace:
            write(log() + ".new", step.bytes);
            QVERIFY(::rename(QFile::encodeName(log() + ".new"), QFile::encodeName(log())) == 0);
            return;
        case removeLog:
            QVERIFY(QFile::remove(log()));
            return;
        case makePipe:
            QVERIFY(QFile::remove(log()) && ::mkfifo(QFile::encodeName(log()), 0600) == 0);
            return;
        case openLog:
            tailer.open(log());
        }
    }

private slots:
    void cleanup() { QVERIFY(QDir(m_dir.path()).removeRecursively() && QDir().mkpath(m_dir.path())); }

    void pollsReturnTheNewestMarkerPayload_data()
    {
        const Table<Steps> row({"steps"});
        const QByteArray longLine(30, 'x'); // over the 24-byte limit these tailers get
        row("lines already there are never reported", {{append, "@CRVN@{}\n"}, {openLog}, {append, "x\n"}});
        row("text before the marker; the newest of three; blanks do not replace",
            {{openLog},
             {append,
              "[lua] @CRVN@ "
              R"({"n":1})"
              "\n@CRVN@{}\nx\n@CRVN@ 3\n@CRVN@ \t \nx\n",
              "3"}});
        row("all after the first marker, trimmed of spaces and tabs but not of a CR, nothing twice",
            {{openLog}, {append, "@CRVN@\u3000\t a@CRVN@\u00a0 \r\n", "a@CRVN@\u00a0 \r"}, {append}});
        row("a line counts once its line feed arrives, a cut character joined with its rest",
            {{openLog}, {append, "@CRVN@ Z\xc3"}, {append, "\xbc 1"}, {append, "\n", "Z\u00fc 1"}});
        row("an unfinished line at open is dropped; so is one at a re-open",
            {{append, R"(@CRVN@{"old")"},
             {openLog},
             {append, ":1}\n@CRVN@ 1\n", "1"},
             {append, "@CRVN@ half"},
             {appendUnpolled, "\n@CRVN@ skipped\n"},
             {openLog},
             {append, "@CRVN@ 2\n", "2"}});
        row("invalid bytes spoil only their own line, and are never seen again",
            {{openLog},
             {append, "@CRVN@ 1\n@CRVN@ \xff\n\xc0\xaf\n", "1"},
             {append, "\xed\xa0\x80\n@CRVN@ 2\n\xfe\n", "2"},
             {append, "\xf0\x9f"},
             {append, "\n"}});
        row("an over-long line is ignored whole, over several polls, the lines around it are not",
            {{openLog},
             {append, "@CRVN@ 1\n@CRVN@" + longLine + "\n", "1"},
             {append, "@CRVN@" + longLine},
             {append, "@CRVN@ tail"},
             {append, "\n"},
             {append, "@CRVN@ 2\n" + longLine + "\n", "2"}});
        // The scan ends 3 bytes into the line with "cut", which alone would fit the limit.
        row("a poll reads no further back than its scan, and the line it cuts counts as too long",
            {{openLog},
             {append, "@CRVN@ far\n" + QByteArray(50, 'x') + "@CRVN@ cut\n" + QByteArray(50, '\n')},
             {append, "@CRVN@ near\n", "near"}});
        row("shorter, replaced with a half line carried, removed and back: read from the start",
            {{append, "a long line of game output\n"},
             {openLog},
             {rewrite, "@CRVN@ 1\n", "1"},
             {append, R"(@CRVN@ {"half")"},
             {replace, "@CRVN@ new\nnoise that makes this file longer\n", "new"},
             {removeLog},
             {append, "0123456789\n@CRVN@ 2\n", "2"}});
        row("a pipe at the log's path is never read",
            {{openLog}, {appendUnpolled, "@CRVN@ 1\n"}, {makePipe}});
    }

    // A tailer with a 24-byte line limit and a 64-byte scan.
    void pollsReturnTheNewestMarkerPayload()
    {
        QFETCH(Steps, steps);
        LogTailer tailer({.maxLineBytes = 24, .maxScanBytes = 64});
        for (const Step &step : steps) {
            apply(step, tailer);
            if (step.action != appendUnpolled && step.action != openLog)
                QCOMPARE(tailer.poll().value_or("-"), step.expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestLogTailer)
#include "tst_logtailer.moc"
