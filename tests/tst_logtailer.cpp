#include "LogTailer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <sys/stat.h>

// What happens to the log, then what the poll after it returns ("-" for nothing). The action's first
// character says what happens: '+' append, '=' rewrite shorter, '>' replace by another file, 'x'
// remove, 'p' replace by a pipe; and with no poll after it: '~' append, 'o' open.
struct Step
{
    QByteArray action;
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

    void apply(const Step &step, std::initializer_list<LogTailer *> tailers)
    {
        const QByteArray bytes = step.action.mid(1);
        switch (step.action.at(0)) {
        case '+':
        case '~':
            return write(log(), bytes, QIODevice::Append);
        case '=':
            return write(log(), bytes);
        case '>': // as a rotating logger leaves it
            write(log() + ".new", bytes);
            QVERIFY(::rename(QFile::encodeName(log() + ".new"), QFile::encodeName(log())) == 0);
            return;
        case 'x':
            QVERIFY(QFile::remove(log()));
            return;
        case 'p': // a pipe would block a read: never read, or this would hang
            QVERIFY(QFile::remove(log()) && ::mkfifo(QFile::encodeName(log()), 0600) == 0);
            return;
        }
        for (LogTailer *tailer : tailers) // 'o'
            tailer->open(log());
    }

private slots:
    void cleanup() { QDir(m_dir.path()).removeRecursively(), QDir().mkpath(m_dir.path()); }

    void pollsReturnTheNewestMarkerPayload_data()
    {
        QTest::addColumn<Steps>("steps");
        const QByteArray longLine(30, 'x'); // over the 24-byte limit these tailers get
        // clang-format off
        QTest::newRow("lines already there are never reported") << Steps{{"+@CRVN@{}\n"}, {"o"}, {"+x\n"}};
        QTest::newRow("text before the marker; the newest of three; blanks do not replace")
            << Steps{{"o"}, {"+[lua] @CRVN@ {\"n\":1}\n@CRVN@{}\nx\n@CRVN@ 3\n@CRVN@ \t \nx\n", "3"}};
        QTest::newRow("all after the first marker, spaces of any kind trimmed, nothing twice")
            << Steps{{"o"}, {"+@CRVN@\u3000\t a@CRVN@\u00a0 \r\n", "a@CRVN@\u00a0 \r"}, {"+"}};
        QTest::newRow("a line counts once its line feed arrives, a cut character joined with its rest")
            << Steps{{"o"}, {"+@CRVN@ Z\xc3"}, {"+\xbc 1"}, {"+\n", "Z\u00fc 1"}};
        QTest::newRow("an unfinished line at open is dropped; so is one at a re-open")
            << Steps{{"+@CRVN@{\"old\""}, {"o"}, {"+:1}\n@CRVN@ 1\n", "1"}, {"+@CRVN@ half"},
                     {"~\n@CRVN@ skipped\n"}, {"o"}, {"+@CRVN@ 2\n", "2"}};
        QTest::newRow("invalid bytes spoil only their own line, and are never seen again")
            << Steps{{"o"}, {"+@CRVN@ 1\n@CRVN@ \xff\n\xc0\xaf\n", "1"},
                     {"+\xed\xa0\x80\n@CRVN@ 2\n\xfe\n", "2"}, {"+\xf0\x9f"}, {"+\n"}};
        QTest::newRow("an over-long line is ignored whole, over several polls, the lines around it are not")
            << Steps{{"o"}, {"+@CRVN@ 1\n@CRVN@" + longLine + "\n", "1"}, {"+@CRVN@" + longLine},
                     {"+@CRVN@ tail\n"}, {"+@CRVN@ 2\n" + longLine + "\n", "2"}};
        QTest::newRow("a poll reads no further back than its scan")
            << Steps{{"o"}, {"+@CRVN@ far\n" + QByteArray(70, '\n')}, {"+@CRVN@ near\n", "near"}};
        QTest::newRow("shorter, replaced with a half line carried, removed and back: read from the start")
            << Steps{{"+a long line of game output\n"}, {"o"}, {"=@CRVN@ 1\n", "1"}, {"+@CRVN@ {\"half\""},
                     {">@CRVN@ new\nnoise that makes this file longer\n", "new"}, {"x"},
                     {"+0123456789\n@CRVN@ 2\n", "2"}};
        QTest::newRow("a pipe at the log's path is never read") << Steps{{"o"}, {"~@CRVN@ 1\n"}, {"p"}};
        // clang-format on
    }

    // Two tailers with a 24-byte line limit and a 64-byte scan: one reads in 64 KiB blocks, one in
    // 3-byte blocks, so every row also crosses block boundaries.
    void pollsReturnTheNewestMarkerPayload()
    {
        QFETCH(Steps, steps);
        LogTailer wide({24, 64 * 1024, 64}), narrow({24, 3, 64});
        for (const Step &step : steps) {
            apply(step, {&wide, &narrow});
            if (QByteArray("+=>xp").contains(step.action.at(0))) {
                QCOMPARE(wide.poll().value_or("-"), step.expected);
                QCOMPARE(narrow.poll().value_or("-"), step.expected);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestLogTailer)
#include "tst_logtailer.moc"
