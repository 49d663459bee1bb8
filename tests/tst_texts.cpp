// Guards against: figures misread from a payload (also in a German session), wrong status and game lines
// or tones, money, shares and counts formatted wrongly, a link code filtered wrongly.

#include "Metrics.h"
#include "Presentation.h"
#include "Table.h"

#include <cstdlib>

using S = AppModel::ServerState;
using Status = Presentation::Status;

namespace {

const QLocale unitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale germany(QLocale::German, QLocale::Germany);
const QDateTime fivePastTwo(QDate(2026, 1, 5), QTime(14, 5, 9)); // local time

// A record as one line, each present field as key=value: "b=1 l=2 d=x", or "none" for no record.
QString record(const QString &payload)
{
    const std::optional<Metrics> m = Metrics::fromPayload(payload);
    if (!m)
        return "none";
    QStringList fields;
    const auto add = [&](const char *key, const auto &value) {
        if (value)
            fields << key + QVariant::fromValue(*value).toString();
    };
    add("b=", m->balance);
    add("e=", m->earnings);
    add("l=", m->lines);
    add("o=", m->onTime);
    add("v=", m->vehicles);
    add("d=", m->date);
    return fields.join(' ');
}

// The status line, then the game card's second line, each with its tone: "Live/green | Running/text2".
QString lines(const Status &status)
{
    using P = Presentation;
    const QMetaEnum tone = QMetaEnum::fromType<P::Tone>();
    return P::statusLine(status, unitedStates) + '/' + tone.valueToKey(int(P::statusTone(status))) + " | " +
           P::gameState(status) + '/' + tone.valueToKey(int(P::gameStateTone(status)));
}

// With a valid code and sync on.
Status on(Status status)
{
    status.codeValid = status.bridgeEnabled = true;
    return status;
}

} // namespace

// What the bridge reads from the game, and the texts the window shows.
class TestTexts : public QObject
{
    Q_OBJECT

private slots:
    // CTest runs this test in a German session, where the C library reads "1,5" as a number once Qt
    // has taken the locale from the environment (or the run proves nothing). The figures must not
    // change with it.
    void initTestCase() { QVERIFY2(std::strtod("1,5", nullptr) == 1.5, "not in a German session"); }

