#include "Metrics.h"

#include <QTest>

#include <cstdlib>

namespace {

// A record as one line, each present field as key=value: "b=1 l=2 d=x", or "none" for no record.
QString shown(const std::optional<Metrics> &m)
{
    QStringList fields;
    const auto add = [&](const char *key, const auto &value) {
        if (value)
            fields << key + QVariant::fromValue(*value).toString();
    };
    if (m)
        add("b=", m->balance), add("e=", m->earnings), add("l=", m->lines), add("o=", m->onTime),
            add("v=", m->vehicles), add("d=", m->date);
    return m ? fields.join(' ') : "none";
}

} // namespace

class TestMetrics : public QObject
{
    Q_OBJECT

private slots:
    // CTest runs this test again in a German session, where the C library reads "1,5" as a number
    // once Qt has taken the locale from the environment. The figures must not change with it.
    void initTestCase()
    {
        if (qgetenv("LC_ALL").startsWith("de_DE"))
            QVERIFY2(std::strtod("1,5", nullptr) == 1.5,
                     "the German locale is missing (package locales-all)");
    }

    void fromPayload()
    {
        const std::pair<QString, QString> payloadAndRecord[] = {
            {R"({"balance":1500.25,"earnings":-20,"lines":12,"onTime":87.5,"vehicles":40,"date":"3 Mar 1923"})",
             "b=1500.25 e=-20 l=12 o=87.5 v=40 d=3 Mar 1923"},
            {R"({"date":"x","city":"Hollow","lines":2})", "l=2 d=x"}, // other keys change nothing
            {R"({"earnings":1,"onTime":2,"vehicles":3})", "none"},    // these alone make no record
            {R"({"date":""})", "d="},
            {R"({"lines":12.9,"vehicles":-3.7,"date":"d"})", "l=12 v=-3 d=d"}, // toward zero
            {R"({"lines":"7","balance":"1500.25","earnings":"1e3","onTime":"-0x1p3"})",
             "b=1500.25 e=1000 l=7 o=-8"},
            {R"({"balance":" 1500","earnings":"1500 ","onTime":"1,500","lines":"","vehicles":"\t1","date":"d"})",
             "d=d"},
            {R"({"balance":"1\u00002","date":"d"})", "d=d"},
            {R"({"balance":null,"earnings":[1],"onTime":{"v":1},"vehicles":true,"lines":false,"date":"d"})",
             "d=d"},
            {R"({"balance":"inf","earnings":"-Infinity","lines":"nan","vehicles":"inf","date":"d"})",
             "b=inf e=-inf d=d"},
            {R"({"lines":1e19,"vehicles":-9.3e18,"balance":1e300})", "b=1e+300"}, // counts beyond 64 bits
            {R"({"lines":9.2e18,"vehicles":-9223372036854775808})",
             "l=9200000000000000000 v=-9223372036854775808"},
            {R"({"balance":"1e400"})", "b=inf"},
            {R"({"balance":1e400,"date":"d"})",
             "none"}, // a JSON number beyond double range spoils the payload
            {R"({"lines":1,"lines":2,"date":5})", "l=2"},
            {R"({"Balance":1,"LINES":2,"Date":"x"})", "none"},
            {"[1,2]", "none"},
            {"", "none"}};
        for (const auto &[payload, record] : payloadAndRecord)
            QCOMPARE(shown(Metrics::fromPayload(payload)), record);
    }
};

QTEST_GUILESS_MAIN(TestMetrics)
#include "tst_metrics.moc"
