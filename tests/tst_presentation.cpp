#include "Presentation.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;
using ServerState = AppModel::ServerState;
using Tone = Presentation::Tone;

Q_DECLARE_METATYPE(Presentation::Status)
Q_DECLARE_METATYPE(std::optional<double>)
Q_DECLARE_METATYPE(std::optional<qint64>)

namespace {

const QLocale unitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale germany(QLocale::German, QLocale::Germany);
const QDateTime fivePastTwo(QDate(2026, 1, 5), QTime(14, 5, 9), Qt::LocalTime);
const double notANumber = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

Presentation::Status status(bool codeValid, bool enabled, ServerState state, bool running = false,
                            std::optional<QDateTime> lastSync = {}, std::optional<QString> message = {},
                            bool followingLog = true)
{
    return {codeValid, enabled, running, state, lastSync, message, followingLog};
}

} // namespace

class TestPresentation : public QObject
{
    Q_OBJECT

private slots:
    void statusLineAndTone_data()
    {
        QTest::addColumn<Presentation::Status>("status");
        QTest::addColumn<QString>("line");
        QTest::addColumn<Tone>("tone");
        QTest::addColumn<QString>("game"); // the game card's second line, and its tone
        QTest::addColumn<Tone>("gameTone");

        QTest::newRow("invalid code, sync off")
            << status(false, false, ServerState::idle) << "Enter a valid link code first" << Tone::text3 << "Not running" << Tone::text2;
        QTest::newRow("invalid code before the switch")
            << status(false, true, ServerState::connected, true, fivePastTwo)
            << "Enter a valid link code first" << Tone::text3 << "Running" << Tone::text2;
        QTest::newRow("off, whatever the server said")
            << status(true, false, ServerState::rejected, true, {}, "No") << "Off" << Tone::text3 << "Running" << Tone::text2;
        QTest::newRow("idle, no game")
            << status(true, true, ServerState::idle) << "Waiting for game" << Tone::text2 << "Not running" << Tone::text2;
        QTest::newRow("idle, game running")
            << status(true, true, ServerState::idle, true) << "Waiting for game data" << Tone::text2 << "Running" << Tone::text2;
        QTest::newRow("connected with a time")
            << status(true, true, ServerState::connected, true, fivePastTwo) << "Live, last sync 2:05:09 PM"
            << Tone::green << "Running" << Tone::text2;
        QTest::newRow("connected without a time")
            << status(true, true, ServerState::connected) << "Live" << Tone::green << "Not running" << Tone::text2;
        QTest::newRow("unreachable") << status(true, true, ServerState::unreachable, true, fivePastTwo,
                                               "Server unreachable")
                                     << "Server unreachable" << Tone::red << "Running" << Tone::text2;
        QTest::newRow("rejected with a message")
            << status(true, true, ServerState::rejected, true, {}, "Bad payload from game")
            << "Bad payload from game" << Tone::red << "Running" << Tone::text2;
        QTest::newRow("rejected with an empty message")
            << status(true, true, ServerState::rejected, true, {}, "") << "" << Tone::red << "Running" << Tone::text2;
        QTest::newRow("a dashboard's message of 120,000 characters is cut")
            << status(true, true, ServerState::rejected, false, {}, QString(120000, u'x')) << QString(199, u'x') + u'\u2026'
            << Tone::red << "Not running" << Tone::text2;
        QTest::newRow("running, but no log is followed")
            << status(true, true, ServerState::idle, true, {}, {}, false) << "Waiting for game data" << Tone::text2
            << "Running, but its log was not found" << Tone::red;
        QTest::newRow("no log followed, but sync is off")
            << status(true, false, ServerState::idle, true, {}, {}, false) << "Off" << Tone::text3 << "Running" << Tone::text2;
        QTest::newRow("rejected without a message")
            << status(true, true, ServerState::rejected) << "Rejected" << Tone::red << "Not running" << Tone::text2;
    }

    void statusLineAndTone()
    {
        QFETCH(Presentation::Status, status);
        QFETCH(QString, line);
        QFETCH(Tone, tone);
        QFETCH(QString, game);
        QFETCH(Tone, gameTone);
        QCOMPARE(Presentation::statusLine(status, unitedStates), line);
        QCOMPARE(Presentation::statusTone(status), tone);
        QCOMPARE(Presentation::gameState(status), game);
        QCOMPARE(Presentation::gameStateTone(status), gameTone);
    }

