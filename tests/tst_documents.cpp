// The rich-text box and the document rules: change notifications, indents, paths, reloads,
// failures, and every shipped document.

#include "ui/common/messages.h"
#include "ui/documents/documents.h"
#include "ui/documents/rich_text_box.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <unistd.h>

using namespace orvane::ui;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

struct Shown {
    QString caption, text;
    QMessageBox::Icon icon;
};

// Collects message boxes instead of letting them block.
class MessageRecorder {
public:
    MessageRecorder() {
        setMessageInterceptor([this](QMessageBox& box) {
            shown.push_back({box.windowTitle(), box.text(), box.icon()});
        });
    }
    ~MessageRecorder() { setMessageInterceptor({}); }
    std::vector<Shown> shown;
};

const QByteArray kTwoParagraphs = "{\\rtf1\\pard\\li1440 first\\par\\pard second}";

} // namespace

class TestDocuments : public QObject {
    Q_OBJECT

private slots:
    void changeIsRaisedOncePerContentChange();
    void indentsReachEveryParagraph_data();
    void indentsReachEveryParagraph();
    void documentPathIsBesideTheProgram();
    void reloadShowsTheFileAsItIsNow();
    void failuresAreReportedAndLeaveNothingStale_data();
    void failuresAreReportedAndLeaveNothingStale();
    void everyShippedDocumentLoads_data();
    void everyShippedDocumentLoads();

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

void TestDocuments::indentsReachEveryParagraph_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::newRow("paragraphs") << kTwoParagraphs;
    QTest::newRow("last paragraph after a table")
        << QByteArray("{\\rtf1 a\\par\\trowd\\cellx1000\\cellx2000\\intbl x\\cell y\\cell\\row"
                      "\\pard last\\par}");
    QTest::newRow("empty document") << QByteArray("{\\rtf1}");
}

void TestDocuments::indentsReachEveryParagraph() {
    QFETCH(QByteArray, rtf);
    const QString path = dir_.filePath("indents.rtf");
    QVERIFY(writeFile(path, rtf));
    RichTextBox box;
    QVERIFY(box.LoadFile(path).ok);
    // What the windows' change reactions do: select all, set both indents, caret to 0.
    box.setSelStart(0);
    box.setSelLength(int(box.text().size()));
    box.setSelIndent(100);
    box.setSelRightIndent(100);
    box.setSelStart(0);
    box.setSelLength(0);
    int blocks = 0;
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next(), ++blocks) {
        QVERIFY2(qAbs(b.blockFormat().leftMargin() - 100 / 15.0) < 1e-9, qPrintable(b.text()));
        QVERIFY2(qAbs(b.blockFormat().rightMargin() - 100 / 15.0) < 1e-9, qPrintable(b.text()));
    }
    QVERIFY(blocks > 0);
    QCOMPARE(box.textCursor().position(), 0);
    QVERIFY(!box.textCursor().hasSelection());
}

void TestDocuments::documentPathIsBesideTheProgram() {
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    const QString path = DocumentPath("\\Asterisk.rtf");
    QDir::setCurrent(before);
    QCOMPARE(path, QCoreApplication::applicationDirPath() + "/Asterisk.rtf");
    // A folder with blanks and letters beyond ASCII is exercised end to end by the
    // document_path_elsewhere test, which runs a copy of a probe program from such a folder.
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
    if (kind == "unreadable") {
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        if (geteuid() == 0) {
            QFile::remove(path);
            QSKIP("root reads every file; an unreadable file cannot be made here");
        }
    }

    RichTextBox box;
    const QString previous = DocumentPath("\\Risk Score 56-65 recommendation.rtf");
    QVERIFY(box.LoadFile(previous).ok);
    QVERIFY(!box.text().isEmpty());
    QSignalSpy changes(&box, &RichTextBox::Change);
    MessageRecorder messages;

    QVERIFY(!LoadDocument(&box, name));
    QVERIFY(box.text().isEmpty()); // the previous band's advice must not stay beside a new total
    QCOMPARE(changes.count(), 1);
    QCOMPARE(messages.shown.size(), std::size_t(1));
    const Shown& shown = messages.shown.front();
    QCOMPARE(shown.caption, QString("OrvaneCalculatorF"));
    QVERIFY2(shown.text.contains(name.mid(1)), qPrintable(shown.text));
    QVERIFY2(shown.text.contains(reason), qPrintable(shown.text));
    QFile::remove(path);
    QDir().rmdir(path);
}

void TestDocuments::everyShippedDocumentLoads_data() {
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"\\Asterisk.rtf", "\\Daduzo Vizeruda Zavevodov - hot weather guidelines score4.rtf",
          "\\Risk Score 55 and below recommendation.rtf", "\\Risk Score 56-65 recommendation.rtf",
          "\\Risk Score 66-74 recommendation.rtf", "\\Risk Score  75 recommendation.rtf",
          "\\Medical Conditions.rtf", "\\ORV Disclaimer-Setup.rtf"})
        QTest::newRow(name) << QString(name);
}

void TestDocuments::everyShippedDocumentLoads() {
    QFETCH(QString, name);
    MessageRecorder messages;
    RichTextBox box;
    QVERIFY(LoadDocument(&box, name));
    QVERIFY(messages.shown.empty());
    QVERIFY(box.text().size() > 200);
    QVERIFY(!box.text().contains(u'\\')); // no RTF leaked into the text
    QVERIFY(!box.text().contains(u'{'));
}

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
