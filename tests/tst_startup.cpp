// Start-up windows: the conditions-of-use window's keys and buttons, the About window, and the
// focus ring. That a hand-over between windows never ends the program is desktop-e2e's, where a
// real program would end.

#include "tests/message_capture.h"
#include "tests/open_windows.h"
#include "ui/calculator/frm_solvane_calc.h"
#include "ui/calculator/frm_wbgt_estimator.h"
#include "ui/common/focus_ring.h"
#include "ui/documents/documents.h"
#include "ui/documents/frm_readme_viewer.h"
#include "ui/documents/rich_text_box.h"
#include "ui/startup/application.h"
#include "ui/startup/frm_orv_about.h"
#include "ui/startup/frm_orv_splash.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace orvane::ui;
using orvane::ui::test::openWindowNames;

namespace {

void closeAll() {
    if (frmReadMeViewer* viewer = frmReadMeViewer::instance())
        viewer->sessionEnding(); // the one way but "Back" that lets it close
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            w->close();
    QTRY_VERIFY(openWindowNames().isEmpty());
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        setUpApplication(*qApp);
        // Tests keep running after the last window closes; closing is observed instead.
        QApplication::setQuitOnLastWindowClosed(false);
        orvane::test::failOnMessages();
    }
    void cleanup() { closeAll(); }

    void characterKeysCloseTheSplash_data() {
        QTest::addColumn<int>("tabs"); // from Readme: 1 Decline, 2 Accept
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("open"); // afterwards; empty: the program ends
        const QStringList none;
        // A letter, and Space on Accept, are desktop-e2e's, on a real display.
        QTest::newRow("escape") << 0 << int(Qt::Key_Escape) << none;
        QTest::newRow("enter presses Accept")
            << 2 << int(Qt::Key_Return) << QStringList{"frm_Solvane_Calc"};
        QTest::newRow("enter presses Decline") << 1 << int(Qt::Key_Enter) << none;
        QTest::newRow("arrow") << 0 << int(Qt::Key_Right) << QStringList{"frmORVsplash"};
    }

    void characterKeysCloseTheSplash() {
        QFETCH(int, tabs);
        QFETCH(int, key);
        QFETCH(QStringList, open);
        QPointer<frmORVsplash> splash = frmORVsplash::Show();
        QVERIFY(QTest::qWaitForWindowActive(splash));
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // Readme, Decline, Accept
        QCOMPARE(QApplication::focusWidget()->objectName(), QString(tabs == 0   ? "cmdDisclaimer"
                                                                    : tabs == 1 ? "cmdDecline"
                                                                                : "cmdAccept"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QTRY_COMPARE(openWindowNames(), open);
    }

    // The way there and back is missingConditionsLeaveAboutUsable's; what the first visit leaves
    // behind must not be there at the second.
    void readmeBackReadmeGivesAFreshAboutWindow() {
        frmORVsplash::Show()->cmdDisclaimer_Click();
        QPointer<frmOrvAbout> first = frmOrvAbout::instance();
        first->txtDisclaimer()->setSelStart(5);
        first->cmdOK_Click();
        QTRY_VERIFY(!first);
        QTest::mouseClick(frmORVsplash::instance()->findChild<QPushButton*>("cmdDisclaimer"),
                          Qt::LeftButton);
        frmOrvAbout* second = frmOrvAbout::instance();
        QVERIFY(second);
        QVERIFY(QTest::qWaitForWindowActive(second));
        QVERIFY(second->txtDisclaimer()->text().startsWith("Conditions of use"));
        QCOMPARE(second->focusWidget(), second->cmdOK());
        QCOMPARE(second->txtDisclaimer()->textCursor().position(), 0);
        QVERIFY(!second->txtDisclaimer()->textCursor().hasSelection());
    }

    void enterAndEscapeOnAboutReturnToTheSplash_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("fromDocument");
        QTest::newRow("enter on Back") << int(Qt::Key_Return) << false;
        QTest::newRow("escape in the document") << int(Qt::Key_Escape) << true;
    }

    void enterAndEscapeOnAboutReturnToTheSplash() {
        QFETCH(int, key);
        QFETCH(bool, fromDocument);
        frmORVsplash::Show()->cmdDisclaimer_Click();
        QPointer<frmOrvAbout> about = frmOrvAbout::instance();
        QVERIFY(QTest::qWaitForWindowActive(about));
        if (fromDocument)
            about->txtDisclaimer()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QTRY_VERIFY(!about);
        QCOMPARE(openWindowNames(), QStringList{"frmORVsplash"});
        QCOMPARE(frmORVsplash::instance()->focusWidget()->objectName(), QString("cmdDisclaimer"));
    }

    void missingConditionsLeaveAboutUsable() {
        const QString path = QCoreApplication::applicationDirPath() + "/ORV Disclaimer-Setup.rtf";
        const QString aside = path + ".aside";
        QVERIFY(QFile::rename(path, aside));
        orvane::test::MessageCapture messages;
        frmORVsplash::Show()->cmdDisclaimer_Click();
        QFile::rename(aside, path);

        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts.front().contains("ORV Disclaimer-Setup.rtf"));
        QPointer<frmOrvAbout> about = frmOrvAbout::instance();
        QVERIFY(about);
        QVERIFY(about->txtDisclaimer()->text().isEmpty());
        QCOMPARE(openWindowNames(), QStringList{"frmOrvAbout"});
        QTest::mouseClick(about->cmdOK(), Qt::LeftButton);
        QTRY_VERIFY(!about);
        QCOMPARE(openWindowNames(), QStringList{"frmORVsplash"});
    }

