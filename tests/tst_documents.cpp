// The rich-text box and the document rules: change notifications, indents, paths, reloads,
// failures, and every shipped document.

#include "core/catalogue.h"
#include "rtf/rtf.h"
#include "tests/file_permissions.h"
#include "tests/message_capture.h"
#include "ui/calculator/frm_solvane_calc.h"
#include "ui/documents/documents.h"
#include "ui/documents/frm_readme_viewer.h"
#include "ui/documents/rich_text_box.h"
#include "ui/startup/frm_orv_about.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextTable>

#include <utility>

#include <sys/stat.h>

using namespace orvane::ui;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

const QByteArray kTwoParagraphs = "{\\rtf1\\pard\\li1440 first\\par\\pard second}";

} // namespace

class TestDocuments : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        orvane::test::obeyFilePermissions();
        orvane::test::failOnMessages();
    }
    void changeIsRaisedOncePerContentChange();
    void reloadShowsTheFileAsItIsNow();
    void failuresAreReportedAndLeaveNothingStale_data();
    void failuresAreReportedAndLeaveNothingStale();
    void shippedDocumentsShowWhole_data();
    void shippedDocumentsShowWhole();
    void guidelinesTableEqualsTheCatalogue();
    void documentsStayOnALightPage();

private:
    QTemporaryDir dir_;
};

void TestDocuments::changeIsRaisedOncePerContentChange() {
    const QString path = dir_.filePath("doc.rtf");
    QVERIFY(writeFile(path, kTwoParagraphs));
    RichTextBox box;
    QSignalSpy spy(&box, &RichTextBox::Change);
    int seenInside = -1;
    connect(&box, &RichTextBox::Change, &box, [&] { seenInside = int(box.text().size()); });

    QVERIFY(box.LoadFile(path).ok);
    QCOMPARE(spy.count(), 1); // delivered before LoadFile returned, once
    QCOMPARE(seenInside, int(QString("first\nsecond").size()));

    box.setSelStart(0);
    box.setSelLength(5);
    box.setSelIndent(100);
    box.setSelRightIndent(100);
    box.setFocus();
    QCOMPARE(spy.count(), 1); // selection, format and focus are no change of content

    box.setText("");
    QCOMPARE(spy.count(), 2);
    QVERIFY(box.text().isEmpty());
    box.setText("plain");
    QCOMPARE(spy.count(), 3);
    QCOMPARE(box.text(), QString("plain"));
}

void TestDocuments::reloadShowsTheFileAsItIsNow() {
    const QString name = QString("\\reload-%1.rtf").arg(QCoreApplication::applicationPid());
    const QString path = DocumentPath(name);
    QVERIFY(writeFile(path, "{\\rtf1 old text}"));
    RichTextBox box;
    QVERIFY(LoadDocument(&box, name));
    QCOMPARE(box.text(), QString("old text"));
    QVERIFY(writeFile(path, "{\\rtf1 new text}"));
    QVERIFY(LoadDocument(&box, name));
    QCOMPARE(box.text(), QString("new text"));
    QFile::remove(path);
}

void TestDocuments::failuresAreReportedAndLeaveNothingStale_data() {
    QTest::addColumn<QByteArray>("bytes"); // empty with "missing": no file at all
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QByteArray() << "missing"
                             << "the file does not exist";
    QTest::newRow("empty") << QByteArray() << "file"
                           << "the file is empty";
    QTest::newRow("not rtf") << QByteArray("<html>hello</html>") << "file"
                             << "not a rich-text document";
    QTest::newRow("a folder") << QByteArray() << "folder"
                              << "it is a folder, not a file";
    QTest::newRow("unreadable") << QByteArray("{\\rtf1 secret}") << "unreadable"
                                << "the file cannot be read";
    QTest::newRow("a pipe, which would block the reader") << QByteArray() << "fifo"
                                                          << "it is not a regular file";
}

void TestDocuments::failuresAreReportedAndLeaveNothingStale() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString name = QString("\\failure-%1.rtf").arg(QCoreApplication::applicationPid());
    const QString path = DocumentPath(name);
    QFile::remove(path);
    QDir().rmdir(path);
    if (kind == "file" || kind == "unreadable")
        QVERIFY(writeFile(path, bytes));
    if (kind == "folder")
        QVERIFY(QDir().mkdir(path));
    if (kind == "unreadable")
        QFile::setPermissions(path, QFileDevice::WriteOwner);
    if (kind == "fifo")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);

    RichTextBox box;
    const QString previous = DocumentPath("\\Risk Score 56-65 recommendation.rtf");
    QVERIFY(box.LoadFile(previous).ok);
    QVERIFY(!box.text().isEmpty());
    QSignalSpy changes(&box, &RichTextBox::Change);
    orvane::test::MessageCapture messages;

    QVERIFY(!LoadDocument(&box, name));
    QVERIFY(box.text().isEmpty()); // the previous band's advice must not stay beside a new total
    QCOMPARE(changes.count(), 1);
    QCOMPARE(messages.texts.size(), 1);
    const QString& shown = messages.texts.front();
    QVERIFY2(shown.contains(name.mid(1)) && shown.contains(reason), qPrintable(shown));
    QCOMPARE(messages.icons.front(), QMessageBox::Warning);
    QFile::remove(path);
    QDir().rmdir(path);
}

