// Guards against: figures misread from a payload (also in a German session), wrong status and game lines
// or tones, money, shares and counts formatted wrongly, a link code filtered wrongly.

#include "Metrics.h"
#include "Presentation.h"

#include <QTest>

#include <cstdlib>

using ServerState = AppModel::ServerState;
using Tone = Presentation::Tone;

namespace {

const QLocale unitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale germany(QLocale::German, QLocale::Germany);
const QDateTime fivePastTwo(QDate(2026, 1, 5), QTime(14, 5, 9)); // local time

// A record as one line, each present field as key=value: "b=1 l=2 d=x", or "none" for no record.
QString shown(const std::optional<Metrics> &m)
{
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

} // namespace

// What the bridge reads from the game, and the texts the window shows.
class TestTexts : public QObject
{
    Q_OBJECT

private slots:
    // CTest runs this test again in a German session, where the C library reads "1,5" as a number
    // once Qt has taken the locale from the environment (or the run proves nothing). The figures must
    // not change with it.
    void initTestCase()
    {
        QVERIFY(!qgetenv("LC_ALL").startsWith("de_DE") || std::strtod("1,5", nullptr) == 1.5);
    }

    void fromPayload()
    {
        const std::pair<QString, QString> payloadAndRecord[] = {
            {R"({"balance":1500.25,"earnings":-20,"lines":12,)"
             R"("onTime":87.5,"vehicles":40,"date":"3 Mar 1923"})",
             "b=1500.25 e=-20 l=12 o=87.5 v=40 d=3 Mar 1923"},
            {R"({"date":"x","city":"Hollow","lines":2})", "l=2 d=x"}, // other keys change nothing
            {R"({"earnings":1,"onTime":2,"vehicles":3})", "none"},    // these alone make no record
            {R"({"date":""})", "d="},
            {R"({"lines":12.9,"vehicles":-3.7,"date":"d"})", "l=12 v=-3 d=d"}, // toward zero
            {R"({"lines":"7","balance":"1.5","earnings":"1e3","onTime":"-0x1p3"})", "b=1.5 e=1000 l=7 o=-8"},
            {R"({"balance":" 1500","earnings":"1500 ","onTime":"1,500",)"
             R"("lines":"","vehicles":"\t1","date":"d"})",
             "d=d"},
            {R"({"balance":"1\u00002","date":"d"})", "d=d"},
            {R"({"balance":null,"earnings":[1],"onTime":{},"vehicles":true,"lines":false,"date":"d"})",
             "d=d"},
            {R"({"balance":"inf","earnings":"-Infinity","lines":"nan","vehicles":"inf"})", "b=inf e=-inf"},
            {R"({"lines":1e19,"vehicles":-9.3e18,"balance":1e300})", "b=1e+300"}, // counts beyond 64 bits
            {R"({"lines":9.2e18,"vehicles":-9223372036854775808})",
             "l=9200000000000000000 v=-9223372036854775808"},
            {R"({"balance":1e400,"date":"d"})", "none"}, // a JSON number beyond double range spoils it
            {R"({"lines":1,"lines":2,"date":5})", "l=2"}};
        for (const auto &[payload, record] : payloadAndRecord)
            QCOMPARE(shown(Metrics::fromPayload(payload)), record);
    }

