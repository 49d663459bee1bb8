// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

// Guards against: figures misread from a payload (also in a German session), wrong status and game lines
// or tones, money, shares and counts formatted wrongly, a link code filtered wrongly.

#include "Metrics.h"
#include "Presentation.h"
#include "Table.h"

#include <cstdlib>

using P = Presentation;
using S = AppModel::ServerState;
using Status = P::Status;
using Tone = P::Tone;
using Figures = std::optional<Metrics>;
Q_DECLARE_METATYPE(Figures)
Q_DECLARE_METATYPE(Status)

namespace {

const QLocale unitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale germany(QLocale::German, QLocale::Germany);
const QLocale france(QLocale::French, QLocale::France);
const QDateTime fivePastTwo(QDate(2026, 1, 5), QTime(14, 5, 9)); // local time

// With a valid code and sync on.
Status on(Status status)
{
    status.codeValid = status.bridgeEnabled = true;
    return status;
}

} // namespace

class TestTexts : public QObject
{
    Q_OBJECT

private slots:
    // CTest runs this test in a German session, where the C library reads "1,5" as a number once Qt
    // has taken the locale from the environment (or the run proves nothing). The figures must not
    // change with it.
    void initTestCase() { QVERIFY2(std::strtod("1,5", nullptr) == 1.5, "not in a German session"); }

    void figuresAreReadAsTheGameMeantThem_data()
    {
        const Table<QString, Figures> row({"payload", "figures"});
        row("every figure, other keys ignored",
            R"({"balance":1500.25,"earnings":-20,"lines":12,"onTime":87.5,"vehicles":40,"date":"3 Mar","x":1})",
            Metrics{1500.25, -20, 12, 87.5, 40, "3 Mar"});
        row("earnings, on-time share and vehicles alone: no record",
            R"({"earnings":1,"onTime":2,"vehicles":3})", {});
        row("an empty date is a date", R"({"date":""})", Metrics{.date = ""});
        row("numbers as text read as numbers, counts cut toward zero",
            R"({"lines":"7.9","balance":"1.5","earnings":"1e3","onTime":"-0x1p3","vehicles":-3.7})",
            Metrics{1.5, 1000, 7, -8, -3, {}});
        row("text not wholly a number: absent",
            R"({"balance":" 1500","earnings":"1500 ","onTime":"1,500","lines":"","vehicles":"1\u00002"})",
            {});
        row("null, arrays, objects and booleans: absent",
            R"({"balance":null,"earnings":[1],"onTime":{},"vehicles":true,"lines":false,"date":"d"})",
            Metrics{.date = "d"});
        row("infinite amounts kept, infinite counts absent",
            R"({"balance":"inf","earnings":"-Infinity","lines":"nan","vehicles":"inf"})",
            Metrics{.balance = qInf(), .earnings = -qInf()});
        row("counts beyond 64 bits absent", R"({"lines":1e19,"vehicles":-9.3e18,"balance":1e300})",
            Metrics{.balance = 1e300});
        row("counts at the edge of 64 bits kept", R"({"lines":9.2e18,"vehicles":-9223372036854775808})",
            Metrics{.lines = 9200000000000000000, .vehicles = std::numeric_limits<qint64>::min()});
        row("a number beyond any double: no record", R"({"balance":1e400,"date":"d"})", {});
        row("a date that is no text: absent", R"({"lines":2,"date":5})", Metrics{.lines = 2});
    }

    void figuresAreReadAsTheGameMeantThem()
    {
        QFETCH(QString, payload);
        QTEST(Metrics::fromPayload(payload), "figures");
    }

    void statusLinesSayWhatHappened_data()
    {
        const Table<Status, QString, Tone> row({"status", "line", "tone"});
        row("no valid code: asks for one, whatever else",
            {.gameRunning = true, .serverState = S::connected, .lastSync = fivePastTwo},
            "Enter a valid link code first", Tone::Inactive);
        row("sync off: Off, whatever the dashboard said", {.codeValid = true, .serverState = S::rejected},
            "Off", Tone::Inactive);
        row("no game: waiting for it", on({}), "Waiting for game", Tone::Neutral);
        row("a game, no figures yet: waiting for them", on({.gameRunning = true}), "Waiting for game data",
            Tone::Neutral);
        row("synced: live, at the local time", on({.serverState = S::connected, .lastSync = fivePastTwo}),
            "Live, last sync 2:05:09 PM", Tone::Good);
        row("synced, no time yet: live", on({.serverState = S::connected}), "Live", Tone::Good);
        row("unreachable, after a sync: in the model's words",
            on({.serverState = S::unreachable, .lastSync = fivePastTwo, .statusMessage = "Gone"}), "Gone",
            Tone::Bad);
        row("rejected: in the dashboard's words",
            on({.serverState = S::rejected, .statusMessage = "No code"}), "No code", Tone::Bad);
        row("rejected, no message: Rejected", on({.serverState = S::rejected}), "Rejected", Tone::Bad);
    }

