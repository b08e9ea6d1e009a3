// The rich-text box and the document rules: change notifications, indents, paths, reloads,
// failures, and every shipped document.

#include "core/catalogue.h"
#include "core/evaluation.h"
#include "core/wbgt_table.h"
#include "rtf/rtf.h"
#include "tests/file_permissions.h"
#include "tests/message_capture.h"
#include "ui/calculator/frm_solvane_calc.h"
#include "ui/documents/documents.h"
#include "ui/documents/frm_readme_viewer.h"
#include "ui/documents/rich_text_box.h"
#include "ui/startup/frm_orv_about.h"

#include <QAbstractTextDocumentLayout>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextTable>

#include <sys/stat.h>

using namespace orvane::ui;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

const QByteArray kTwoParagraphs = "{\\rtf1\\pard\\li1440 first\\par\\pard second}";

const QString kMedical = "\\Medical Conditions.rtf";
const QStringList kAdvice{
    "\\Risk Score 55 and below recommendation.rtf", "\\Risk Score 56-65 recommendation.rtf",
    "\\Risk Score 66-74 recommendation.rtf", "\\Risk Score  75 recommendation.rtf", kMedical};
const QStringList kShipped = kAdvice + QStringList{documents::kAsterisk, documents::kFullGuidelines,
                                                   documents::kConditionsOfUse};

bool loadShipped(const QString& name, QTextDocument* document) {
    return orvane::rtf::loadFile(DocumentPath(name), document).ok;
}

// The text of a shipped document as a reader sees it, read once.
QString shippedText(const QString& name) {
    static QHash<QString, QString> texts;
    if (!texts.contains(name)) {
        QTextDocument document;
        loadShipped(name, &document);
        texts.insert(name, orvane::rtf::plainText(document));
    }
    return texts.value(name);
}

// A cell's text; empty where a merged cell covers it.
QString cellText(QTextTable* table, int row, int column) {
    const QTextTableCell c = table->cellAt(row, column);
    QString text;
    for (auto it = c.begin(); !it.atEnd() && c.column() == column; ++it)
        text += it.currentBlock().text();
    return text;
}

// The table whose second heading cell reads `heading`, or null.
QTextTable* tableHeaded(QTextDocument& document, const QString& heading) {
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it)
        if (auto* table = qobject_cast<QTextTable*>(it.currentFrame());
            table && cellText(table, 0, 1) == heading)
            return table;
    return nullptr;
}

} // namespace

