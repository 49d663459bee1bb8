#include "LogTailer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// What happens to the log between polls, and what the next poll must return ("-" for nothing).
struct Step
{
    enum Op { append, appendUnpolled, rewrite, replace, remove, makeUnreadable, open, reset } op;
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

    void write(const QByteArray &bytes, QIODevice::OpenMode mode)
    {
        QFile file(log());
        QVERIFY(file.open(QIODevice::WriteOnly | mode));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    void apply(const Step &step, QList<LogTailer *> tailers)
    {
        switch (step.op) {
        case Step::append:
        case Step::appendUnpolled:
            return write(step.bytes, QIODevice::Append);
        case Step::rewrite:
            return write(step.bytes, QIODevice::Truncate); // the same file, shorter
        case Step::replace: { // another file under the same name, as a rotating logger leaves it
            QFile fresh(log() + ".new");
            QVERIFY(fresh.open(QIODevice::WriteOnly) && fresh.write(step.bytes) == step.bytes.size());
            QVERIFY(::rename(QFile::encodeName(fresh.fileName()), QFile::encodeName(log())) == 0);
            return;
        }
        case Step::remove:
            QVERIFY(QFile::remove(log()));
            return;
        case Step::makeUnreadable:
            QVERIFY(QFile::setPermissions(log(), {}));
            return;
        case Step::open:
            for (LogTailer *t : tailers)
                t->open(log());
            return;
        case Step::reset:
            for (LogTailer *t : tailers)
                t->reset();
            return;
        }
    }

private slots:
    void cleanup() { QDir(m_dir.path()).removeRecursively(), QDir().mkpath(m_dir.path()); }

    void pollsReturnTheNewestMarkerPayload_data()
    {
        QTest::addColumn<Steps>("steps");
        const QByteArray longLine(30, 'x'); // over the 24-byte limit these tailers get
        using S = Step;
        QTest::newRow("lines already there are never reported")
            << Steps{{S::append, "@CRVN@{\"a\":1}\n"}, {S::open}, {S::append, "plain\n"}};
        QTest::newRow("one marker line, then nothing new")
            << Steps{{S::open}, {S::append, "@CRVN@ {\"a\":1}\n", "{\"a\":1}"}, {S::append, ""}};
        QTest::newRow("text before the marker; the newest of three; blanks do not replace") << Steps{
            {S::open}, {S::append, "[lua] @CRVN@ {\"n\":1}\n@CRVN@{}\nx\n@CRVN@ 3\n@CRVN@ \t \nx\n", "3"}};
        QTest::newRow("the marker twice: everything after the first")
            << Steps{{S::open}, {S::append, "@CRVN@ a @CRVN@ b\n", "a @CRVN@ b"}};
        QTest::newRow("spaces of any kind and tabs are trimmed, other characters kept")
            << Steps{{S::open}, {S::append, "@CRVN@\t\u3000\u00a0{}\u00a0 \r\n", "{}\u00a0 \r"}};
        QTest::newRow("a line counts once its line feed arrives") << Steps{
            {S::open}, {S::append, "@CRVN@{\"a\""}, {S::append, ":1}"}, {S::append, "\n", "{\"a\":1}"}};
        QTest::newRow("an unfinished line at open is dropped; so is one at a re-open")
            << Steps{{S::append, "@CRVN@{\"old\""},
                     {S::open},
                     {S::append, ":1}\n@CRVN@ 1\n", "1"},
                     {S::append, "@CRVN@ half"},
                     {S::appendUnpolled, "\n@CRVN@ skipped\n"},
                     {S::open},
                     {S::append, "@CRVN@ 2\n", "2"}};
        QTest::newRow("a character cut by a poll is joined with its rest")
            << Steps{{S::open}, {S::append, "@CRVN@ Z\xc3"}, {S::append, "\xbc\n", "Z\u00fc"}};
        QTest::newRow("invalid bytes spoil only their own line, and are never seen again")
            << Steps{{S::open},
                     {S::append, "@CRVN@ 1\n@CRVN@ \xff\n\xc0\xaf\n", "1"},
                     {S::append, "\xed\xa0\x80\n@CRVN@ 2\n\xfe\n", "2"},
                     {S::append, "\xf0\x9f"},
                     {S::append, "\n"}};
        QTest::newRow("an over-long line is ignored whole, over several polls, the lines around it are not")
            << Steps{{S::open},
                     {S::append, "@CRVN@ 1\n@CRVN@" + longLine + "\n", "1"},
                     {S::append, "@CRVN@" + longLine},
                     {S::append, "@CRVN@ tail\n"},
                     {S::append, "@CRVN@ 2\n" + longLine + "\n", "2"}};
        QTest::newRow("a poll reads no further back than its scan")
            << Steps{{S::open},
                     {S::append, "@CRVN@ far\n" + QByteArray(70, '\n')},
                     {S::append, "@CRVN@ near\n", "near"}};
        QTest::newRow("a file made shorter is read from its start")
            << Steps{{S::append, "a long line of game output\n"}, {S::open}, {S::rewrite, "@CRVN@ 1\n", "1"}};
        QTest::newRow("a file replaced by a longer one is read from its start, with nothing carried")
            << Steps{{S::append, "@CRVN@ old\n"},
                     {S::open},
                     {S::append, "@CRVN@ {\"half\""},
                     {S::replace, "@CRVN@ new\nnoise that makes this file longer\n", "new"}};
        QTest::newRow("a missing file is read whole once it exists; a removed one once it is back")
            << Steps{{S::open},
                     {S::append, "@CRVN@ 1\n", "1"},
                     {S::remove},
                     {S::append, "0123456789\n@CRVN@ 2\n", "2"}};
        QTest::newRow("an unreadable file waits, consuming nothing")
            << Steps{{S::open}, {S::appendUnpolled, "@CRVN@ 1\n"}, {S::makeUnreadable}};
        QTest::newRow("reset stops following") << Steps{{S::open}, {S::reset}, {S::append, "@CRVN@ 1\n"}};
    }

    // Two tailers with a 24-byte line limit and a 64-byte scan: one reads in 64 KiB blocks, one in
    // 3-byte blocks, so every row also crosses block boundaries.
    void pollsReturnTheNewestMarkerPayload()
    {
        QFETCH(Steps, steps);
        LogTailer wide({24, 64 * 1024, 64}), narrow({24, 3, 64});
        // Root reads anything, so the unreadable row polls as nobody.
        const bool asNobody =
            ::geteuid() == 0 &&
            QTest::currentDataTag() == QByteArray("an unreadable file waits, consuming nothing");
        for (const Step &step : steps) {
            apply(step, {&wide, &narrow});
            if (step.op == Step::open || step.op == Step::reset || step.op == Step::appendUnpolled)
                continue;
            QVERIFY(!asNobody || ::seteuid(65534) == 0);
            const QString a = wide.poll().value_or("-"), b = narrow.poll().value_or("-");
            QVERIFY(!asNobody || ::seteuid(0) == 0);
            QCOMPARE(a, step.expected);
            QCOMPARE(b, step.expected);
        }
        if (asNobody) { // readable again: the waiting line arrives
            QVERIFY(QFile::setPermissions(log(), QFile::ReadOwner | QFile::WriteOwner));
            QCOMPARE(wide.poll(), QString("1"));
        }
    }

    // A pipe or device at the log path would block a read or never end: never read. Were it read,
    // this would hang until CTest's timeout.
    void specialFilesAreNeverRead_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"fifo", "/dev/zero", "/dev/urandom", "dir"})
            QTest::newRow(kind) << kind;
    }
    void specialFilesAreNeverRead()
    {
        QFETCH(QString, kind);
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(log()), 0600), 0);
        else
            QVERIFY(kind == "dir" ? QDir().mkdir(log()) : QFile::link(kind, log()));
        LogTailer tailer;
        tailer.open(log());
        QCOMPARE(tailer.poll(), std::nullopt);
    }

    // 8 GiB without a line feed (sparse, so it costs no disk): the window must not wait on it.
    void aHugeAppendIsReadOnlyAtItsEnd()
    {
        LogTailer tailer;
        tailer.open(log());
        QFile file(log());
        QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(8LL << 30));
        QCOMPARE(tailer.poll(), std::nullopt);
        file.close();
        write("@CRVN@{\"tail\":1}\n@CRVN@{\"after\":1}\n", QIODevice::Append);
        QCOMPARE(tailer.poll(), QString("{\"after\":1}"));
    }
};

QTEST_GUILESS_MAIN(TestLogTailer)
#include "tst_logtailer.moc"