    // Each row: a text as the bridge makes it, and what it should be.
    void texts_data()
    {
        using P = Presentation;
        const Table<QString, QString> row({"made", "expected"});

        // A payload names its own row; the record read from it, as in record().
        const auto payload = [&row](const char *json, const char *expected) {
            row(json, record(json), expected);
        };
        // Every figure; other keys change nothing.
        payload(
            R"({"balance":1500.25,"earnings":-20,"lines":12,"onTime":87.5,"vehicles":40,"date":"3 Mar","x":1})",
            "b=1500.25 e=-20 l=12 o=87.5 v=40 d=3 Mar");
        payload(R"({"earnings":1,"onTime":2,"vehicles":3})", "none"); // these alone make no record
        payload(R"({"date":""})", "d=");
        payload(R"({"lines":"7.9","balance":"1.5","earnings":"1e3","onTime":"-0x1p3","vehicles":-3.7})",
                "b=1.5 e=1000 l=7 o=-8 v=-3"); // numbers as text; counts toward zero
        payload(R"({"balance":" 1500","earnings":"1500 ","onTime":"1,500","lines":"","vehicles":"1\u00002"})",
                "none"); // text not wholly a number
        payload(R"({"balance":null,"earnings":[1],"onTime":{},"vehicles":true,"lines":false,"date":"d"})",
                "d=d");
        payload(R"({"balance":"inf","earnings":"-Infinity","lines":"nan","vehicles":"inf"})", "b=inf e=-inf");
        payload(R"({"lines":1e19,"vehicles":-9.3e18,"balance":1e300})", "b=1e+300"); // counts beyond 64 bits
        payload(R"({"lines":9.2e18,"vehicles":-9223372036854775808})",
                "l=9200000000000000000 v=-9223372036854775808");
        payload(R"({"balance":1e400,"date":"d"})", "none"); // a number beyond double range spoils it
        payload(R"({"lines":2,"date":5})", "l=2");          // a date that is no text

        row("status: no valid code, sync off, whatever else",
            lines({.gameRunning = true, .serverState = S::connected, .lastSync = fivePastTwo}),
            "Enter a valid link code first/text3 | Running/text2");
        row("status: sync off, whatever the dashboard said; no log sought",
            lines(
                {.codeValid = true, .gameRunning = true, .serverState = S::rejected, .statusMessage = "No"}),
            "Off/text3 | Running/text2");
        row("status: waiting for the game", lines(on({})), "Waiting for game/text2 | Not running/text2");
        row("status: waiting for its figures", lines(on({.gameRunning = true, .followingLog = true})),
            "Waiting for game data/text2 | Running/text2");
        row("status: live, at a time", lines(on({.serverState = S::connected, .lastSync = fivePastTwo})),
            "Live, last sync 2:05:09 PM/green | Not running/text2");
        row("status: live, no time yet; the log not found",
            lines(on({.gameRunning = true, .serverState = S::connected})),
            "Live/green | Running, but its log was not found/red");
        row("status: unreachable, in the model's words",
            lines(on({.serverState = S::unreachable, .lastSync = fivePastTwo, .statusMessage = "Gone"})),
            "Gone/red | Not running/text2");
        row("status: rejected, in the dashboard's words",
            lines(on({.serverState = S::rejected, .statusMessage = "Bad payload from game"})),
            "Bad payload from game/red | Not running/text2");
        row("status: rejected, too long to lay out",
            lines(on({.serverState = S::rejected, .statusMessage = QString(120000, 'x')})),
            QString(199, 'x') + u'\u2026' + "/red | Not running/text2");
        row("status: rejected, no message", lines(on({.serverState = S::rejected})),
            "Rejected/red | Not running/text2");

        const QLocale french(QLocale::French, QLocale::France);
        row("money: half to even", P::currency(1234.5, unitedStates), "$1,234");
        row("money: past 64 bits", P::currency(1e20, unitedStates), "$100,000,000,000,000,000,000");
        row("money: grouped in German", P::currency(1234567.5, germany), "$1.234.568");
        row("money: below zero, in French", P::currency(-1234567.5, french), "$-1\u202f234\u202f568");
        row("money: none", P::currency({}, unitedStates), "-");
        row("money: no number", P::currency(qQNaN(), germany), "-");
        row("money: without end", P::currency(-qInf(), germany), "-");
        row("share: cut to a whole", P::percentage(87.9), "87%");
        row("share: cut to zero from below", P::percentage(-0.5), "0%");
        row("share: below zero", P::percentage(-3.7), "-3%");
        row("share: none", P::percentage({}), "-");
        row("share: no number", P::percentage(qQNaN()), "-");
        row("share: beyond any count", P::percentage(1e300), "-");
        row("count: not grouped", P::count(1000), "1000");
        row("count: none", P::count({}), "-");
        row("time of day: in German", P::time(fivePastTwo.toUTC(), germany), "14:05:09");

        row("link code: no hyphen or space", P::linkCodeFrom("ab-12 cd"), "AB12CD");
        row("link code: cut at twelve", P::linkCodeFrom("abcdefghijklmnop"), "ABCDEFGHIJKL");
        row("link code: a sharp s in capitals", P::linkCodeFrom("ab\u00df12"), "ABSS12");
        row("link code: a combining accent kept", P::linkCodeFrom("e\u0301abc"), "E\u0301ABC");
        row("link code: other digits kept", P::linkCodeFrom("ab\u0661\u0662"), "AB\u0661\u0662");
        row("link code: symbols dropped", P::linkCodeFrom("a$b\U0001F680c!"), "ABC");
        row("link code: cut by characters", P::linkCodeFrom("\U0001D400bcdefghijklmn"),
            "\U0001D400BCDEFGHIJKL");
    }

    void texts()
    {
        QFETCH(QString, made);
        QTEST(made, "expected");
    }
};

QTEST_GUILESS_MAIN(TestTexts)
#include "tst_texts.moc"