    void statusLinesSayWhatHappened()
    {
        QFETCH(Status, status);
        QTEST(P::statusLine(status, unitedStates), "line");
        QTEST(P::statusTone(status), "tone");
    }

    // A message of the dashboard's may be of any length: the window lays out no more than a line's
    // worth of it, and never half a character.
    void longMessagesAreCutBetweenCharacters()
    {
        const QString pairs = QString("\U0001D400").repeated(60000);
        for (const QString &message : {pairs, 'x' + pairs}) {
            const QString shown = P::statusLine(on({.serverState = S::rejected, .statusMessage = message}));
            QVERIFY(shown.size() < 1000 && shown.endsWith(u'\u2026'));
            QVERIFY(!shown.chopped(1).back().isHighSurrogate());
        }
    }

    void theGameLineSaysWhetherItRunsAndWhetherItsLogIsFound_data()
    {
        const Table<Status, QString, Tone> row({"status", "line", "tone"});
        row("not running", on({}), "Not running", Tone::Neutral);
        row("running, its log followed", on({.gameRunning = true, .followingLog = true}), "Running",
            Tone::Neutral);
        row("running, its log not found: says so", on({.gameRunning = true}),
            "Running, but its log was not found", Tone::Bad);
        row("running, sync off: no log sought", {.codeValid = true, .gameRunning = true}, "Running",
            Tone::Neutral);
    }

    void theGameLineSaysWhetherItRunsAndWhetherItsLogIsFound()
    {
        QFETCH(Status, status);
        QTEST(P::gameState(status), "line");
        QTEST(P::gameStateTone(status), "tone");
    }

    void moneyIsWholeAndGroupedByLocale_data()
    {
        const Table<std::optional<double>, QLocale, QString> row({"amount", "locale", "shown"});
        row("half rounds to even: $1,234", 1234.5, unitedStates, "$1,234");
        row("past 64 bits: every digit", 1e20, unitedStates, "$100,000,000,000,000,000,000");
        row("in German: grouped with dots", 1234567.5, germany, "$1.234.568");
        row("below zero, in French: minus after the $", -1234567.5, france, "$-1\u202f234\u202f568");
        row("none: a dash", {}, unitedStates, "-");
        row("no number: a dash", qQNaN(), germany, "-");
        row("without end: a dash", -qInf(), germany, "-");
    }

    void moneyIsWholeAndGroupedByLocale()
    {
        QFETCH(std::optional<double>, amount);
        QFETCH(QLocale, locale);
        QTEST(P::currency(amount, locale), "shown");
    }

    void sharesAreCutToWholePercents_data()
    {
        const Table<std::optional<double>, QString> row({"share", "shown"});
        row("87.9: 87%", 87.9, "87%");
        row("just below zero: 0%", -0.5, "0%");
        row("below zero: cut toward zero", -3.7, "-3%");
        row("none: a dash", {}, "-");
        row("no number: a dash", qQNaN(), "-");
        row("beyond any count: a dash", 1e300, "-");
    }

    void sharesAreCutToWholePercents()
    {
        QFETCH(std::optional<double>, share);
        QTEST(P::percentage(share), "shown");
    }

    void countsAreNotGroupedAndTimesFollowTheLocale()
    {
        QCOMPARE(P::count(1000), "1000");
        QCOMPARE(P::count({}), "-");
        QCOMPARE(P::time(fivePastTwo.toUTC(), germany), "14:05:09");
    }

    void linkCodesKeepLettersAndDigitsInCapitals_data()
    {
        const Table<QString, QString> row({"typed", "stored"});
        row("hyphens and spaces dropped", "ab-12 cd", "AB12CD");
        row("cut at twelve", "abcdefghijklmnop", "ABCDEFGHIJKL");
        row("a sharp s becomes SS", "ab\u00df12", "ABSS12");
        row("a combining accent kept", "e\u0301abc", "E\u0301ABC");
        row("other digits kept", "ab\u0661\u0662", "AB\u0661\u0662");
        row("symbols dropped", "a$b\U0001F680c!", "ABC");
        row("cut at twelve characters, not code units", "\U0001D400bcdefghijklmn", "\U0001D400BCDEFGHIJKL");
    }

    void linkCodesKeepLettersAndDigitsInCapitals()
    {
        QFETCH(QString, typed);
        QTEST(P::linkCodeFrom(typed), "stored");
    }
};

QTEST_GUILESS_MAIN(TestTexts)
#include "tst_texts.moc"