class TestDocuments : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        orvane::test::obeyFilePermissions();
        orvane::test::failOnMessages();
    }

    void changeIsRaisedOncePerContentChange() {
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

        box.setText("plain"); // emptied by a failed load: failuresAreReportedAndLeaveNothingStale
        QCOMPARE(spy.count(), 2);
        QCOMPARE(box.text(), QString("plain"));
    }

    void reloadShowsTheFileAsItIsNow() {
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

    void failuresAreReportedAndLeaveNothingStale_data() {
        QTest::addColumn<QByteArray>("bytes"); // empty with "missing": no file at all
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* name, const char* bytes, const char* kind,
                            const char* reason) {
            QTest::newRow(name) << QByteArray(bytes) << QString(kind) << QString(reason);
        };
        row("missing", "", "missing", "the file does not exist");
        row("empty", "", "file", "the file is empty");
        row("not rtf", "<html>hello</html>", "file", "not a rich-text document");
        row("a folder", "", "folder", "it is a folder, not a file");
        row("unreadable", "{\\rtf1 secret}", "unreadable", "the file cannot be read");
        row("a pipe, which would block the reader", "", "fifo", "it is not a regular file");
    }

    void failuresAreReportedAndLeaveNothingStale() {
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
        // The previous band's advice must not stay beside a new total.
        QVERIFY(box.text().isEmpty());
        QCOMPARE(changes.count(), 1);
        QCOMPARE(messages.texts.size(), 1);
        const QString& shown = messages.texts.front();
        QVERIFY2(shown.contains(name.mid(1)) && shown.contains(reason), qPrintable(shown));
        QCOMPARE(messages.icons.front(), QMessageBox::Warning);
        QFile::remove(path);
        QDir().rmdir(path);
    }

    // Each shipped document in the viewer, and the advice in the calculator: read without a message
    // or leaked RTF, and laid out so that the first line of every paragraph, a bullet's included,
    // starts inside the box, at least the window's indent in from its edge. The About window
    // indents as the viewer does, in the same box.
    void shippedDocumentsShowWhole_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("window");
        for (const QString& name : kShipped) {
            QTest::addRow("%s in viewer", qPrintable(name.mid(1))) << name << "viewer";
            if (kAdvice.contains(name))
                QTest::addRow("%s in calculator", qPrintable(name.mid(1))) << name << "calculator";
        }
    }

    void shippedDocumentsShowWhole() {
        QFETCH(QString, name);
        QFETCH(QString, window);
        orvane::test::MessageCapture messages;
        RichTextBox* box = nullptr;
        double indent = 100 / 15.0; // the change reaction's 100 twips
        if (window == "viewer") {
            box = frmReadMeViewer::OpenInViewer(name, "nobody")->txtAirportHazards();
        } else {
            box = frm_Solvane_Calc::Show()->findChild<RichTextBox*>("txtGuidelines");
            LoadDocument(box, name);
            indent = 0; // no change reaction here
        }
        QVERIFY(messages.texts.isEmpty());
        QVERIFY(box->text().size() > 200);
        QVERIFY(!box->text().contains(u'\\') && !box->text().contains(u'{')); // no RTF leaked

        QAbstractTextDocumentLayout* layout = box->document()->documentLayout();
        const double edge = box->document()->documentMargin() + indent - 0.5;
        for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
            if (block.text().isEmpty())
                continue;
            const double x = layout->blockBoundingRect(block).x() + block.layout()->lineAt(0).x();
            QVERIFY2(x >= edge,
                     qPrintable(QString("%1 at x=%2").arg(block.text().left(40)).arg(x)));
        }
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
    }

    // The full guidelines' scoring table lists exactly the calculator's questions and answers, in
    // order, with their points: a later edit of either side fails here.
    void guidelinesTableEqualsTheCatalogue() {
        QTextDocument document;
        QVERIFY(loadShipped(documents::kFullGuidelines, &document));
        QTextTable* table = tableHeaded(document, "Risk points");
        QVERIFY(table);
        auto cell = [table](int row, int column) { return cellText(table, row, column); };
        QStringList inTable, inCatalogue;
        for (int row = 1; row < table->rows(); ++row)
            inTable << cell(row, 0) + " | " + cell(row, 1);
        for (const orvane::RiskFactor& factor : orvane::Catalogue()) {
            inCatalogue << QString::fromUtf8(factor.label.data(), qsizetype(factor.label.size())) +
                               " | ";
            for (const orvane::RiskOption& option : factor.options) {
                const QString outcome = !option.outcome ? "no points"
                                        : option.outcome == orvane::kReferralMarker
                                            ? "referral"
                                            : QString::fromUtf8(option.outcome->data(),
                                                                qsizetype(option.outcome->size()));
                inCatalogue << QString::fromUtf8(option.text.data(),
                                                 qsizetype(option.text.size())) +
                                   " | " + outcome;
            }
        }
        QCOMPARE(inTable, inCatalogue);
    }

    // The documents carry their own dark headings and pale shading, so a dark desktop palette must
    // not put them on a dark page; a light one keeps the design's colours.
    void documentsStayOnALightPage() {
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
            about->txtDisclaimer(),
            frm_Solvane_Calc::Show()->findChild<RichTextBox*>("txtGuidelines"),
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

    // A figure that several documents give reads the same in all of them. Each row finds every
    // statement of one figure, in any shipped document, by a pattern whose first group is the
    // figure as stated, and names the documents that must state it. The clauses of each band's
    // figures in the full guidelines must stand in that band's own advice, and the referral's
    // opening rules in the starred items and the full guidelines, word for word.
    void figuresReadTheSameEverywhere_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("statedIn");
        const QString full = documents::kFullGuidelines, star = documents::kAsterisk;
        auto figure = [](const char* name, const char* pattern, const QString& expected,
                         const QStringList& statedIn) {
            QTest::newRow(name) << QString::fromUtf8(pattern) << expected << statedIn;
        };
        figure("hourly drinking range",
               R"re((\S+ to \S+ (?:fl oz|ml|L)(?: \([^)]*\))?) (?:an|per) hour)re",
               "13½ to 27 fl oz (400 to 800 ml)", {full});
        figure("drink-station spacing", R"re((\S+ to \S+ (?:miles|km)(?: \([^)]*\))?))re",
               "1.2 to 1.9 miles (2 to 3 km)", {full, kAdvice[1], kAdvice[2]});
        figure("cooling end point", R"re((\S+ °F \(3[89](?:\.\d)? °C\)|102 °F \([^)]*\)))re",
               "102 °F (38.9 °C)", {full, kAdvice[3]});
        figure("heat stroke temperature", R"re((\S+ °F \(40 °C\)|104 °F \([^)]*\)))re",
               "104 °F (40 °C)", {full});
        figure("days out after illness", R"re((?:within|last) (\d+) hours)re", "48",
               {full, star, kMedical});
        figure("humidity the air options assume",
               R"re(about (\d+) % relative humidity in full sun)re", "40", {full, star});
        const double humidDay = orvane::CelsiusToFahrenheit(
            orvane::ApproximateWbgtC(orvane::FahrenheitToCelsius(84), 70));
        figure("the humid day, by the WBGT page's formula",
               R"re(84 °F and 70 % relative humidity[^.]* WBGT of (\S+) °F)re",
               QString::number(humidDay, 'f', 1), {full, star});
        figure("rest between games on a tournament day",
               R"re(at least (\S+ (?:hours?|minutes)) between games)re", "2 hours",
               {full, kAdvice[2]});
        figure("emergency numbers", R"re((\(911\b[^)]*\)|\b911 \([^)]*\)))re", "(911, 000, 112)",
               {full, kAdvice[1], kAdvice[3]});
        // The WBGT ceiling, one sentence wherever a band's figures or the races are explained.
        figure(
            "the WBGT ceiling", R"re((Whatever the score, the WBGT .*?\.)(?=\s|$))re",
            "Whatever the score, the WBGT sets a ceiling that no other answer lowers (ACSM 2007, "
            "reprinted in NATA 2015): from 82.1 °F (27.9 °C) races and other continuous events are "
            "at the cancel level for heat stroke; from 86.1 °F (30.1 °C) anyone not acclimatized "
            "stops training and competing, and acclimatized people limit intense exercise and time "
            "in the heat; above 90.0 °F (32.2 °C) exercise is canceled for everyone.",
            {full, kAdvice[0], kAdvice[1], kAdvice[2], kAdvice[3]});

        QTextDocument guidelines, medical;
        QVERIFY(loadShipped(full, &guidelines) && loadShipped(kMedical, &medical));
        for (const char* heading : {"Drinks, rest and sessions", "What the race organizer does"}) {
            QTextTable* table = tableHeaded(guidelines, heading);
            QVERIFY2(table, heading);
            for (int row = 1; row < table->rows(); ++row) {
                const QString score = cellText(table, row, 0);
                const auto band = orvane::BandFor(score.section(u' ', 0, 0).toDouble());
                QVERIFY2(band, qPrintable(score));
                const QString advice = "\\" + QString::fromUtf8(band->document.data(),
                                                                qsizetype(band->document.size()));
                QString figures = cellText(table, row, 1);
                figures.chop(figures.endsWith(u'.') ? 1 : 0);
                for (const QString& clause : figures.split("; "))
                    QTest::addRow("%s: %s", qPrintable(score), qPrintable(clause))
                        << "(" + QRegularExpression::escape(clause) + ")" << clause
                        << QStringList{advice};
            }
        }
        // The referral's opening rules: the bullets right under its decision.
        for (QTextBlock bullet = medical.begin().next(); bullet.text().startsWith(u"\u2022\t");
             bullet = bullet.next()) {
            const QString rule = bullet.text().mid(2);
            QTest::addRow("referral rule: %s", qPrintable(rule))
                << "(" + QRegularExpression::escape(rule) + ")" << rule << QStringList{star, full};
        }
    }

    void figuresReadTheSameEverywhere() {
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QFETCH(QStringList, statedIn);
        const QRegularExpression figure(pattern, QRegularExpression::CaseInsensitiveOption);
        QVERIFY2(figure.isValid(), qPrintable(figure.errorString()));
        for (const QString& name : kShipped) {
            int found = 0;
            for (auto it = figure.globalMatch(shippedText(name)); it.hasNext(); ++found) {
                const QString stated = it.next().captured(1);
                QVERIFY2(stated.compare(expected, Qt::CaseInsensitive) == 0,
                         qPrintable(QString("%1 reads \"%2\"").arg(name.mid(1), stated)));
            }
            QVERIFY2(found || !statedIn.contains(name),
                     qPrintable(name.mid(1) + " does not state it"));
        }
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
