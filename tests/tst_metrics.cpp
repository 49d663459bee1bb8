#include "Metrics.h"

#include <QTest>

#include <cstdlib>
#include <limits>

Q_DECLARE_METATYPE(std::optional<Metrics>)

namespace {

Metrics record(std::optional<double> balance, std::optional<double> earnings, std::optional<qint64> lines,
               std::optional<double> onTime, std::optional<qint64> vehicles, std::optional<QString> date)
{
    return Metrics{balance, earnings, lines, onTime, vehicles, date};
}

constexpr std::nullopt_t none = std::nullopt;
const double inf = std::numeric_limits<double>::infinity();

} // namespace

class TestMetrics : public QObject
{
    Q_OBJECT

private slots:
    void fromPayload_data()
    {
        QTest::addColumn<QString>("payload");
        QTest::addColumn<std::optional<Metrics>>("expected");
        using M = std::optional<Metrics>;

        QTest::newRow("all six keys")
            << R"({"balance":1500.25,"earnings":-20,"lines":12,"onTime":87.5,"vehicles":40,"date":"3 Mar 1923"})"
            << M(record(1500.25, -20, 12, 87.5, 40, "3 Mar 1923"));
        QTest::newRow("extra keys change nothing")
            << R"({"date":"x","city":"Hollow","lines":2})" << M(record(none, none, 2, none, none, "x"));
        QTest::newRow("earnings, onTime and vehicles alone make no record")
            << R"({"earnings":1,"onTime":2,"vehicles":3})" << M();
        QTest::newRow("an empty date is present")
            << R"({"date":""})" << M(record(none, none, none, none, none, ""));
        QTest::newRow("lines truncate toward zero")
            << R"({"lines":12.9,"vehicles":-3.7})" << M(record(none, none, 12, none, -3, none));
        QTest::newRow("numeric strings")
            << R"({"lines":"7","balance":"1500.25","earnings":"1e3","onTime":"-0x1p3"})"
            << M(record(1500.25, 1000, 7, -8, none, none));
        QTest::newRow("strings with spaces or grouping are not numbers")
            << R"({"balance":" 1500","earnings":"1500 ","onTime":"1,500","lines":"","vehicles":"\t1","date":"d"})"
            << M(record(none, none, none, none, none, "d"));
        QTest::newRow("a NUL inside a numeric string")
            << R"({"balance":"1\u00002","date":"d"})" << M(record(none, none, none, none, none, "d"));
        QTest::newRow("a date that is a number is absent, the record stays")
            << R"({"date":5,"balance":1})" << M(record(1, none, none, none, none, none));
        QTest::newRow("null, arrays, objects and booleans are absent")
            << R"({"balance":null,"earnings":[1],"onTime":{"v":1},"vehicles":true,"lines":false,"date":"d"})"
            << M(record(none, none, none, none, none, "d"));
        QTest::newRow("words for infinity and not-a-number")
            << R"({"balance":"inf","earnings":"-Infinity","lines":"nan","vehicles":"inf","date":"d"})"
            << M(record(inf, -inf, none, none, none, "d"));
        QTest::newRow("counts beyond 64 bits are absent, others stay")
            << R"({"lines":1e19,"vehicles":-9.3e18,"balance":1e300})"
            << M(record(1e300, none, none, none, none, none));
        QTest::newRow("the largest counts that fit")
            << R"({"lines":9.2e18,"vehicles":-9223372036854775808})"
            << M(record(none, none, 9200000000000000000, none, std::numeric_limits<qint64>::min(), none));
        QTest::newRow("a numeric string beyond double range is infinite")
            << R"({"balance":"1e400"})" << M(record(inf, none, none, none, none, none));
        QTest::newRow("a JSON number beyond double range spoils the payload")
            << R"({"balance":1e400,"date":"d"})" << M();
        QTest::newRow("duplicate keys: the last one wins")
            << R"({"lines":1,"lines":2})" << M(record(none, none, 2, none, none, none));
        QTest::newRow("an array") << "[1,2]" << M();
        QTest::newRow("a bare number") << "12" << M();
        QTest::newRow("not JSON") << "balance=12" << M();
        QTest::newRow("empty") << "" << M();
        QTest::newRow("keys are case-sensitive") << R"({"Balance":1,"LINES":2,"Date":"x"})" << M();
    }

    void fromPayload()
    {
        QFETCH(QString, payload);
        QFETCH(std::optional<Metrics>, expected);
        QCOMPARE(Metrics::fromPayload(payload), expected);
    }

    // CTest runs this test a second time in a German session, where the C library reads "1,5" as a
    // number once Qt has taken the locale from the environment. The figures must not change with it.
    void initTestCase()
    {
        if (qgetenv("LC_ALL").startsWith("de_DE"))
            QVERIFY2(std::strtod("1,5", nullptr) == 1.5,
                     "the German locale is missing (package locales-all)");
    }
};

QTEST_GUILESS_MAIN(TestMetrics)
#include "tst_metrics.moc"
