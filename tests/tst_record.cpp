// The assessment record: what it holds for each kind of result, the PDF as the printer lays it
// out, saves and prints that fail without harm, and what a save writes.

#include "coreqt/core_qt.h"
#include "rtf/rtf.h"
#include "tests/calculator_driver.h"
#include "tests/file_permissions.h"
#include "ui/record/assessment_record.h"

#include <QClipboard>
#include <QDirIterator>
#include <QFileDialog>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>

using namespace orvane::ui;
using namespace orvane::test;

class TestRecord : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        obeyFilePermissions();
        prepareWindows();
    }

    void cleanup() {
        setSaveFileChooser({});
        rememberSavedFile({});
        closeCalculator();
    }

    // Each row: the answers, then lines the text copy must hold and a line it must not. The
    // referral follows a scored calculation, whose total the window keeps and the record must not.
    void recordHoldsTheAssessment_data() {
        QTest::addColumn<Choices>("choices");
        QTest::addColumn<QStringList>("holds");
        QTest::addColumn<QString>("lacks");
        // The advice opens with the decision; the record says it once, as the advice does.
        QTest::newRow("moderate, 57, air temperature")
            << kModerate
            << QStringList{"1. Wet Bulb Globe Temperature | not used | ",
                           "Ordinary Air Temperature* | 86-90.9 | 14",
                           "8. Time of event  (DST) | 4 pm to sunset | 5",
                           "12. Other factors: Consider, but no points added. | not answered | no "
                           "points",
                           "Total: 57\nWhat to do\nWBGT ceiling: not known. At an air "
                           "temperature of 86 °F or above",
                           "or use Estimate WBGT.\nMODERATE RISK (score 56 to 65)",
                           "- A drink break at least every 15 minutes"}
            << "Ordinary Air Temperature* | not used";
        QTest::newRow("referral")
            << Choices{{"Medical", 2}, {"Other", 1}}
            << QStringList{"11. Athletes' Other Risky Medical Conditions* | Extreme: "
                           "Flu,Diarrhea,Drugs,Alcohol, * | referral",
                           "12. Other factors: Consider, but no points added. | Water freely "
                           "available at venue? | no points",
                           "Total: none (medical referral)\nMedical advice\nA serious medical "
                           "condition was chosen, so no score is given",
                           "- No one takes part within 48 hours"}
            << "Total: 57";
    }

    void recordHoldsTheAssessment() {
        QFETCH(Choices, choices);
        QFETCH(QStringList, holds);
        QFETCH(QString, lacks);
        if (QTest::currentDataTag() == QByteArray("referral"))
            QCOMPARE(total(assessed(kModerate)), QString(" 57"));
        frm_Solvane_Calc* w = assessed(choices);
        QTest::keyClick(w, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        const QString text = QApplication::clipboard()->text();
        QVERIFY(text.startsWith(
            "Heat illness risk assessment\nSolvane Calculator \u00b0F " ORVANE_VERSION));
        QVERIFY(text.contains("Calculated: " + QDate::currentDate().toString("yyyy-MM-dd")));
        QVERIFY(text.contains("Decision taken: ___"));
        for (const QString& line : holds)
            QVERIFY2(text.contains(line), qPrintable(line + "\n--- in ---\n" + text));
        if (!lacks.isEmpty())
            QVERIFY2(!text.contains(lacks), qPrintable(lacks));
        const QString decision = advice(w).section(u'\n', 0, 0);
        QCOMPARE(text.count(decision), 1);
    }

    // The web edition copies the same text from the same core; both are held to one set of
    // files, so a wording changed in one edition and not the other fails here or in the page's
    // tests.
    void copyMatchesTheWebEdition_data() {
        QTest::addColumn<Choices>("choices");
        QTest::addColumn<QString>("file");
        const Choices byWbgt = with(kModerate, "Dry_Bulb", -1);
        QTest::newRow("air temperature") << kModerate << "record-moderate-air-temperature.txt";
        QTest::newRow("referral") << with(with(kModerate, "Medical", 2), "Other", 1)
                                  << "record-referral.txt";
        QTest::newRow("ceiling") << with(byWbgt, "WBGT", 3) << "record-wbgt-ceiling.txt";
        QTest::newRow("referral and ceiling")
            << with(with(byWbgt, "WBGT", 2), "Medical", 1) << "record-referral-with-ceiling.txt";
    }

    void copyMatchesTheWebEdition() {
        QFETCH(Choices, choices);
        QFETCH(QString, file);
        QFile expectedFile(QStringLiteral(ORVANE_RECORD_FIXTURES "/") + file);
        QVERIFY2(expectedFile.open(QIODevice::ReadOnly), qPrintable(expectedFile.fileName()));
        QString expected = QString::fromUtf8(expectedFile.readAll());
        frm_Solvane_Calc* w = assessed(choices);
        QTest::keyClick(w, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        const QString text = QApplication::clipboard()->text();
        const QRegularExpression calculated("^Calculated: (.*)$",
                                            QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = calculated.match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text.left(200)));
        expected.replace("{version}", ORVANE_VERSION).replace("{calculated}", match.captured(1));
        // Line by line, so a failure names the line that differs rather than the first 200
        // characters of both.
        const QStringList got = text.split(u'\n');
        const QStringList want = expected.split(u'\n');
        for (qsizetype i = 0; i < std::min(got.size(), want.size()); ++i)
            QCOMPARE(got[i], want[i]);
        QCOMPARE(got.size(), want.size());
    }

    // The clipboard text walks the record as the reader's text does: a cell's second paragraph in
    // the advice is kept, and the record's own table, which the reader did not build, keeps its
    // cells.
    void textKeepsEveryParagraphOfACell() {
        QTextDocument advice;
        QVERIFY(orvane::rtf::readDocument(
                    "{\\rtf1\\trowd\\cellx1000\\cellx2000\\intbl A\\cell first\\par "
                    "second\\cell\\row}",
                    &advice)
                    .ok);
        Assessment a;
        a.at = orvane::assessedAt(QDateTime::currentDateTime());
        a.answers = {{"Age", "Answer one", "3", {}}};
        a.total = "3";
        const QString text = recordText(*buildRecord(a, &advice));
        for (const char* line :
             {"Question | Answer | Risk points\n6. Age of Participants | Answer one | 3\n",
              "\nA | first\nsecond\n"})
            QVERIFY2(text.contains(line), qPrintable(text));
    }

    void failedSavesLeaveNothingBehind_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("an older file there stays as it was") << "locked/old.pdf"
                                                             << "Permission denied";
        QTest::newRow("a name that is a folder") << "folder.pdf"
                                                 << "it is a folder";
        // Printing to a file fails with its reason, not silently.
        QTest::newRow("printed into a folder that cannot be written") << "locked/printed.pdf"
                                                                      << "";
    }

    void failedSavesLeaveNothingBehind() {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        QDir root(dir_.path());
        root.mkpath("locked");
        root.mkpath("folder.pdf");
        QFile old(root.filePath("locked/old.pdf"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("older record") > 0);
        old.close();
        QFile::setPermissions(root.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner);
        frm_Solvane_Calc* w = assessed(kModerate);
        QString shown;
        if (target.endsWith("printed.pdf")) {
            QPrinter printer;
            printer.setOutputFileName(root.filePath(target));
            shown = printRecord(*w->record(), printer);
        } else {
            MessageCapture messages;
            setSaveFileChooser([&](const QString&) { return root.filePath(target); });
            QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
            QCOMPARE(messages.texts.size(), 1);
            shown = messages.texts.front();
        }
        QFile::setPermissions(root.filePath("locked"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(shown.contains(QDir::toNativeSeparators(root.filePath(target))) &&
                     shown.contains(reason),
                 qPrintable(shown));
        QCOMPARE(QDir(root.filePath("locked")).entryList(QDir::Files), QStringList{"old.pdf"});
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("older record"));
        QVERIFY(QDir(root.filePath("folder.pdf")).isEmpty());
    }

    // Printing to a file gives what "Save as PDF" gives: the same margins and the same name. The
    // saved PDF is one page with every font in it; what the page says is desktop-e2e's, which reads
    // an assessment saved by keys.
    void printLaysOutAsThePdf() {
        const QTextDocument* record = assessed(kModerate)->record();
        const QDateTime when(QDate(2026, 7, 4), QTime(14, 30));
        QPrinter printer(QPrinter::HighResolution);
        prepareRecordPrinter(printer, QLocale(QLocale::English, QLocale::UnitedStates), when);
        QCOMPARE(printer.docName() + ".pdf", recordFileName(when));
        printer.setOutputFileName(dir_.filePath("printed.pdf"));
        QVERIFY(printRecord(*record, printer).isEmpty());
        QVERIFY(saveRecordPdf(*record, dir_.filePath("saved.pdf"),
                              QLocale(QLocale::English, QLocale::UnitedStates))
                    .isEmpty());
        QProcess fonts;
        fonts.start("pdffonts", {dir_.filePath("saved.pdf")});
        fonts.waitForFinished();
        for (const QString& line :
             QString::fromUtf8(fonts.readAllStandardOutput()).split(u'\n').mid(2))
            QVERIFY2(line.isEmpty() || line.contains(" yes "), qPrintable(line));
        // Where the first word stands on the first page, in points, and the number of pages.
        int pages = 0;
        const auto firstWord = [&pages](const QString& path) {
            QProcess words;
            words.start("pdftotext", {"-bbox", path, "-"});
            words.waitForFinished();
            const QString html = QString::fromUtf8(words.readAllStandardOutput());
            pages = int(html.count("<page "));
            const QRegularExpression box(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)")re");
            const QRegularExpressionMatch m = box.match(html);
            return m.hasMatch() ? QPointF(m.captured(1).toDouble(), m.captured(2).toDouble())
                                : QPointF(-1, -1);
        };
        const QPointF printed = firstWord(dir_.filePath("printed.pdf"));
        const QPointF saved = firstWord(dir_.filePath("saved.pdf"));
        QCOMPARE(pages, 1);
        QVERIFY2(saved.x() > 25, qPrintable(QString::number(saved.x()))); // 10 mm is 28 pt
        QVERIFY2(std::abs(printed.x() - saved.x()) < 1 && std::abs(printed.y() - saved.y()) < 1,
                 qPrintable(QString("printed %1,%2 saved %3,%4")
                                .arg(printed.x())
                                .arg(printed.y())
                                .arg(saved.x())
                                .arg(saved.y())));
    }

    // The whole save path through the real dialog, in a home of its own that has no documents
    // folder yet: the dialog opens in the home folder with a bare name, the save says where it
    // went, the next save starts in that folder, and the PDF and the dialog's settings are all it
    // writes.
    void saveOnAnAccountWithoutDocuments() {
        const QString home = qEnvironmentVariable("HOME");
        QVERIFY(home.startsWith(QDir::tempPath()));
        QVERIFY(!QDir(home).exists("Documents"));
        QDir(home).mkpath("kept");
        frm_Solvane_Calc* w = assessed(kModerate);
        QStringList proposed;
        const auto answerDialog = [&](const QString& typed) {
            QTimer::singleShot(200, this, [&proposed, typed] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                proposed << dialog->directory().absolutePath() + " | " + name->text();
                name->setText(typed);
                QTest::keyClick(name, Qt::Key_Return);
            });
            w->activateWindow(); // back from the last dialog
            QVERIFY(QTest::qWaitForWindowActive(w));
            QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
        };
        answerDialog(home + "/kept/first");
        answerDialog("second");
        QCOMPARE(proposed.size(), 2);
        const QString name = recordFileName(orvane::localTime(w->currentAssessment()->at));
        QCOMPARE(proposed[0], home + " | " + name);
        QCOMPARE(proposed[1], home + "/kept | " + name); // where the last save went
        QCOMPARE(w->findChild<QLabel*>("lblStatus")->text(), "Saved: " + home + "/kept/second.pdf");
        QStringList written;
        QDirIterator it(home, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            written << QDir(home).relativeFilePath(it.next());
        written.sort();
        QCOMPARE(written,
                 (QStringList{".config/QtProject.conf", "kept/first.pdf", "kept/second.pdf"}));
    }

private:
    QTemporaryDir dir_;
};

// A home of its own before Qt starts, so that whatever Qt writes lands where the test looks.
int main(int argc, char** argv) {
    QTemporaryDir home;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
        qunsetenv(name);
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", QDir::temp().filePath("runtime").toUtf8());
    QApplication app(argc, argv);
    TestRecord test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_record.moc"