    void focusIsVisibleInEveryWindow_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control"); // empty: the control the window opens with
        const auto row = [](const char* window, const char* control) {
            QTest::addRow("%s %s", window, *control ? control : "on opening") << window << control;
        };
        // One ring over each window draws it: every window, and each kind of control, once.
        row("splash", "cmdAccept"); // a white button, which shows no focus of its own
        row("about", "");
        row("calculator", "cbo_Age");
        row("calculator", "txtGuidelines");
        row("viewer", "cmd_Tarvix");
        row("estimator", "");
    }

    // A keyboard user sees which control Space or Enter would press, in every window from the
    // moment it opens, and no control moves or grows for it.
    void focusIsVisibleInEveryWindow() {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QWidget* w = nullptr;
        if (window == "splash") {
            w = frmORVsplash::Show();
        } else if (window == "about") {
            w = frmOrvAbout::Show();
        } else if (window == "viewer") {
            w = frmReadMeViewer::OpenInViewer(documents::kAsterisk, frm_Solvane_Calc::kLocator);
        } else {
            w = frm_Solvane_Calc::Show();
            if (window == "estimator") {
                frm_Solvane_Calc::instance()->mnuEstimateWbgt_Click();
                w = w->findChild<frmWbgtEstimator*>();
            }
        }
        QVERIFY(QTest::qWaitForWindowActive(w));
        QWidget* target = control.isEmpty() ? w->focusWidget() : w->findChild<QWidget*>(control);
        QVERIFY(target);
        const QRect before = target->geometry();
        target->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        QCOMPARE(target->geometry(), before);
        const QImage shot = w->grab().toImage();
        const QColor ring = focusRingColor(w->palette());
        // The ring's colour on the control's edge, and nowhere near another control's.
        const auto ringShare = [&](const QWidget* c) {
            const QRect r(c->mapTo(w, QPoint(0, 0)), c->size());
            int edge = 0, ringed = 0;
            for (int x = r.left() + 4; x < r.right() - 4; ++x)
                for (const int y : {r.top(), r.bottom()}) {
                    ++edge;
                    ringed += shot.pixelColor(x, y) == ring;
                }
            return double(ringed) / std::max(edge, 1);
        };
        QVERIFY2(ringShare(target) > 0.9, qPrintable(QString::number(ringShare(target))));
        for (QWidget* other : w->findChildren<QWidget*>())
            if (other != target && other->isVisible() && other->focusPolicy() != Qt::NoFocus &&
                !other->isAncestorOf(target) && !target->isAncestorOf(other))
                QVERIFY2(ringShare(other) < 0.5, qPrintable(other->objectName()));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