    // The status line with its tone, from the model's state: code valid, sync on, game running,
    // server state, last sync, message; then the game card's second line, which also asks whether the
    // log is followed.
    void statusAndGameLines()
    {
        using S = ServerState;
        const QString cut = QString(199, u'x') + u'\u2026';
        const QMetaEnum tone = QMetaEnum::fromType<Tone>();
        const std::pair<Presentation::Status, QString> rows[] = {
            {{false, false, false, S::idle, {}, {}}, "Enter a valid link code first/text3"},
            {{false, true, true, S::connected, fivePastTwo, {}}, "Enter a valid link code first/text3"},
            {{true, false, true, S::rejected, {}, "No"}, "Off/text3"},
            {{true, true, false, S::idle, {}, {}}, "Waiting for game/text2"},
            {{true, true, true, S::idle, {}, {}}, "Waiting for game data/text2"},
            {{true, true, true, S::connected, fivePastTwo, {}}, "Live, last sync 2:05:09 PM/green"},
            {{true, true, false, S::connected, {}, {}}, "Live/green"},
            {{true, true, true, S::unreachable, fivePastTwo, "Server unreachable"}, "Server unreachable/red"},
            {{true, true, true, S::rejected, {}, "Bad payload from game"}, "Bad payload from game/red"},
            {{true, true, true, S::rejected, {}, ""}, "/red"},
            {{true, true, false, S::rejected, {}, QString(120000, u'x')}, cut + "/red"},
            {{true, true, false, S::rejected, {}, {}}, "Rejected/red"}};
        for (const auto &[status, expected] : rows)
            QCOMPARE(Presentation::statusLine(status, unitedStates) + '/' +
                         tone.valueToKey(int(Presentation::statusTone(status))),
                     expected);
        const std::pair<Presentation::Status, QString> games[] = {
            {{true, true, false, S::idle, {}, {}, true}, "Not running/text2"},
            {{true, true, true, S::idle, {}, {}, true}, "Running/text2"},
            {{true, true, true, S::idle, {}, {}, false}, "Running, but its log was not found/red"},
            {{true, false, true, S::idle, {}, {}, false}, "Running/text2"}}; // sync off: no log sought
        for (const auto &[status, expected] : games)
            QCOMPARE(Presentation::gameState(status) + '/' +
                         tone.valueToKey(int(Presentation::gameStateTone(status))),
                     expected);
    }

    // Money ('$'), on-time shares ('%') and counts ('#'), with what each shows; the time of day.
    void figuresAndTime()
    {
        const std::optional<double> none;
        const double nan = qQNaN(), inf = qInf();
        const QLocale french(QLocale::French, QLocale::France);
        // clang-format off
        const std::tuple<char, std::optional<double>, QLocale, QString> rows[] = {
            {'$', 1234.5, unitedStates, "$1,234"}, {'$', 1235.5, unitedStates, "$1,236"}, // half to even
            {'$', -2500, unitedStates, "$-2,500"}, {'$', 1e20, unitedStates, "$100,000,000,000,000,000,000"},
            {'$', 1234567.5, germany, "$1.234.568"}, {'$', -1234567.5, french, "$-1\u202f234\u202f568"},
            {'$', none, unitedStates, "-"}, {'$', nan, germany, "-"}, {'$', -inf, germany, "-"},
            {'%', 87.9, germany, "87%"}, {'%', -0.5, germany, "0%"}, {'%', 0.93, germany, "0%"},
            {'%', -3.7, germany, "-3%"}, {'%', none, germany, "-"}, {'%', nan, germany, "-"},
            {'%', 1e300, germany, "-"}, {'#', 1000, germany, "1000"}, {'#', none, germany, "-"}};
        // clang-format on
        for (const auto &[kind, value, locale, text] : rows)
            QCOMPARE(kind == '$' ? Presentation::currency(value, locale)
                     : kind == '%'
                         ? Presentation::percentage(value)
                         : Presentation::count(value ? std::optional(qint64(*value)) : std::nullopt),
                     text);
        QCOMPARE(Presentation::time(fivePastTwo.toUTC(), germany), "14:05:09");
    }

    void linkCodeWriteRule()
    {
        // clang-format off
        const std::pair<QString, QString> typedAndStored[] = {
            {"ab-12 cd", "AB12CD"}, {"abcdefghijklmnop", "ABCDEFGHIJKL"}, {"  ", ""},
            {"ab\u00df12", "ABSS12"}, {"caf\u00e9ab", "CAF\u00c9AB"}, {"e\u0301abc", "E\u0301ABC"},
            {"ab\u0661\u0662", "AB\u0661\u0662"}, {"a$b\U0001F680c!", "ABC"},
            {"\U0001D400bcdefghijklmn", "\U0001D400BCDEFGHIJKL"}}; // clusters, not units
        // clang-format on
        for (const auto &[typed, stored] : typedAndStored)
            QCOMPARE(Presentation::linkCodeFrom(typed), stored);
    }
};

QTEST_GUILESS_MAIN(TestTexts)
#include "tst_texts.moc"