// Each shipped document in each window that shows it: read without a message or leaked RTF,
// and laid out so that the first line of every paragraph, a bullet's included, starts inside the
// box, at least the window's indent in from its edge.
void TestDocuments::shippedDocumentsShowWhole_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("window");
    const QStringList bands{"\\Risk Score 55 and below recommendation.rtf",
                            "\\Risk Score 56-65 recommendation.rtf",
                            "\\Risk Score 66-74 recommendation.rtf",
                            "\\Risk Score  75 recommendation.rtf", "\\Medical Conditions.rtf"};
    for (const QString& name : bands + QStringList{documents::kAsterisk, documents::kFullGuidelines,
                                                   documents::kConditionsOfUse}) {
        for (const char* window : {"viewer", "about"})
            QTest::addRow("%s in %s", qPrintable(name.mid(1)), window) << name << window;
        if (bands.contains(name))
            QTest::addRow("%s in calculator", qPrintable(name.mid(1))) << name << "calculator";
    }
}

void TestDocuments::shippedDocumentsShowWhole() {
    QFETCH(QString, name);
    QFETCH(QString, window);
    orvane::test::MessageCapture messages;
    RichTextBox* box = nullptr;
    double indent = 100 / 15.0; // the change reaction's 100 twips
    if (window == "about") {
        box = frmOrvAbout::Show()->txtDisclaimer();
        LoadDocument(box, name);
    } else if (window == "viewer") {
        box = frmReadMeViewer::OpenInViewer(name, "nobody")->txtAirportHazards();
    } else {
        box = frm_Solvane_Calc::Show()->findChild<RichTextBox*>("txtGuidelines");
        LoadDocument(box, name);
        indent = 0; // no change reaction here
    }
    QVERIFY(messages.texts.isEmpty());
    QVERIFY(box->text().size() > 200);
    QVERIFY(!box->text().contains(u'\\')); // no RTF leaked into the text
    QVERIFY(!box->text().contains(u'{'));

    QAbstractTextDocumentLayout* layout = box->document()->documentLayout();
    const double edge = box->document()->documentMargin() + indent - 0.5;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        if (block.text().isEmpty())
            continue;
        const double x = layout->blockBoundingRect(block).x() + block.layout()->lineAt(0).x();
        QVERIFY2(x >= edge, qPrintable(QString("%1 at x=%2").arg(block.text().left(40)).arg(x)));
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        w->close();
}

// The full guidelines' scoring table lists exactly the calculator's questions and answers, in
// order, with their points: a later edit of either side fails here.
void TestDocuments::guidelinesTableEqualsTheCatalogue() {
    QTextDocument document;
    QVERIFY(orvane::rtf::loadFile(DocumentPath(documents::kFullGuidelines), &document).ok);
    QTextTable* table = nullptr;
    for (auto it = document.rootFrame()->begin(); !it.atEnd() && !table; ++it)
        table = qobject_cast<QTextTable*>(it.currentFrame());
    QVERIFY(table);
    auto cell = [table](int row, int column) { // empty where a merged cell covers it
        const QTextTableCell c = table->cellAt(row, column);
        QString text;
        for (auto it = c.begin(); !it.atEnd() && c.column() == column; ++it)
            text += it.currentBlock().text();
        return text;
    };
    QCOMPARE(cell(0, 1), QString("Risk points"));
    QStringList inTable, inCatalogue;
    for (int row = 1; row < table->rows(); ++row)
        inTable << cell(row, 0) + " | " + cell(row, 1);
    for (const orvane::RiskFactor& factor : orvane::Catalogue()) {
        inCatalogue << QString::fromUtf8(factor.label.data(), qsizetype(factor.label.size())) +
                           " | ";
        for (const orvane::RiskOption& option : factor.options) {
            const QString outcome =
                !option.outcome ? "no points"
                : option.outcome == orvane::kReferralMarker
                    ? "referral"
                    : QString::fromUtf8(option.outcome->data(), qsizetype(option.outcome->size()));
            inCatalogue << QString::fromUtf8(option.text.data(), qsizetype(option.text.size())) +
                               " | " + outcome;
        }
    }
    QCOMPARE(inTable, inCatalogue);
}

// The documents carry their own dark headings and pale shading, so a dark desktop palette must
// not put them on a dark page; a light one keeps the design's colours.
void TestDocuments::documentsStayOnALightPage() {
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    for (const auto& [role, color] : {std::pair{QPalette::Window, QColor(40, 40, 40)},
                                      {QPalette::Base, QColor(25, 25, 25)},
                                      {QPalette::Text, QColor(230, 230, 230)},
                                      {QPalette::WindowText, QColor(230, 230, 230)}})
        dark.setColor(role, color);
    frmOrvAbout* about = frmOrvAbout::Show();
    LoadDocument(about->txtDisclaimer(), documents::kConditionsOfUse);
    RichTextBox* boxes[] = {
        about->txtDisclaimer(), frm_Solvane_Calc::Show()->findChild<RichTextBox*>("txtGuidelines"),
        frmReadMeViewer::OpenInViewer(documents::kAsterisk, "nobody")->txtAirportHazards()};
    const auto page = [](RichTextBox* box) {
        return box->viewport()->grab().toImage().pixelColor(2, 2);
    };
    for (const bool isDark : {true, false, true}) {
        QApplication::setPalette(isDark ? dark : light);
        QCoreApplication::processEvents(); // the palette reaches the windows by events
        for (RichTextBox* box : boxes) {
            const QString name = box->objectName() + (isDark ? " (dark)" : " (light)");
            QCOMPARE(page(box), isDark ? QColor(Qt::white) : light.color(QPalette::Base));
            QVERIFY2(box->palette().color(QPalette::Text).lightness() < 60 || !isDark,
                     qPrintable(name));
        }
    }
    QApplication::setPalette(light);
    for (QWidget* w : QApplication::topLevelWidgets())
        w->close();
}

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