    void currency_data()
    {
        QTest::addColumn<std::optional<double>>("amount");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        using A = std::optional<double>;
        QTest::newRow("absent") << A() << unitedStates << "-";
        QTest::newRow("down") << A(1234.4) << unitedStates << "$1,234";
        QTest::newRow("half to even, down") << A(1234.5) << unitedStates << "$1,234";
        QTest::newRow("half to even, up") << A(1235.5) << unitedStates << "$1,236";
        QTest::newRow("negative: the sign after $") << A(-2500) << unitedStates << "$-2,500";
        QTest::newRow("zero") << A(0) << unitedStates << "$0";
        QTest::newRow("beyond 64 bits") << A(1e20) << unitedStates << "$100,000,000,000,000,000,000";
        QTest::newRow("German grouping") << A(1234567.5) << germany << "$1.234.568";
        QTest::newRow("French grouping") << A(-1234567.5) << QLocale(QLocale::French, QLocale::France) << "$-1\u202f234\u202f568";
        QTest::newRow("not a number") << A(notANumber) << unitedStates << "-";
        QTest::newRow("infinite") << A(-inf) << unitedStates << "-";
    }

    void currency()
    {
        QFETCH(std::optional<double>, amount);
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QCOMPARE(Presentation::currency(amount, locale), text);
    }

    void percentage_data()
    {
        QTest::addColumn<std::optional<double>>("share");
        QTest::addColumn<QString>("text");
        using S = std::optional<double>;
        QTest::newRow("truncated") << S(87.9) << "87%";
        QTest::newRow("whole") << S(100) << "100%";
        QTest::newRow("toward zero from below") << S(-0.5) << "0%";
        QTest::newRow("not multiplied by 100") << S(0.93) << "0%";
        QTest::newRow("negative") << S(-3.7) << "-3%";
        QTest::newRow("absent") << S() << "-";
        QTest::newRow("not a number") << S(notANumber) << "-";
        QTest::newRow("beyond 64 bits") << S(1e300) << "-";
    }

    void percentage()
    {
        QFETCH(std::optional<double>, share);
        QFETCH(QString, text);
        QCOMPARE(Presentation::percentage(share), text);
    }

    void counts_data()
    {
        QTest::addColumn<std::optional<qint64>>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("no grouping") << std::optional<qint64>(1000) << "1000";
        QTest::newRow("negative") << std::optional<qint64>(-5) << "-5";
        QTest::newRow("absent") << std::optional<qint64>() << "-";
    }

    void counts()
    {
        QFETCH(std::optional<qint64>, value);
        QFETCH(QString, text);
        QCOMPARE(Presentation::count(value), text);
    }

    void timeFollowsTheLocalesMediumStyle()
    {
        QCOMPARE(Presentation::time(fivePastTwo.toUTC(), unitedStates), u"2:05:09 PM"_s);
        QCOMPARE(Presentation::time(fivePastTwo.toUTC(), germany), u"14:05:09"_s);
        QCOMPARE(Presentation::time(fivePastTwo.toUTC(), QLocale(QLocale::French, QLocale::France)), u"14:05:09"_s);
    }

    void linkCodeWriteRule_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("hyphen and space dropped") << "ab-12 cd"
                                                  << "AB12CD";
        QTest::newRow("sixteen letters pasted") << "abcdefghijklmnop"
                                                << "ABCDEFGHIJKL";
        QTest::newRow("two spaces") << "  "
                                    << "";
        QTest::newRow("sharp s becomes SS") << u"ab\u00df12"_s << "ABSS12";
        QTest::newRow("accented letter kept") << u"caf\u00e9ab"_s << u"CAF\u00c9AB"_s;
        QTest::newRow("a mark stays with its letter") << u"e\u0301abc"_s << u"E\u0301ABC"_s;
        QTest::newRow("three letters") << "abc"
                                       << "ABC";
        QTest::newRow("numbers of other scripts") << u"ab\u0661\u0662"_s << u"AB\u0661\u0662"_s;
        QTest::newRow("symbols and emoji dropped") << u"a$b\U0001F680c!"_s << "ABC";
        QTest::newRow("twelve clusters, not twelve code units")
            << u"\U0001D400bcdefghijklmn"_s << u"\U0001D400BCDEFGHIJKL"_s;
    }

    void linkCodeWriteRule()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(Presentation::linkCodeFrom(typed), stored);
    }
};

QTEST_GUILESS_MAIN(TestPresentation)
#include "tst_presentation.moc"
