// The document viewer: opening from the calculator, refusing to close, returning with "Back",
// and the web links, with a recording launcher in place of the desktop.

#include "tests/calculator_driver.h"
#include "tests/open_windows.h"
#include "tests/recording_launcher.h"
#include "ui/documents/frm_readme_viewer.h"

#include <QPointer>
#include <QScrollBar>
#include <QtGui/private/qguiapplication_p.h>

using namespace orvane::ui;
using orvane::test::assessed;
using orvane::test::kModerate;
using orvane::ui::test::openWindowNames;

namespace {

void click(QWidget* window, const char* button) {
    auto* b = window->findChild<QPushButton*>(button);
    QVERIFY2(b, button);
    QTest::mouseClick(b, Qt::LeftButton);
}

// An answer's points, the total and the advice.
QStringList stateOf(frm_Solvane_Calc* calc) {
    return {calc->pointsBox("Age")->text(), calc->findChild<QLineEdit*>("txt_Total")->text(),
            calc->findChild<RichTextBox*>("txtGuidelines")->text()};
}

} // namespace

class TestViewer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { orvane::test::prepareWindows(); }

    void cleanup() {
        if (frmReadMeViewer* viewer = frmReadMeViewer::instance())
            viewer->cmdBackfromReadme_Click();
        if (frm_Solvane_Calc* calc = frm_Solvane_Calc::instance())
            calc->close();
        QTRY_VERIFY(openWindowNames().isEmpty());
    }

    // Two documents asked for in turn share one viewer, and "Back" returns to the calculator as it
    // was.
    void secondRequestReplacesTheDocumentAndBackReturns() {
        frm_Solvane_Calc* calc = assessed(kModerate);
        const QStringList before = stateOf(calc);
        QVERIFY(!before[1].isEmpty() && !before[2].isEmpty());

        click(calc, "cmd_asterisk");
        QPointer<frmReadMeViewer> viewer = frmReadMeViewer::instance();
        QVERIFY(viewer);
        QCOMPARE(viewer->txtLocator()->text(), QString("Solvane Calculator"));
        QVERIFY(viewer->txtAirportHazards()->text().startsWith("The items marked with a star"));

        viewer->txtAirportHazards()->setSelStart(200); // somewhere in the middle
        click(calc, "cmd_RIR_Guidelines");
        QCOMPARE(frmReadMeViewer::instance(), viewer.data());
        QCOMPARE(openWindowNames(), (QStringList{"frmReadMeViewer", "frm_Solvane_Calc"}));
        RichTextBox* box = viewer->txtAirportHazards();
        QVERIFY(box->text().startsWith("Hot weather guidelines"));
        QCOMPARE(box->textCursor().position(), 0);
        QVERIFY(!box->textCursor().hasSelection());
        QCOMPARE(box->verticalScrollBar()->value(), 0);
        QCOMPARE(viewer->focusWidget()->objectName(), QString("cmdBackfromReadme"));
        click(viewer, "cmdBackfromReadme");
        QTRY_VERIFY(!viewer);
        QCOMPARE(frm_Solvane_Calc::instance(), calc);
        QCOMPARE(stateOf(calc), before);
        QCOMPARE(openWindowNames(), QStringList{"frm_Solvane_Calc"});

        // The next request builds a new viewer, holding itself open again.
        calc->cmd_asterisk_Click();
        QVERIFY(frmReadMeViewer::instance() && frmReadMeViewer::instance()->holdsOpen());
    }

    void webLinksOpenTheirAddress_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("Bureau of Meteorology") << "cmd_BOM";
        QTest::newRow("RIR (SA)") << "cmd_RIR_SA";
        QTest::newRow("Tarvix") << "cmd_Tarvix";
    }

    // Each click asks the desktop to open the button's web address and leaves the viewer as it was;
    // a desktop that cannot take the address says so, naming it.
    void webLinksOpenTheirAddress() {
        QFETCH(QString, button);
        test::RecordingLauncher launcher;
        frmReadMeViewer* viewer =
            frmReadMeViewer::OpenInViewer("\\Asterisk.rtf", frm_Solvane_Calc::kLocator);
        const QString document = viewer->txtAirportHazards()->text();
        click(viewer, qPrintable(button));
        QCOMPARE(launcher.urls.size(), 1);
        QVERIFY(launcher.urls[0].startsWith("http://"));
        QVERIFY(launcher.programs.empty());
        launcher.failWith = "no desktop opener";
        orvane::test::MessageCapture messages;
        click(viewer, qPrintable(button));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts.front().contains(launcher.urls[0]),
                 qPrintable(messages.texts.front()));
        QCOMPARE(frmReadMeViewer::instance(), viewer);
        QCOMPARE(viewer->txtAirportHazards()->text(), document);
    }

    void failedLaunchIsReported_data() {
        QTest::addColumn<bool>("pageMissing");
        QTest::addColumn<QString>("reason");
        QTest::newRow("browser does not start")
            << false << "could not be started (no such program)";
        QTest::newRow("page missing") << true << "the file does not exist";
    }

    void failedLaunchIsReported() {
        QFETCH(bool, pageMissing);
        QFETCH(QString, reason);
        QVERIFY2(!browserCommand().isEmpty(), "no desktop opener: install xdg-utils");
        test::RecordingLauncher launcher;
        launcher.failWith = "no such program";
        frmReadMeViewer* viewer =
            frmReadMeViewer::OpenInViewer("\\Asterisk.rtf", frm_Solvane_Calc::kLocator);
        const QString page =
            QCoreApplication::applicationDirPath() + "/Estimated Wet Bulb Globe Temperatures.htm";
        if (pageMissing)
            QVERIFY(QFile::rename(page, page + ".aside"));
        orvane::test::MessageCapture messages;
        viewer->cmdURL_Click();
        if (pageMissing)
            QFile::rename(page + ".aside", page);
        QCOMPARE(messages.texts.size(), 1);
        const QString& shown = messages.texts.front();
        QVERIFY2(shown.contains("Estimated Wet Bulb Globe Temperatures.htm") &&
                     shown.contains(reason),
                 qPrintable(shown));
        QCOMPARE(frmReadMeViewer::instance(), viewer); // the viewer goes on as it was
    }

    // A click on a link in the shown document: web addresses go to the browser, nothing else does.
    void linksInTheDocumentOpenInTheBrowser() {
        test::RecordingLauncher launcher;
        QFile links(QCoreApplication::applicationDirPath() + "/links.rtf");
        QVERIFY(links.open(QIODevice::WriteOnly));
        links.write("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"https://example.org/heat\"}"
                    "{\\fldrslt web}}\\par {\\field{\\*\\fldinst HYPERLINK \"file:///etc/passwd\"}"
                    "{\\fldrslt file}}\\par}");
        links.close();
        frmReadMeViewer* viewer = frmReadMeViewer::OpenInViewer("\\links.rtf", "nobody");
        RichTextBox* box = viewer->txtAirportHazards();
        for (const char* word : {"web", "file"}) {
            QTextCursor at = box->document()->find(word);
            at.setPosition(at.selectionStart() + 1);
            const QPoint inside = box->cursorRect(at).center();
            QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, inside);
        }
        QCOMPARE(launcher.urls, QStringList{"https://example.org/heat"});
    }

    // When the desktop session ends, its manager asks every program to save and quit: the viewer
    // must then let itself be closed, though it refuses every other close.
    void sessionEndIsNotBlocked() {
        QPointer<frmReadMeViewer> viewer =
            frmReadMeViewer::OpenInViewer("\\Asterisk.rtf", frm_Solvane_Calc::kLocator);
        const QString document = viewer->txtAirportHazards()->text();
        QVERIFY(!viewer->close());                 // the title bar's close, Alt+F4
        QVERIFY(!viewer->windowHandle()->close()); // the window system
        QTest::qWait(10);
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(viewer->txtAirportHazards()->text(), document);
        QGuiApplicationPrivate::instance()->commitData(); // the session manager's request
        QVERIFY(viewer->close());
        QTRY_VERIFY(!viewer);
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
