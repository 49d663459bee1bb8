#include "AppModel.h"
#include "ModelRig.h"
#include "WindowGroup.h"

#include <QFile>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

const QColor text3(0x6F, 0x85, 0x99);
const QColor text2(0x9D, 0xB0, 0xC1);
const QColor green(0x5F, 0xD5, 0x97);
const QColor blue(0x2F, 0x82, 0xD6);
const QColor blueLight(0x4A, 0x9A, 0xE8);

bool near(QColor actual, QColor expected, int tolerance = 6)
{
    return qAbs(actual.red() - expected.red()) <= tolerance &&
           qAbs(actual.green() - expected.green()) <= tolerance &&
           qAbs(actual.blue() - expected.blue()) <= tolerance;
}

// QTest::keyClicks serves widgets only.
void type(QWindow *window, const char *keys)
{
    for (; *keys; ++keys)
        QTest::keyClick(window, *keys);
}

} // namespace

// The real QML window, rendered offscreen, over a model whose game, log and dashboard the test holds.
class TestWindow : public QObject
{
    Q_OBJECT

private:
    QQuickWindow *openWindow()
    {
        if (!m_windows->openWindow())
            return nullptr;
        QQuickWindow *window = m_windows->windows().last();
        if (window && !QTest::qWaitForWindowExposed(window))
            return nullptr;
        return window;
    }

    // The first item so named in the window's visual tree; the test fails at once when there is none.
    QQuickItem *item(const char *name, QQuickWindow *window = nullptr) const
    {
        QList<QQuickItem *> pending{(window ? window : m_window)->contentItem()};
        while (!pending.isEmpty()) {
            QQuickItem *candidate = pending.takeFirst();
            if (candidate->objectName() == QLatin1StringView(name))
                return candidate;
            pending += candidate->childItems();
        }
        qFatal("no item named %s", name);
    }

    QColor pixelAt(QQuickItem *of, QPointF local)
    {
        const QImage image = m_window->grabWindow().convertToFormat(QImage::Format_RGB32);
        return image.pixelColor(of->mapToScene(local).toPoint());
    }

    // Sync on with a valid code, the game running, and one upload of `payload` done.
    void syncPayload(const QByteArray &payload)
    {
        m_model->setLinkCode(u"ABC123"_s);
        m_model->setBridgeEnabled(true);
        m_rig->gameRunning = true;
        tick(*m_model);
        m_rig->append("@CRVN@" + payload + '\n');
        tickAndUpload(*m_model);
    }

