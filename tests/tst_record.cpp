// The assessment record: what it holds for each kind of result, the PDF as pdftotext reads it
// back, saves that fail without harm, the menu following the window, and what a save writes.

#include "rtf/rtf.h"
#include "tests/file_permissions.h"
#include "tests/message_capture.h"
#include "ui/calculator/assessment_record.h"
#include "ui/calculator/frm_solvane_calc.h"
#include "ui/calculator/pick_list.h"
#include "ui/common/fonts.h"
#include "ui/common/messages.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDirIterator>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

using namespace orvane::ui;

namespace {

using Choices = QList<QPair<QString, int>>; // list key, option index

const Choices kModerate{{"Dry_Bulb", 2}, {"Duration", 2}, {"Intensity", 2}, {"Acclimatization", 1},
                        {"Ability", 1},  {"Age", 1},      {"Drinks", 1},    {"Time", 3},
                        {"Surface", 1},  {"Venue", 1},    {"Medical", 0}}; // 57

Choices with(Choices choices, const QString& key, int option) {
    for (auto& c : choices)
        if (c.first == key)
            c.second = option;
    return choices;
}

// Chooses with the keyboard, as a person without a mouse does.
void choose(frm_Solvane_Calc* w, const QString& key, int option) {
    PickList* list = w->list(key);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < option; ++i)
        QTest::keyClick(list, Qt::Key_Down);
}

frm_Solvane_Calc* assessed(const Choices& choices) {
    frm_Solvane_Calc* w = frm_Solvane_Calc::Show();
    if (!QTest::qWaitForWindowActive(w))
        qWarning("calculator not active");
    for (const auto& [key, option] : choices)
        choose(w, key, option);
    QTest::mouseClick(w->findChild<QPushButton*>("cmd_Calculate"), Qt::LeftButton);
    return w;
}

QAction* action(frm_Solvane_Calc* w, const char* name) {
    return w->findChild<QAction*>(name);
}

QString pdfText(const QString& path, int* pages) {
    QProcess info;
    info.start("pdfinfo", {path});
    info.waitForFinished();
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    const qsizetype at = out.indexOf("Pages:");
    *pages = at < 0 ? 0 : out.mid(at + 6).section(u'\n', 0, 0).trimmed().toInt();
    QProcess text;
    text.start("pdftotext", {"-layout", path, "-"});
    text.waitForFinished();
    return QString::fromUtf8(text.readAllStandardOutput()).simplified();
}

} // namespace

class TestRecord : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void recordHoldsTheAssessment_data();
    void recordHoldsTheAssessment();
    void textKeepsEveryParagraphOfACell();
    void pdfReadsBackAsTheRecord();
    void failedSavesLeaveNothingBehind_data();
    void failedSavesLeaveNothingBehind();
    void failedPrintIsReported();
    void menuFollowsTheWindow();
    void saveWritesOnlyThePdf();

private:
    QTemporaryDir dir_;
};

void TestRecord::initTestCase() {
    orvane::test::obeyFilePermissions();
    installFontSubstitutions();
    QApplication::setQuitOnLastWindowClosed(false);
    orvane::test::failOnMessages();
}

void TestRecord::cleanup() {
    setSaveFileChooser({});
    if (auto* w = frm_Solvane_Calc::instance())
        w->close();
    QTRY_VERIFY(!frm_Solvane_Calc::instance());
}

// Each row: the answers, then lines the text copy must hold and a line it must not. The
// referral follows a scored calculation, whose total the window keeps and the record must not.
void TestRecord::recordHoldsTheAssessment_data() {
    QTest::addColumn<Choices>("choices");
    QTest::addColumn<QStringList>("holds");
    QTest::addColumn<QString>("lacks");
    const QString high = "1. Wet Bulb Globe Temperature | >= 86\u00b0F | 20";
    QTest::newRow("moderate, 57, air temperature")
        << kModerate
        << QStringList{"1. Wet Bulb Globe Temperature | not used | ",
                       "Ordinary Air Temperature* | 86-90.9 | 14",
                       "8. Time of event  (DST) | 4 pm to sunset | 5",
                       "12. Other factors: Consider, but no points added. | not answered | no "
                       "points",
                       "Total: 57",
                       "MODERATE RISK (score 56 to 65)",
                       "- A drink break at least every 15 minutes"}
        << "Ordinary Air Temperature* | not used";
    QTest::newRow("high, 71, WBGT")
        << with(with(with(kModerate, "Dry_Bulb", -1), "Venue", 2), "Drinks", 3) +
               Choices{{"WBGT", 3}}
        << QStringList{high, "Ordinary Air Temperature* | not used | ", "Total: 71",
                       "HIGH RISK (score 66 to 74)"}
        << "";
    QTest::newRow("referral")
        << Choices{{"Medical", 2}, {"Other", 1}}
        << QStringList{"11. Athletes' Other Risky Medical Conditions* | Extreme: "
                       "Flu,Diarrhea,Drugs,Alcohol, * | referral",
                       "12. Other factors: Consider, but no points added. | Water freely "
                       "available at venue? | no points",
                       "No total: a serious medical condition was chosen",
                       "A serious medical condition was chosen, so no score is given",
                       "- No one takes part within 48 hours"}
        << "Total: 57";
}

