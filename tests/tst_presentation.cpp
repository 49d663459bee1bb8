#include "Presentation.h"

#include <QTest>

#include <limits>

using ServerState = AppModel::ServerState;
using Tone = Presentation::Tone;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Presentation::Status)
Q_DECLARE_METATYPE(std::optional<double>)

namespace {

const QLocale unitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale germany(QLocale::German, QLocale::Germany);
const QDateTime fivePastTwo(QDate(2026, 1, 5), QTime(14, 5, 9), Qt::LocalTime);

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
            << status(false, false, ServerState::idle) << "Enter a valid link code first" << Tone::text3
            << "Not running" << Tone::text2;
        QTest::newRow("invalid code before the switch")
            << status(false, true, ServerState::connected, true, fivePastTwo)
            << "Enter a valid link code first" << Tone::text3 << "Running" << Tone::text2;
        QTest::newRow("off, whatever the server said")
            << status(true, false, ServerState::rejected, true, {}, "No") << "Off" << Tone::text3 << "Running"
            << Tone::text2;
        QTest::newRow("idle, no game") << status(true, true, ServerState::idle) << "Waiting for game"
                                       << Tone::text2 << "Not running" << Tone::text2;
        QTest::newRow("idle, game running")
            << status(true, true, ServerState::idle, true) << "Waiting for game data" << Tone::text2
            << "Running" << Tone::text2;
        QTest::newRow("connected with a time")
            << status(true, true, ServerState::connected, true, fivePastTwo) << "Live, last sync 2:05:09 PM"
            << Tone::green << "Running" << Tone::text2;
        QTest::newRow("connected without a time") << status(true, true, ServerState::connected) << "Live"
                                                  << Tone::green << "Not running" << Tone::text2;
        QTest::newRow("unreachable") << status(true, true, ServerState::unreachable, true, fivePastTwo,
                                               "Server unreachable")
                                     << "Server unreachable" << Tone::red << "Running" << Tone::text2;
        QTest::newRow("rejected with a message")
            << status(true, true, ServerState::rejected, true, {}, "Bad payload from game")
            << "Bad payload from game" << Tone::red << "Running" << Tone::text2;
        QTest::newRow("rejected with an empty message")
            << status(true, true, ServerState::rejected, true, {}, "") << "" << Tone::red << "Running"
            << Tone::text2;
        QTest::newRow("a dashboard's message of 120,000 characters is cut")
            << status(true, true, ServerState::rejected, false, {}, QString(120000, u'x'))
            << QString(199, u'x') + u'\u2026' << Tone::red << "Not running" << Tone::text2;
        QTest::newRow("running, but no log is followed")
            << status(true, true, ServerState::idle, true, {}, {}, false) << "Waiting for game data"
            << Tone::text2 << "Running, but its log was not found" << Tone::red;
        QTest::newRow("no log followed, but sync is off")
            << status(true, false, ServerState::idle, true, {}, {}, false) << "Off" << Tone::text3
            << "Running" << Tone::text2;
        QTest::newRow("rejected without a message") << status(true, true, ServerState::rejected) << "Rejected"
                                                    << Tone::red << "Not running" << Tone::text2;
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

    // Money ('$'), on-time shares ('%') and counts ('#'), with what each shows.
    void figures_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<std::optional<double>>("value");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        const std::optional<double> none;
        const double nan = qQNaN(), inf = qInf();
        const QLocale french(QLocale::French, QLocale::France);
        const std::tuple<char, std::optional<double>, QLocale, QString> rows[] = {
            {'$', 1234.4, unitedStates, "$1,234"},
            {'$', 1234.5, unitedStates, "$1,234"}, // half to even
            {'$', 1235.5, unitedStates, "$1,236"},
            {'$', -2500, unitedStates, "$-2,500"},
            {'$', 0, unitedStates, "$0"},
            {'$', 1e20, unitedStates, "$100,000,000,000,000,000,000"},
            {'$', 1234567.5, germany, "$1.234.568"},
            {'$', -1234567.5, french, "$-1\u202f234\u202f568"},
            {'$', none, unitedStates, "-"},
            {'$', nan, germany, "-"},
            {'$', -inf, germany, "-"},
            {'%', 87.9, germany, "87%"},
            {'%', 100, germany, "100%"},
            {'%', -0.5, germany, "0%"},
            {'%', 0.93, germany, "0%"},
            {'%', -3.7, germany, "-3%"},
            {'%', none, germany, "-"},
            {'%', nan, germany, "-"},
            {'%', 1e300, germany, "-"},
            {'#', 1000, germany, "1000"},
            {'#', -5, germany, "-5"},
            {'#', none, germany, "-"}};
        for (const auto &[kind, value, locale, text] : rows)
            QTest::addRow("%c %s", kind, qPrintable(text)) << kind << value << locale << text;
    }

    void figures()
    {
        QFETCH(char, kind);
        QFETCH(std::optional<double>, value);
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QCOMPARE(kind == '$'   ? Presentation::currency(value, locale)
                 : kind == '%' ? Presentation::percentage(value)
                               : Presentation::count(value ? std::optional(qint64(*value)) : std::nullopt),
                 text);
    }

    void timeFollowsTheLocalesMediumStyle()
    {
        QCOMPARE(Presentation::time(fivePastTwo.toUTC(), unitedStates), "2:05:09 PM");
        QCOMPARE(Presentation::time(fivePastTwo.toUTC(), germany), "14:05:09");
        QCOMPARE(Presentation::time(fivePastTwo.toUTC(), QLocale(QLocale::French, QLocale::France)),
                 "14:05:09");
    }

    void linkCodeWriteRule()
    {
        const std::pair<QString, QString> typedAndStored[] = {
            {"ab-12 cd", "AB12CD"},
            {"abcdefghijklmnop", "ABCDEFGHIJKL"},
            {"  ", ""},
            {"ab\u00df12", "ABSS12"},
            {"caf\u00e9ab", "CAF\u00c9AB"},
            {"e\u0301abc", "E\u0301ABC"},
            {"ab\u0661\u0662", "AB\u0661\u0662"},
            {"a$b\U0001F680c!", "ABC"},
            {"\U0001D400bcdefghijklmn", "\U0001D400BCDEFGHIJKL"}}; // clusters, not units
        for (const auto &[typed, stored] : typedAndStored)
            QCOMPARE(Presentation::linkCodeFrom(typed), stored);
    }
};

QTEST_GUILESS_MAIN(TestPresentation)
#include "tst_presentation.moc"