    QTemporaryDir m_settingsDir;
    std::unique_ptr<Rig> m_rig;
    std::unique_ptr<AppModel> m_model;
    std::unique_ptr<WindowGroup> m_windows;
    QQuickWindow *m_window = nullptr;

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        HttpsTestServer::trustTestAuthority();
    }

    void init()
    {
        QSettings().clear();
        m_rig = std::make_unique<Rig>();
        m_model = std::make_unique<AppModel>(m_rig->collaborators());
        m_windows = std::make_unique<WindowGroup>(*m_model);
        m_window = openWindow();
        QVERIFY(m_window);
    }

    void cleanup()
    {
        m_windows.reset();
        m_model.reset();
        m_rig.reset();
    }

    void aNewWindowShowsTheModelsInitialState()
    {
        QCOMPARE(m_window->title(), u"Corvane Bridge"_s);
        QCOMPARE(m_window->width(), 420);
        QVERIFY(m_window->height() >= 600);
        QCOMPARE(m_window->maximumWidth(), 420);
        QCOMPARE(m_window->color(), QColor(0x0B, 0x14, 0x1D));

        QCOMPARE(item("gameState")->property("text").toString(), u"Not running"_s);
        QVERIFY(item("launchButton")->isVisible());
        QVERIFY(!item("syncSwitch")->isEnabled());
        QCOMPARE(
            item("linkCodeOutline")->property("border").value<QObject *>()->property("color").value<QColor>(),
            QColor::fromRgbF(1, 1, 1, 0.16f));
        QCOMPARE(item("statusLine")->property("text").toString(), u"Enter a valid link code first"_s);
        QCOMPARE(item("statusLine")->property("color").value<QColor>(), text3);
        QVERIFY(item("placeholder")->isVisible());
        QVERIFY(!item("balance")->isVisible());
    }

    void typingGoesThroughTheWriteRule()
    {
        auto *field = item("linkCodeField");
        field->forceActiveFocus();
        type(m_window, "ab-12 cd");
        QCOMPARE(m_model->linkCode(), u"AB12CD"_s);
        QCOMPARE(field->property("text").toString(), u"AB12CD"_s);
        QCOMPARE(field->property("cursorPosition").toInt(), 6);
        QCOMPARE(QSettings().value(u"linkCode"_s).toString(), u"AB12CD"_s);
        QVERIFY(item("syncSwitch")->isEnabled());
        QColor outline = blue;
        outline.setAlphaF(0.6f);
        QCOMPARE(
            item("linkCodeOutline")->property("border").value<QObject *>()->property("color").value<QColor>(),
            outline);

        // Typing in the middle keeps the cursor where the user is.
        field->setProperty("cursorPosition", 2);
        type(m_window, "x-");
        QCOMPARE(m_model->linkCode(), u"ABX12CD"_s);
        QCOMPARE(field->property("cursorPosition").toInt(), 3);

        // Too short: the switch stays on but cannot be operated.
        m_model->setBridgeEnabled(true);
        field->setProperty("cursorPosition", 7);
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(m_window, Qt::Key_Backspace);
        QCOMPARE(m_model->linkCode(), u"AB"_s);
        QVERIFY(!item("syncSwitch")->isEnabled());
        QVERIFY(item("syncSwitch")->property("checked").toBool());
        QVERIFY(m_model->bridgeEnabled());
    }

    void theSwitchWritesTheModel()
    {
        m_model->setLinkCode(u"ABC123"_s);
        auto *toggle = item("syncSwitch");
        QTest::mouseClick(m_window, Qt::LeftButton, {},
                          toggle->mapToScene(toggle->boundingRect().center()).toPoint());
        QVERIFY(m_model->bridgeEnabled());
        QCOMPARE(item("statusLine")->property("text").toString(), u"Waiting for game"_s);
        QCOMPARE(item("statusLine")->property("color").value<QColor>(), text2);
    }

    void theGameCardFollowsTheGame()
    {
        auto *dot = item("gameDot");
        QVERIFY(near(pixelAt(dot, {5, 5}), text3));
        m_rig->gameRunning = true;
        tick(*m_model);
        QCOMPARE(item("gameState")->property("text").toString(), u"Running"_s);
        QVERIFY(!item("launchButton")->isVisible());
        QVERIFY(near(pixelAt(dot, {5, 5}), green));
        m_rig->gameRunning = false;
        tick(*m_model);
        QVERIFY(item("launchButton")->isVisible());
    }

    void theLiveCardShowsTheFigures()
    {
        syncPayload(R"({"balance":1234.5,"lines":1000,"onTime":87.9,"date":"3 Mar 1923"})");
        QVERIFY(!item("placeholder")->isVisible());
        QCOMPARE(item("balance")->property("text").toString(),
                 QLocale().toString(1234.0, 'f', 0).prepend(u'$'));
        QCOMPARE(item("lines")->property("value").toString(), u"1000"_s);
        QCOMPARE(item("onTime")->property("value").toString(), u"87%"_s);
        QCOMPARE(item("vehicles")->property("value").toString(), u"-"_s);
        QCOMPARE(item("date")->property("text").toString(), u"3 Mar 1923"_s);
        QVERIFY(item("statusLine")->property("text").toString().startsWith(u"Live, last sync "_s));
        QCOMPARE(item("statusLine")->property("color").value<QColor>(), green);
    }

    // The disc's gradient runs from blueLight at the top-left to blue at the bottom-right.
    void theLogoIsDrawn()
    {
        auto *logo = item("logo");
        QCOMPARE(logo->width(), 38.0);
        QTRY_VERIFY(near(pixelAt(logo, {9, 9}), blueLight, 12)); // the Canvas paints on a later frame
        const QColor bottomRight = pixelAt(logo, {29, 29});
        QVERIFY2(near(bottomRight, blue, 12), qPrintable(bottomRight.name()));
        QVERIFY(near(pixelAt(logo, {18, 19}), Qt::white, 12)); // the pixel whose centre is on the link
        QCOMPARE(m_window->grabWindow().width(), 420);
    }

    void theNewWindowShortcutOpensAnotherOnTheSameModel()
    {
        QTest::keyClick(m_window, Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(m_windows->windows().size(), 2);
        QQuickWindow *second = m_windows->windows().last();
        QVERIFY(second && QTest::qWaitForWindowExposed(second));
        item("linkCodeField", second)->forceActiveFocus();
        type(second, "zz9");
        QCOMPARE(item("linkCodeField")->property("text").toString(), u"ZZ9"_s);
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