void TestRecord::recordHoldsTheAssessment() {
    QFETCH(Choices, choices);
    QFETCH(QStringList, holds);
    QFETCH(QString, lacks);
    Choices real;
    for (const auto& c : choices)
        if (c.second >= 0)
            real << c;
    if (QTest::currentDataTag() == QByteArray("referral")) {
        assessed(kModerate);
        QCOMPARE(frm_Solvane_Calc::instance()->findChild<QLineEdit*>("txt_Total")->text(),
                 QString(" 57"));
    }
    frm_Solvane_Calc* w = assessed(real);
    QVERIFY(w->record());
    QTest::keyClick(w, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QString text = QApplication::clipboard()->text();
    QVERIFY(text.startsWith("Heat illness risk assessment\nSolvane Calculator \u00b0F 1.1"));
    QVERIFY(text.contains("Calculated: " + QDate::currentDate().toString("yyyy-MM-dd")));
    QVERIFY(text.contains("Decision taken: ___"));
    QVERIFY(text.contains("not medical advice"));
    for (const QString& line : holds)
        QVERIFY2(text.contains(line), qPrintable(line + "\n--- in ---\n" + text));
    if (!lacks.isEmpty())
        QVERIFY2(!text.contains(lacks), qPrintable(lacks));
}

// The clipboard text walks the record as the reader's text does: a cell's second paragraph in
// the advice is kept, and the record's own table, which the reader did not build, keeps its cells.
void TestRecord::textKeepsEveryParagraphOfACell() {
    QTextDocument advice;
    QVERIFY(
        orvane::rtf::readDocument("{\\rtf1\\trowd\\cellx1000\\cellx2000\\intbl A\\cell first\\par "
                                  "second\\cell\\row}",
                                  &advice)
            .ok);
    Assessment a;
    a.calculated = QDateTime::currentDateTime();
    a.answers = {{"Question one", "Answer one", "3"}};
    a.total = "3";
    a.advice = &advice;
    const QString text = recordText(*buildRecord(a));
    for (const char* line : {"Question | Answer | Risk points\nQuestion one | Answer one | 3\n",
                             "\nA | first\nsecond\n"})
        QVERIFY2(text.contains(line), qPrintable(text));
}

void TestRecord::pdfReadsBackAsTheRecord() {
    frm_Solvane_Calc* w = assessed(kModerate);
    const QString path = dir_.filePath("record.pdf");
    QString suggested;
    setSaveFileChooser([&](const QString& s) {
        suggested = s;
        return path;
    });
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(suggested.startsWith(
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
        "/Heat risk assessment " + QDate::currentDate().toString("yyyy-MM-dd")));
    QVERIFY(suggested.endsWith(".pdf"));
    int pages = 0;
    const QString text = pdfText(path, &pages);
    QCOMPARE(pages, 1);
    for (const char* fact : {"Heat illness risk assessment", "Ordinary Air Temperature* 86-90.9 14",
                             "6. Age of Participants 13 to 17 5", "Total: 57",
                             "MODERATE RISK (score 56 to 65)", "not medical advice"})
        QVERIFY2(text.contains(QString::fromUtf8(fact)), fact);
    QProcess fonts;
    fonts.start("pdffonts", {path});
    fonts.waitForFinished();
    const QStringList lines = QString::fromUtf8(fonts.readAllStandardOutput()).split(u'\n');
    for (const QString& line : lines.mid(2)) // every font is embedded
        QVERIFY2(line.isEmpty() || line.contains(" yes "), qPrintable(line));
}

void TestRecord::failedSavesLeaveNothingBehind_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder that cannot be written") << "locked/record.pdf"
                                                     << "Permission denied";
    QTest::newRow("an older file there stays as it was") << "locked/old.pdf"
                                                         << "Permission denied";
    QTest::newRow("a name that is a folder") << "folder.pdf"
                                             << "it is a folder";
}

