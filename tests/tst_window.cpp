#include "AppIdentity.h"
#include "AppModel.h"
#include "ApplicationShell.h"
#include "ModelRig.h"
#include "WindowGroup.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>

// The real QML window, rendered offscreen, over a model whose game, log and dashboard the test holds.
class TestWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;
    std::unique_ptr<Rig> m_rig;
    std::unique_ptr<AppModel> m_model;
    std::unique_ptr<WindowGroup> m_windows;
    QQuickWindow *m_window = nullptr;

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
    QString text(const char *name) const { return item(name)->property("text").toString(); }

    // QTest::keyClicks serves widgets only.
    static void type(QWindow *window, const char *keys)
    {
        for (; *keys; ++keys)
            QTest::keyClick(window, *keys);
    }

    // Sync on with a valid code, the game running, and one tick done.
    void startSyncing()
    {
        m_model->setLinkCode("ABC123");
        m_model->setBridgeEnabled(true);
        m_rig->gameRunning = true;
        tick(*m_model);
    }

    void syncPayload(const QByteArray &payload)
    {
        startSyncing();
        m_rig->append("@CRVN@" + payload + '\n');
        tickAndUpload(*m_model);
    }

private slots:
    void initTestCase()
    {
        AppIdentity::apply();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        HttpsTestServer::trustTestAuthority();
    }

    void init()
    {
        QSettings().clear();
        m_rig = std::make_unique<Rig>();
        m_model = std::make_unique<AppModel>(m_rig->collaborators());
        m_windows = std::make_unique<WindowGroup>(*m_model);
        QVERIFY(m_windows->openWindow());
        m_window = m_windows->windows().last();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    void cleanup()
    {
        m_windows.reset();
        m_model.reset();
        m_rig.reset();
    }

    // The one look check: the dark theme, and the logo's gradient from blueLight to blue with the
    // white link across it.
    void theWindowLooksDarkWithItsLogo()
    {
        QCOMPARE(m_window->title(), "Corvane Bridge");
        QCOMPARE(m_window->maximumWidth(), 420);
        const QQuickItem *logo = item("logo");
        const auto pixel = [&](QPointF at) {
            return m_window->grabWindow().convertToFormat(QImage::Format_RGB32).pixelColor(logo->mapToScene(at).toPoint());
        };
        const auto near = [](QColor a, QColor b) { return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) < 30; };
        QTRY_VERIFY(near(pixel({9, 9}), QColor(0x4A, 0x9A, 0xE8))); // the Canvas paints on a later frame
        QVERIFY(near(pixel({29, 29}), QColor(0x2F, 0x82, 0xD6)));
        QVERIFY(near(pixel({18, 19}), Qt::white));
        QVERIFY(near(pixel({-10, -10}), QColor(0x0B, 0x14, 0x1D)));
    }

    void typingGoesThroughTheWriteRule()
    {
        QVERIFY(!item("syncSwitch")->isEnabled());
        QQuickItem *field = item("linkCodeField");
        field->forceActiveFocus();
        type(m_window, "ab-12 cd");
        QCOMPARE(m_model->linkCode(), "AB12CD");
        QCOMPARE(text("linkCodeField"), "AB12CD");
        QCOMPARE(QSettings().value("linkCode"), QVariant("AB12CD"));
        QVERIFY(item("syncSwitch")->isEnabled());
        QCOMPARE(text("statusLine"), "Off");

        field->setProperty("cursorPosition", 2); // typing in the middle keeps the cursor there
        type(m_window, "x-");
        QCOMPARE(m_model->linkCode(), "ABX12CD");
        QCOMPARE(field->property("cursorPosition").toInt(), 3);

        m_model->setBridgeEnabled(true); // too short now: the switch stays on, but cannot be used
        field->setProperty("cursorPosition", 7);
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(m_window, Qt::Key_Backspace);
        QCOMPARE(m_model->linkCode(), "AB");
        QVERIFY(!item("syncSwitch")->isEnabled() && item("syncSwitch")->property("checked").toBool());
        QCOMPARE(text("statusLine"), "Enter a valid link code first");
    }

    void theSwitchWritesTheModel()
    {
        m_model->setLinkCode("ABC123");
        QQuickItem *toggle = item("syncSwitch");
        QTest::mouseClick(m_window, Qt::LeftButton, {}, toggle->mapToScene(toggle->boundingRect().center()).toPoint());
        QVERIFY(m_model->bridgeEnabled());
        QCOMPARE(text("statusLine"), "Waiting for game");
    }

    void theGameCardFollowsTheGameAndItsLog()
    {
        QCOMPARE(text("gameState"), "Not running");
        QVERIFY(item("launchButton")->isVisible());
        m_rig->logExists = false;
        startSyncing();
        QCOMPARE(text("gameState"), "Running, but its log was not found");
        QVERIFY(!item("launchButton")->isVisible());
        m_rig->logExists = true;
        tick(*m_model);
        QCOMPARE(text("gameState"), "Running");
    }

    void theLiveCardShowsTheFigures()
    {
        QVERIFY(item("placeholder")->isVisible() && !item("balance")->isVisible());
        syncPayload(R"({"balance":1234.5,"lines":1000,"onTime":87.9,"date":"3 Mar 1923"})");
        QVERIFY(!item("placeholder")->isVisible());
        QCOMPARE(text("balance"), QLocale().toString(1234.0, 'f', 0).prepend('$'));
        QCOMPARE(item("lines")->property("value").toString() + item("onTime")->property("value").toString() +
                     item("vehicles")->property("value").toString(), "100087%-");
        QCOMPARE(text("date"), "3 Mar 1923");
        QVERIFY(text("statusLine").startsWith("Live, last sync "));
        QVERIFY(!item("settingsWarning")->isVisible());
    }

    void theNewWindowShortcutOpensAnotherOnTheSameModel()
    {
        QTest::keyClick(m_window, Qt::Key_N, Qt::ControlModifier);
        QTRY_COMPARE(m_windows->windows().size(), 2);
        QQuickWindow *second = m_windows->windows().last();
        QVERIFY(QTest::qWaitForWindowExposed(second));
        item("linkCodeField", second)->forceActiveFocus();
        type(second, "zz9");
        QCOMPARE(text("linkCodeField"), "ZZ9");
        QTest::keyClick(second, Qt::Key_W, Qt::ControlModifier); // closing it leaves the first
        QTRY_COMPARE(m_windows->windows().size(), 1);
    }

    // In German, with the longest texts showing, nothing is cut or reaches past the window's edge.
    void theGermanWindowFits()
    {
        QLocale::setDefault(QLocale::German);
        ApplicationShell::useThePlayersLanguage();
        m_windows = std::make_unique<WindowGroup>(*m_model);
        QVERIFY(m_windows->openWindow());
        m_window = m_windows->windows().last();
        m_rig->logExists = false;
        startSyncing();
        QCOMPARE(text("gameState"), "Läuft, aber sein Protokoll fehlt");
        QList<QQuickItem *> pending{m_window->contentItem()};
        while (!pending.isEmpty()) {
            QQuickItem *candidate = pending.takeFirst();
            pending += candidate->childItems();
            if (!candidate->isVisible() || !candidate->inherits("QQuickText"))
                continue;
            QVERIFY2(!candidate->property("truncated").toBool(), qPrintable(candidate->property("text").toString()));
            QVERIFY2(candidate->mapToScene({candidate->width(), 0}).x() <= 400, qPrintable(candidate->property("text").toString()));
        }
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
