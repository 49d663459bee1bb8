#include "Presentation.h"

#include <QTest>

#include <limits>

using ServerState = AppModel::ServerState;
using Tone = Presentation::Tone;
using namespace Qt::StringLiterals;

namespace {

const QLocale unitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale germany(QLocale::German, QLocale::Germany);
const QDateTime fivePastTwo(QDate(2026, 1, 5), QTime(14, 5, 9), Qt::LocalTime);

} // namespace

class TestPresentation : public QObject
{
    Q_OBJECT

private slots:
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
            {{true, true, true, S::unreachable, fivePastTwo, "x"}, "Server unreachable/red"},
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
        const std::tuple<char, std::optional<double>, QLocale, QString> rows[] = {
            {'$', 1234.5, unitedStates, "$1,234"}, // half to even
            {'$', 1235.5, unitedStates, "$1,236"},
            {'$', -2500, unitedStates, "$-2,500"},
            {'$', 1e20, unitedStates, "$100,000,000,000,000,000,000"},
            {'$', 1234567.5, germany, "$1.234.568"},
            {'$', -1234567.5, french, "$-1\u202f234\u202f568"},
            {'$', none, unitedStates, "-"},
            {'$', nan, germany, "-"},
            {'$', -inf, germany, "-"},
            {'%', 87.9, germany, "87%"},
            {'%', -0.5, germany, "0%"},
            {'%', 0.93, germany, "0%"},
            {'%', -3.7, germany, "-3%"},
            {'%', none, germany, "-"},
            {'%', nan, germany, "-"},
            {'%', 1e300, germany, "-"},
            {'#', 1000, germany, "1000"},
            {'#', none, germany, "-"}};
        for (const auto &[kind, value, locale, text] : rows)
            QCOMPARE(kind == '$' ? Presentation::currency(value, locale)
                     : kind == '%'
                         ? Presentation::percentage(value)
                         : Presentation::count(value ? std::optional(qint64(*value)) : std::nullopt),
                     text);
        QCOMPARE(Presentation::time(fivePastTwo.toUTC(), germany), "14:05:09");
        QCOMPARE(Presentation::time(fivePastTwo.toUTC(), french), "14:05:09");
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
