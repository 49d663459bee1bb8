// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

// Guards against: a window that is not dark or shows no keyboard focus, texts cut or past the window's
// edge in German, a tooltip without end, an autostart line that breaks on special characters.

#include "AppIdentity.h"
#include "ApplicationShell.h"
#include "LoginItem.h"
#include "ModelRig.h"
#include "QuickWindowSet.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>

// What the shipped binary's end-to-end test cannot show: how the real QML window looks (rendered
// offscreen, over a model whose game and log the test holds), and how an autostart entry quotes.
class TestApplication : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;

private slots:
    void initTestCase()
    {
        AppIdentity::apply();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    }

    // The one look check: a dark window that shows where the keyboard is. Then, in German and with the
    // longest texts showing, nothing is cut or reaches past the window's edge.
    void theWindowLooksDarkAndFitsInGerman()
    {
        Rig rig;
        AppModel model(rig.collaborators());
        QuickWindowSet windows(model);
        QVERIFY(windows.openWindow());
        QQuickWindow *window = windows.windows().last();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QImage unfocused = window->grabWindow();
        QVERIFY(qGray(unfocused.pixel(4, 4)) < 40);
        QTest::keyClick(window, Qt::Key_Tab); // onto "Launch game": a ring shows where the keyboard is
        QVERIFY(window->grabWindow() != unfocused);

        QLocale::setDefault(QLocale::German);
        Presentation::useThePlayersLanguage();
        QVERIFY(windows.openWindow());
        window = windows.windows().last();
        model.setLinkCode("ABCDEF123456");
        rig.gameRunning = true;
        model.setBridgeEnabled(true);
        tick(model, &AppModel::followedLogChanged); // the game seen running, its log followed
        rig.report({R"({"balance":1e300,"lines":1234567890123456,"vehicles":1234567890123456})"});
        // Figures no column can hold: shrunk, then cut, never past the edge.
        tick(model, &AppModel::serverStateChanged);
        model.setBridgeEnabled(false);
        rig.logExists = false;
        rig.searched = QStringList(25, rig.dir.path());
        model.setBridgeEnabled(true);
        tick(model, &AppModel::followedLogChanged); // "Läuft, aber sein Protokoll fehlt", the longest
        const auto *content = window->findChild<QQuickItem *>("content"); // the cards' column
        const qreal edge = content->mapToScene({content->width(), 0}).x();
        for (const QQuickItem *item : window->findChildren<QQuickItem *>()) {
            if (item->isVisible() && item->inherits("QQuickText")) {
                const QString text = item->property("text").toString();
                QVERIFY2(!item->property("truncated").toBool() || item->objectName() == "figure",
                         qPrintable(text));
                const qreal right = std::max(item->width(), item->property("contentWidth").toReal());
                QVERIFY2(item->mapToScene({right, 0}).x() <= edge, qPrintable(text));
            }
        }
        const auto *presentation = window->findChild<Presentation *>(); // the tooltip: 20 folders, "5 more"
        QCOMPARE(presentation->gameStateDetail().split('\n').mid(20).join('|'),
                 rig.dir.path() + "|und 5 weitere");
    }

    // A desktop entry quotes " ` $ and \, then escapes every backslash once more, and % as %%.
    void theAutostartEntryQuotesTheProgram()
    {
        QCOMPARE(LoginItem::execLine("/a\"b`c$d\\e%f"), "\"/a\\\\\"b\\\\`c\\\\$d\\\\\\\\e%%f\" --background");
    }
};

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
