#include "LogTailer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString absent = QStringLiteral("<absent>");
const QByteArray longLine(LogTailer::Limits().maxLineBytes + 1, 'x');

QString shown(const std::optional<QString> &payload)
{
    return payload.value_or(absent);
}

} // namespace

class TestLogTailer : public QObject
{
    Q_OBJECT

private:
    QString logPath() const { return m_dir->filePath(QStringLiteral("stdout.txt")); }

    void write(const QByteArray &bytes, QIODevice::OpenMode mode = QIODevice::Append)
    {
        QFile file(logPath());
        QVERIFY(file.open(QIODevice::WriteOnly | mode));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    LogTailer m_tailer;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_tailer = LogTailer();
    }

    // Each append is followed by one poll; `expected` holds what each poll returns.
    void pollsReturnTheNewestMarkerPayload_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QList<QByteArray>>("appends");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("lines already there are never reported")
            << QByteArray("@CRVN@{\"a\":1}\n") << QList<QByteArray>{"", "plain line\n"}
            << QStringList{absent, absent};
        QTest::newRow("one marker line, then nothing new")
            << QByteArray() << QList<QByteArray>{"@CRVN@ {\"a\":1}\n", ""}
            << QStringList{"{\"a\":1}", absent};
        QTest::newRow("text before the marker is ignored")
            << QByteArray() << QList<QByteArray>{"[lua] 12:00 @CRVN@ {\"a\":1}\n"}
            << QStringList{"{\"a\":1}"};
        QTest::newRow("three markers in one poll give the third")
            << QByteArray()
            << QList<QByteArray>{"@CRVN@{\"n\":1}\n@CRVN@{\"n\":2}\nnoise\n@CRVN@{\"n\":3}\nnoise\n"}
            << QStringList{"{\"n\":3}"};
        QTest::newRow("a blank payload does not replace an earlier one")
            << QByteArray() << QList<QByteArray>{"@CRVN@{\"n\":1}\n@CRVN@ \t \n"} << QStringList{"{\"n\":1}"};
        QTest::newRow("the marker twice: everything after the first")
            << QByteArray() << QList<QByteArray>{"@CRVN@ a @CRVN@ b\n"} << QStringList{"a @CRVN@ b"};
        QTest::newRow("spaces of any kind and tabs are trimmed, other characters kept")
            << QByteArray() << QList<QByteArray>{"@CRVN@\t\u3000\u00a0{}\u00a0 \r\n"}
            << QStringList{"{}\u00a0 \r"};
        QTest::newRow("a line counts once its line feed arrives")
            << QByteArray() << QList<QByteArray>{"@CRVN@{\"a\"", ":1}", "\n"}
            << QStringList{absent, absent, "{\"a\":1}"};
        QTest::newRow("the unfinished line already there is dropped at open")
            << QByteArray("@CRVN@{\"old\"") << QList<QByteArray>{":1}\n@CRVN@{}\n"} << QStringList{"{}"};
        QTest::newRow("a character cut by a poll is joined with its rest")
            << QByteArray() << QList<QByteArray>{"@CRVN@{\"city\":\"Z\xc3", "\xbcrich\"}\n"}
            << QStringList{absent, QString::fromUtf8("{\"city\":\"Z\u00fcrich\"}")};
        QTest::newRow("an invalid line beside a valid marker line is ignored alone")
            << QByteArray()
            << QList<QByteArray>{"@CRVN@{\"a\":1}\n\xff\xfe junk\n",
                                 "\xc0\xaf\n@CRVN@{\"b\":2}\n\xed\xa0\x80\n"}
            << QStringList{"{\"a\":1}", "{\"b\":2}"};
        QTest::newRow("a marker line with invalid bytes gives way to the older valid one")
            << QByteArray() << QList<QByteArray>{"@CRVN@{\"a\":1}\n@CRVN@{\"b\":\"\xff\"}\n"}
            << QStringList{"{\"a\":1}"};
        QTest::newRow("invalid bytes alone: absent, and never seen again")
            << QByteArray() << QList<QByteArray>{"\xff\xfe\n", "", "\xf0\x9f", "\n"}
            << QStringList{absent, absent, absent, absent};
        QTest::newRow("an over-long unfinished line is dropped up to its line feed")
            << QByteArray() << QList<QByteArray>{longLine, "@CRVN@{\"tail\":1}\n", "@CRVN@{\"c\":3}\n"}
            << QStringList{absent, absent, "{\"c\":3}"};
        QTest::newRow("an over-long line that grows over several polls")
            << QByteArray()
            << QList<QByteArray>{"@CRVN@{}", longLine.left(700000), longLine.left(700000), "\n"}
            << QStringList{absent, absent, absent, absent};
        QTest::newRow("an over-long complete line is ignored, the lines around it are not")
            << QByteArray()
            << QList<QByteArray>{"@CRVN@{\"a\":1}\n@CRVN@{\"x\":\"" + longLine + "\"}\n",
                                 "@CRVN@{\"b\":2}\n" + longLine + "\n"}
            << QStringList{"{\"a\":1}", "{\"b\":2}"};
    }

    void pollsReturnTheNewestMarkerPayload()
    {
        QFETCH(QByteArray, before);
        QFETCH(QList<QByteArray>, appends);
        QFETCH(QStringList, expected);

        // A second tailer reads in 3-byte blocks, so every row also crosses block boundaries.
        LogTailer smallBlocks({LogTailer::Limits().maxLineBytes, 3});
        write(before);
        m_tailer.open(logPath());
        smallBlocks.open(logPath());
        for (qsizetype i = 0; i < appends.size(); ++i) {
            write(appends[i]);
            QCOMPARE(shown(m_tailer.poll()), expected[i]);
            QCOMPARE(shown(smallBlocks.poll()), expected[i]);
        }
    }

    // Read back from its end, a line of 200 MiB costs reads but never memory, and is dropped whole.
    void aHugeLineWithoutLineFeedIsDropped()
    {
        m_tailer.open(logPath());
        QFile file(logPath());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(200 * 1024 * 1024)); // sparse: 200 MiB of NUL bytes, no line feed
        QCOMPARE(shown(m_tailer.poll()), absent);
        file.close();
        write("@CRVN@{\"tail\":1}\n@CRVN@{\"after\":1}\n");
        QCOMPARE(shown(m_tailer.poll()), "{\"after\":1}");
    }

    void anUnreadableLogIsSkippedUntilItIsReadableAgain()
    {
        write("first\n");
        m_tailer.open(logPath());
        write("@CRVN@{\"a\":1}\n");
        QVERIFY(QFile::setPermissions(logPath(), {}));
        {
            // Root reads anything; the check runs as nobody then.
            const bool asRoot = ::geteuid() == 0;
            if (asRoot)
                QCOMPARE(::seteuid(65534), 0);
            const std::optional<QString> payload = m_tailer.poll();
            if (asRoot)
                QCOMPARE(::seteuid(0), 0);
            QCOMPARE(shown(payload), absent);
        }
        QVERIFY(QFile::setPermissions(logPath(), QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(shown(m_tailer.poll()), "{\"a\":1}"); // nothing was consumed meanwhile
    }

    void aShorterFileIsReadFromItsStart()
    {
        write("a long line of game output that makes the file longer than what replaces it\n");
        m_tailer.open(logPath());
        write("@CRVN@{\"fresh\":1}\n", QIODevice::Truncate);
        QCOMPARE(shown(m_tailer.poll()), "{\"fresh\":1}");
    }

    void aDeletedLogResumesAtTheOldPositionWhenRecreated()
    {
        write("0123456789\n");
        m_tailer.open(logPath());
        QVERIFY(QFile::remove(logPath()));
        QCOMPARE(shown(m_tailer.poll()), absent);
        write("0123456789\n@CRVN@{\"back\":1}\n");
        QCOMPARE(shown(m_tailer.poll()), "{\"back\":1}");
    }

    void openingAMissingFileReadsItWholeOnceItExists()
    {
        m_tailer.open(logPath());
        QCOMPARE(shown(m_tailer.poll()), absent);
        write("@CRVN@{\"first\":1}\n");
        QCOMPARE(shown(m_tailer.poll()), "{\"first\":1}");
    }

    void reopeningSkipsWhatWasAppendedAndTheUnfinishedLine()
    {
        m_tailer.open(logPath());
        write("@CRVN@{\"half\"");
        QCOMPARE(shown(m_tailer.poll()), absent);
        write(":1}\n@CRVN@{\"skipped\":1}\n");
        m_tailer.open(logPath());
        write("@CRVN@{\"after\":1}\n");
        QCOMPARE(shown(m_tailer.poll()), "{\"after\":1}");
    }

    void resetStopsFollowing()
    {
        m_tailer.open(logPath());
        m_tailer.reset();
        write("@CRVN@{\"a\":1}\n");
        QCOMPARE(shown(m_tailer.poll()), absent);
    }

    // A pipe or device at the log path would block a read or never end; it counts as unreadable.
    // Were it read, this test would hang until CTest's timeout.
    void specialFilesAreNeverRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe") << "fifo";
        QTest::newRow("link to /dev/zero") << "/dev/zero";
        QTest::newRow("link to /dev/urandom") << "/dev/urandom";
        QTest::newRow("directory") << "dir";
    }

    void specialFilesAreNeverRead()
    {
        QFETCH(QString, kind);
        const QByteArray path = QFile::encodeName(logPath());
        if (kind == "fifo")
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else if (kind == "dir")
            QVERIFY(QDir().mkdir(logPath()));
        else
            QVERIFY(QFile::link(kind, logPath()));
        m_tailer.open(logPath());
        QCOMPARE(shown(m_tailer.poll()), absent);
        QCOMPARE(shown(m_tailer.poll()), absent);
    }
};

QTEST_GUILESS_MAIN(TestLogTailer)
#include "tst_logtailer.moc"
