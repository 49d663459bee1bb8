#include "LoginItem.h"
#include "SingleInstance.h"

#include <QTest>

// What the shipped binary cannot show through the end-to-end test.
class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    // A desktop entry quotes " ` $ and \, then escapes every backslash once more, and % as %%.
    void theAutostartEntryQuotesTheProgram()
    {
        QCOMPARE(LoginItem::execLine("/opt/Corvane Bridge/corvane-bridge"),
                 "\"/opt/Corvane Bridge/corvane-bridge\" --background");
        QCOMPARE(LoginItem::execLine("/a\"b`c$d\\e%f"), "\"/a\\\\\"b\\\\`c\\\\$d\\\\\\\\e%%f\" --background");
    }

    void withNowhereToLockTheBridgeStartsAllTheSame()
    {
        QVERIFY(SingleInstance({"/dev/null/below-a-file"}).claim());
    }
};

QTEST_GUILESS_MAIN(TestApplication)
#include "tst_application.moc"