void TestRecord::failedSavesLeaveNothingBehind() {
    QFETCH(QString, target);
    QFETCH(QString, reason);
    QDir root(dir_.path());
    root.mkpath("locked");
    root.mkpath("folder.pdf");
    QFile old(root.filePath("locked/old.pdf"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("older record") > 0);
    old.close();
    QFile::setPermissions(root.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner);
    orvane::test::MessageCapture messages;
    frm_Solvane_Calc* w = assessed(kModerate);
    setSaveFileChooser([&](const QString&) { return root.filePath(target); });
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    QFile::setPermissions(root.filePath("locked"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(messages.texts.size(), 1);
    const QString& shown = messages.texts.front();
    QVERIFY2(shown.contains(QDir::toNativeSeparators(root.filePath(target))) &&
                 shown.contains(reason),
             qPrintable(shown));
    QCOMPARE(QDir(root.filePath("locked")).entryList(QDir::Files), QStringList{"old.pdf"});
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("older record"));
    QVERIFY(QDir(root.filePath("folder.pdf")).isEmpty());
}

// Printing to a file that cannot be written is a failure with its reason, not silence.
void TestRecord::failedPrintIsReported() {
    QDir root(dir_.path());
    root.mkpath("locked");
    QFile::setPermissions(root.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner);
    QPrinter printer;
    printer.setOutputFileName(root.filePath("locked/printed.pdf"));
    const QString error = printRecord(*assessed(kModerate)->record(), printer);
    QFile::setPermissions(root.filePath("locked"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(error.contains(QDir::toNativeSeparators(root.filePath("locked/printed.pdf"))),
             qPrintable(error));
    QVERIFY(!QFile::exists(root.filePath("locked/printed.pdf")));
}

// The menu's actions are on only while the record matches the window: after a calculation, and
// not after any change, Reset or a missing answer.
void TestRecord::menuFollowsTheWindow() {
    orvane::test::MessageCapture messages;
    frm_Solvane_Calc* w = frm_Solvane_Calc::Show();
    const auto enabled = [w] {
        QStringList on;
        for (const char* name : {"mnuSaveAsPdf", "mnuPrint", "mnuCopyAsText"})
            if (action(w, name)->isEnabled())
                on << name;
        return on.size() == 3 ? 1 : on.isEmpty() ? 0 : -1;
    };
    auto* calculate = w->findChild<QPushButton*>("cmd_Calculate");
    QCOMPARE(enabled(), 0);
    for (const auto& [key, option] : kModerate)
        choose(w, key, option);
    QCOMPARE(enabled(), 0);
    QTest::mouseClick(calculate, Qt::LeftButton);
    QCOMPARE(enabled(), 1);
    choose(w, "Age", 3); // any change of an answer
    QCOMPARE(enabled(), 0);
    QApplication::clipboard()->setText("before");
    QTest::keyClick(w, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("before")); // nothing to copy
    QTest::mouseClick(calculate, Qt::LeftButton);
    QCOMPARE(enabled(), 1);
    choose(w, "Other", 2); // even the list that scores nothing is on the record
    QCOMPARE(enabled(), 0);
    QTest::mouseClick(calculate, Qt::LeftButton);
    QTest::mouseClick(w->findChild<QPushButton*>("cmd_Reset"), Qt::LeftButton);
    QCOMPARE(enabled(), 0);
    for (const auto& [key, option] : kModerate)
        choose(w, key, option);
    QTest::mouseClick(calculate, Qt::LeftButton);
    QCOMPARE(enabled(), 1);
    QTest::mouseClick(w->findChild<QPushButton*>("cmd_Reset"), Qt::LeftButton);
    choose(w, "Dry_Bulb", 1);
    QTest::mouseClick(calculate, Qt::LeftButton); // a missing answer
    QCOMPARE(messages.texts, QStringList{"Please add Overall Length of Event data."});
    QCOMPARE(enabled(), 0);
}

// The whole save path through the real dialog, in a home folder of its own: the PDF and the
// dialog's remembered folder are all that is written.
void TestRecord::saveWritesOnlyThePdf() {
    const QString home = qEnvironmentVariable("HOME");
    QVERIFY(home.startsWith(QDir::tempPath()));
    QDir(home).mkpath("Documents");
    frm_Solvane_Calc* w = assessed(kModerate);
    QTimer::singleShot(200, this, [] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        name->setText("kept");
        QTest::keyClick(name, Qt::Key_Return);
    });
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    QStringList written;
    QDirIterator it(home, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        written << QDir(home).relativeFilePath(it.next());
    written.sort();
    QCOMPARE(written, (QStringList{".config/QtProject.conf", "Documents/kept.pdf"}));
}

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
