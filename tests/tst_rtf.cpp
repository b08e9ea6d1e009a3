// The RTF reader, by area: tokens, text, character and paragraph formats, fields, tables, lists,
// pictures and malformed input. Every text is read both ways, straight to text and into a built
// document, and the two must agree; formatting is asserted on the built document.

#include "rtf/rtf.h"
#include "rtf/text_sink.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

using namespace orvane::rtf;

namespace {

std::unique_ptr<QTextDocument> build(const QByteArray& rtf, const Limits& limits = {}) {
    auto document = std::make_unique<QTextDocument>();
    readDocument(rtf, document.get(), limits);
    return document;
}

// The text both ways, followed by "[cut off]" for a damaged file; a difference between them
// fails the test that asked.
QString textOf(const QByteArray& rtf, const Limits& limits = {}) {
    QByteArray streamed;
    TextSink sink([&](QByteArrayView piece) { streamed += piece; }, limits.maxTableColumns);
    const ReadResult result =
        read(std::string_view(rtf.constData(), std::size_t(rtf.size())), sink, limits);
    if (!result.ok)
        return "ERROR: " + result.error;
    QTextDocument document;
    const bool damaged = readDocument(rtf, &document, limits).damaged;
    const QString built = plainText(document);
    if (built.toUtf8() != streamed || damaged != result.damaged)
        return "STREAMED: " + QString::fromUtf8(streamed) + " BUILT: " + built;
    return built + (damaged ? "[cut off]" : "");
}

// The character format at the first occurrence of `text`.
QTextCharFormat formatOf(const QTextDocument& document, const QString& text) {
    const QTextCursor found = document.find(text);
    if (found.isNull())
        return {};
    QTextCursor at(found.block());
    at.setPosition(found.selectionStart() + 1);
    return at.charFormat();
}

QTextTable* firstTable(const QTextFrame* frame) {
    for (auto it = frame->begin(); !it.atEnd(); ++it)
        if (auto* table = qobject_cast<QTextTable*>(it.currentFrame()))
            return table;
    return nullptr;
}

// A table's shape: "rows x columns", then each cell that spans or holds a table, as
// "(row,column span rows x columns)" and "(row,column {nested shape})".
QString shape(QTextTable* table) {
    QString out = QString("%1x%2").arg(table->rows()).arg(table->columns());
    for (int r = 0; r < table->rows(); ++r) {
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c)
                continue;
            if (cell.rowSpan() > 1 || cell.columnSpan() > 1)
                out += QString(" (%1,%2 %3x%4)")
                           .arg(r)
                           .arg(c)
                           .arg(cell.rowSpan())
                           .arg(cell.columnSpan());
            for (auto it = cell.begin(); !it.atEnd(); ++it)
                if (auto* nested = qobject_cast<QTextTable*>(it.currentFrame()))
                    out += QString(" (%1,%2 {%3})").arg(r).arg(c).arg(shape(nested));
        }
    }
    return out;
}

QByteArray pngHex(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toHex();
}

const QByteArray kBorders = "\\clbrdrt\\brdrs\\brdrw30\\clbrdrl\\brdrs\\clbrdrb\\brdrdb\\clbrdrr"
                            "\\brdrs\\brdrcf1";

// Fonts and a bulleted list as Word writes them: a group before each font's name.
const QByteArray kWordFonts =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2{\\*\\panose "
    "02020603050405020304}"
    "Times New Roman;}{\\f1\\fbidi\\froman\\fcharset2\\fprq2{\\*\\panose 05050102010706020507}"
    "{\\*\\falt Wingdings}Symbol;}}";
const QByteArray kWordList =
    "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}"
    "{\\levelnumbers;}\\f1\\fi-360\\li720}{\\listname "
    ";}\\listid5}}{\\*\\listoverridetable{\\listoverride"
    "\\listid5\\listoverridecount0\\ls1}}\\pard\\ls1\\fi-360\\li720{\\listtext\\pard\\plain\\f1\\'"
    "b7\\tab}"
    "One\\par}";

} // namespace

class TestRtf : public QObject {
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void characterFormats_data();
    void characterFormats();
    void paragraphFormats_data();
    void paragraphFormats();
    void tables_data();
    void tables();
    void cellBordersAndShading();
    void lists();
    void pictures_data();
    void pictures();
    void shippedDocumentsReadTheSameBothWays();
    void refusesWhatIsNotRtf_data();
    void refusesWhatIsNotRtf();
};

// What ends up as text: Unicode skipping, code pages, symbol fonts, skipped destinations,
// tracked changes and footnotes.
void TestRtf::text_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");
    const QByteArray symbol = "{\\fonttbl{\\f1\\fcharset2 Symbol;}{\\f2\\fcharset2 Wingdings;}}";
    QTest::newRow("uc1 skips the fallback") << QByteArray("{\\rtf1 a\\u8364?b}") << "a€b\n";
    QTest::newRow("uc skips hex bytes") << QByteArray("{\\rtf1 \\uc2\\u8364\\'80\\'81x}") << "€x\n";
    QTest::newRow("group end stops skipping") << QByteArray("{\\rtf1 {\\uc3\\u8364}ab}") << "€ab\n";
    QTest::newRow("surrogate pair") << QByteArray("{\\rtf1 \\u-10179?\\u-9047?}") << "💩\n";
    QTest::newRow("pair across a \\uc change")
        << QByteArray("{\\rtf1 \\uc0 \\u55357\\uc1 \\u56832\\'3f}") << "😀\n";
    QTest::newRow("pair across groups") << QByteArray("{\\rtf1 {\\u55357}{\\u56395}}") << "👋\n";
    QTest::newRow("lone high half") << QByteArray("{\\rtf1 \\u-10179?x}") << "\ufffdx\n";
    QTest::newRow("lone low half") << QByteArray("{\\rtf1 \\u-8535?x}") << "\ufffdx\n";
    QTest::newRow("half at a paragraph end")
        << QByteArray("{\\rtf1\\uc0 a\\u55357\\par b}") << "a\ufffd\nb\n";
    QTest::newRow("\\u beyond 16 bits is no character")
        << QByteArray("{\\rtf1 \\u70000?\\u-32769?\\u65535?\\u-32768?}")
        << "\ufffd\ufffd\uffff\u8000\n";
    QTest::newRow("cp1252 by default") << QByteArray("{\\rtf1 caf\\'e9 \\'80}") << "café €\n";
    QTest::newRow("ansicpg 1251") << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}")
                                  << "При\n";
    QTest::newRow("font charset over the document's")
        << QByteArray("{\\rtf1\\ansicpg1252{\\fonttbl{\\f1\\fcharset204 X;}}\\f1\\'cf}") << "П\n";
    QTest::newRow("default font's charset before any \\f")
        << QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset204 X;}}\\'cf\\'f0}") << "Пр\n";
    QTest::newRow("double-byte run")
        << QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset128 MS Mincho;}}\\f1\\'82\\'a0\\'82\\'a2}")
        << "あい\n";
    QTest::newRow("Word's font table: a Symbol bullet after \\panose and \\falt")
        << kWordFonts + kWordList << "•\tOne\n";
    QTest::newRow("Symbol bullet") << "{\\rtf1" + symbol + "{\\f1\\'b7}\\tab a}"
                                   << "•\ta\n";
    QTest::newRow("Symbol bullet before a control symbol") << "{\\rtf1" + symbol + "{\\f1\\'b7\\~}}"
                                                           << "•\u00a0\n";
    QTest::newRow("Symbol private-use bullet") << "{\\rtf1" + symbol + "{\\f1\\u-3913?}}"
                                               << "•\n";
    QTest::newRow("Symbol arrow and Greek") << "{\\rtf1" + symbol + "\\f1\\'ae a}"
                                            << "→ α\n";
    QTest::newRow("Wingdings square, check, box") << "{\\rtf1" + symbol + "\\f2\\'a7\\'fc\\'fe}"
                                                  << "▪✓☑\n";
    QTest::newRow("special characters")
        << QByteArray("{\\rtf1 \\ldblquote a\\rdblquote\\emdash\\~\\tab x}") << "“a”—\u00a0\tx\n";
    QTest::newRow("tables, info, header and footer are not text")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}"
                      "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}{\\header H}body}")
        << "body\n";
    QTest::newRow("unknown starred destination")
        << QByteArray("{\\rtf1{\\*\\foo x{y}z}body}") << "body\n";
    QTest::newRow("\\* belongs to one word, not the group")
        << QByteArray("{\\rtf1{\\*\\shppict\\fake a}b}") << "ab\n";
    QTest::newRow("binary braces in a skipped destination")
        << QByteArray("{\\rtf1{\\*\\foo \\bin4 }}}}}body}") << "body\n";
    QTest::newRow("hidden text") << QByteArray("{\\rtf1 a{\\v secret}b\\v c\\v0 d}") << "abd\n";
    QTest::newRow("tracked deletion hidden, insertion kept")
        << QByteArray("{\\rtf1 a{\\deleted old}{\\revised new}b}") << "anewb\n";
    QTest::newRow("footnotes at the end, numbered")
        << QByteArray("{\\rtf1 A{\\super\\chftn}{\\footnote\\pard{\\super\\chftn} One.}"
                      " B{\\footnote Two.} C\\par}")
        << "A1 B C\nNotes\n1 One.\n2 Two.\n";
    QTest::newRow("a footnote with a skipped word still ends")
        << QByteArray("{\\rtf1 A{\\footnote One.\\*\\foo x} B{\\footnote Two.}\\par}")
        << "A B\nNotes\n1 One.\n2 Two.\n";
    QTest::newRow("line break and paragraph")
        << QByteArray("{\\rtf1 a\\line b\\par c}") << "a\nb\nc\n";
    QTest::newRow("empty document") << QByteArray("{\\rtf1}") << "";
    QTest::newRow("broken hex escape") << QByteArray("{\\rtf1 a\\'zz}") << "azz\n";
    QTest::newRow("binary longer than the file")
        << QByteArray("{\\rtf1 a\\bin999 bc}") << "a\n[cut off]";
    QTest::newRow("an over-long word is no word")
        << QByteArray("{\\rtf1 \\b" + QByteArray(40, 'b') + " x}") << "x\n";
    // Malformed input is read as far as it goes.
    QTest::newRow("truncated") << QByteArray("{\\rtf1 abc{\\b def") << "abcdef\n[cut off]";
    QTest::newRow("no closing brace") << QByteArray("{\\rtf1 abc") << "abc\n[cut off]";
    QTest::newRow("text after the end") << QByteArray("{\\rtf1 a}}}trailing") << "a\n";
    QTest::newRow("huge numbers")
        << QByteArray("{\\rtf1\\fs99999999999\\li-99999999999\\uc99999999999\\u99999999999 x}")
        << "\ufffd\n"; // the clamped \uc skips the x
    QTest::newRow("deep nesting") << (QByteArray("{\\rtf1 a") + QByteArray(2'000'000, '{') + "b" +
                                      QByteArray(2'000'000, '}') + "c}")
                                  << "ac\n";
    QTest::newRow("border words after a nested row definition")
        << QByteArray("{\\rtf1 a\\clbrdrt{\\*\\nesttableprops\\clcbpat1\\brdrw10}}") << "a\n";
    QTest::newRow("a cell of empty paragraphs merged away")
        << QByteArray(
               "{\\rtf1\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\intbl a\\cell\\par\\cell\\row}")
        << "a\t\n";
    QTest::newRow("cell and row outside tables")
        << QByteArray("{\\rtf1\\row a\\cell\\row}") << "a\n";
    QTest::newRow("nul and control bytes")
        << QByteArray("{\\rtf1 a\0b\\'0ac\\u8233?d}", 24) << QString("a") + QChar(0) + "b\nc\nd\n";
}

void TestRtf::text() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QCOMPARE(textOf(rtf), expected);
}

// Asserted as one property of the character format where the needle stands.
void TestRtf::characterFormats_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("property");
    QTest::addColumn<QVariant>("value");
    const QByteArray colours = "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";
    const QByteArray fonts = "{\\fonttbl{\\f0 Arial;}{\\f1 Verdana;}}";
    const QByteArray styles = "{\\stylesheet{\\s1\\sb240\\qc\\b\\f1\\fs32 heading 1;}"
                              "{\\s2\\sbasedon1\\i heading 2;}{\\*\\cs3\\ul Emphasis;}}";
    QTest::newRow("bold ends with its group")
        << "{\\rtf1" + fonts + "{\\b in}out}"
        << "out" << int(QTextFormat::FontWeight) << QVariant(int(QFont::Normal));
    QTest::newRow("font of the group")
        << "{\\rtf1" + fonts + "\\f0{\\f1 in}}"
        << "in" << int(QTextFormat::FontFamilies) << QVariant(QStringList{"Verdana"});
    QTest::newRow("colour") << "{\\rtf1" + colours + "{\\cf1 r}}"
                            << "r" << int(QTextFormat::ForegroundBrush)
                            << QVariant(QBrush(Qt::red));
    QTest::newRow("highlight") << "{\\rtf1" + colours + "{\\highlight2 h}}"
                               << "h" << int(QTextFormat::BackgroundBrush)
                               << QVariant(QBrush(Qt::blue));
    QTest::newRow("superscript") << QByteArray("{\\rtf1{\\super p}}") << "p"
                                 << int(QTextFormat::TextVerticalAlignment)
                                 << QVariant(int(QTextCharFormat::AlignSuperScript));
    QTest::newRow("raised by \\up, same size")
        << QByteArray("{\\rtf1\\fs24{\\up6 p}}") << "p" << int(QTextFormat::TextBaselineOffset)
        << QVariant(25.0);
    QTest::newRow("lowered by \\dn") << QByteArray("{\\rtf1\\fs20{\\dn5 p}}") << "p"
                                     << int(QTextFormat::TextBaselineOffset) << QVariant(-25.0);
    QTest::newRow("caps") << QByteArray("{\\rtf1{\\caps c}}") << "c"
                          << int(QTextFormat::FontCapitalization)
                          << QVariant(int(QFont::AllUppercase));
    QTest::newRow("small caps") << QByteArray("{\\rtf1{\\scaps c}}") << "c"
                                << int(QTextFormat::FontCapitalization)
                                << QVariant(int(QFont::SmallCaps));
    QTest::newRow("paragraph style's character format")
        << "{\\rtf1" + fonts + styles + "\\pard\\s1 Head\\par}"
        << "Head" << int(QTextFormat::FontPointSize) << QVariant(16.0);
    QTest::newRow("style based on another")
        << "{\\rtf1" + fonts + styles + "\\pard\\s2 Sub\\par}"
        << "Sub" << int(QTextFormat::FontWeight) << QVariant(int(QFont::Bold));
    QTest::newRow("character style") << "{\\rtf1" + styles + "a{\\cs3 e}}"
                                     << "e" << int(QTextFormat::TextUnderlineStyle)
                                     << QVariant(int(QTextCharFormat::SingleUnderline));
    QTest::newRow("font name in its own charset")
        << QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset128 \\'82\\'6c\\'82\\'72 "
                      "\\'96\\'be\\'92\\'a9;}}\\f1 x}")
        << "x" << int(QTextFormat::FontFamilies) << QVariant(QStringList{"ＭＳ 明朝"});
    QTest::newRow("Word's font table: the name after \\panose")
        << kWordFonts + "\\f0 x}"
        << "x" << int(QTextFormat::FontFamilies) << QVariant(QStringList{"Times New Roman"});
    QTest::newRow("a font defined after text in it")
        << QByteArray("{\\rtf1\\f1 a{\\fonttbl{\\f1 Verdana;}}b}") << "b"
        << int(QTextFormat::FontFamilies) << QVariant(QStringList{"Verdana"});
    QTest::newRow("link whose instruction changes font")
        << QByteArray("{\\rtf1{\\field{\\*\\fldinst\\f0 HYPERLINK \"http://a.example/\"}"
                      "{\\fldrslt link}}}")
        << "link" << int(QTextFormat::AnchorHref) << QVariant(QString("http://a.example/"));
    QTest::newRow("bookmark link")
        << QByteArray("{\\rtf1{\\field{\\*\\fldinst HYPERLINK \\\\l "
                      "\"sec\"}{\\fldrslt here}} after}")
        << "here" << int(QTextFormat::AnchorHref) << QVariant(QString("#sec"));
    QTest::newRow("other fields are no link")
        << QByteArray("{\\rtf1{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}}") << "7"
        << int(QTextFormat::IsAnchor) << QVariant();
}

void TestRtf::characterFormats() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, needle);
    QFETCH(int, property);
    QFETCH(QVariant, value);
    const auto doc = build(rtf);
    QCOMPARE(formatOf(*doc, needle).property(property), value);
}

// Asserted on the first paragraph's block format.
void TestRtf::paragraphFormats_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<int>("property");
    QTest::addColumn<QVariant>("value");
    const auto tab = [](double at, QTextOption::TabType type, QChar delimiter = QChar()) {
        return QTextOption::Tab(at, type, delimiter);
    };
    QTest::newRow("indents") << QByteArray("{\\rtf1\\li720\\ri300 a}")
                             << int(QTextFormat::BlockLeftMargin) << QVariant(48.0);
    QTest::newRow("hanging indent stops its tab where the lines below start")
        << QByteArray("{\\rtf1\\li720\\fi-360 a\\tab b}") << int(QTextFormat::TabPositions)
        << QVariant::fromValue(QList<QVariant>{QVariant::fromValue(tab(24, QTextOption::LeftTab))});
    QTest::newRow("right, centre and decimal tabs from the margin")
        << QByteArray("{\\rtf1\\li1440\\tqr\\tx2880\\tqc\\tx4320\\tqdec\\tx5760\\tx7200 a}")
        << int(QTextFormat::TabPositions)
        << QVariant::fromValue(
               QList<QVariant>{QVariant::fromValue(tab(96, QTextOption::RightTab)),
                               QVariant::fromValue(tab(192, QTextOption::CenterTab)),
                               QVariant::fromValue(tab(288, QTextOption::DelimiterTab, u'.')),
                               QVariant::fromValue(tab(384, QTextOption::LeftTab))});
    QTest::newRow("\\pard clears tabs")
        << QByteArray("{\\rtf1\\tx720 a\\par\\pard b\\par}") << -1 << QVariant();
    QTest::newRow("paragraph shading")
        << QByteArray("{\\rtf1{\\colortbl;\\red0\\green255\\blue0;}\\cbpat1 a}")
        << int(QTextFormat::BackgroundBrush) << QVariant(QBrush(Qt::green));
    QTest::newRow("paragraph style") << QByteArray("{\\rtf1{\\stylesheet{\\s1\\qc\\sb240 h;}}"
                                                   "\\pard\\s1 a}")
                                     << int(QTextFormat::BlockTopMargin) << QVariant(16.0);
}

void TestRtf::paragraphFormats() {
    QFETCH(QByteArray, rtf);
    QFETCH(int, property);
    QFETCH(QVariant, value);
    const auto doc = build(rtf);
    if (property < 0) { // the second paragraph has no tab stops
        QVERIFY(doc->begin().blockFormat().hasProperty(QTextFormat::TabPositions));
        QVERIFY(!doc->begin().next().blockFormat().hasProperty(QTextFormat::TabPositions));
        return;
    }
    QCOMPARE(doc->begin().blockFormat().property(property), value);
}

void TestRtf::tables_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("shape");
    QTest::addColumn<QString>("text");
    const QByteArray row = "\\trowd\\cellx1500\\cellx4500";
    QTest::newRow("two rows, widths from \\cellx, a cell's paragraphs on lines of their own")
        << "{\\rtf1 before\\par" + row + "\\intbl A1\\cell B1\\par more\\cell\\row" + row +
               "\\intbl A2\\cell B2\\cell\\row\\pard after\\par}"
        << "2x2"
        << "before\nA1\tB1\nmore\nA2\tB2\nafter\n";
    QTest::newRow("merged across")
        << QByteArray("{\\rtf1\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000"
                      "\\intbl wide\\cell\\cell\\row"
                      "\\trowd\\cellx1000\\cellx2000\\intbl a\\cell "
                      "b\\cell\\row}")
        << "2x2 (0,0 1x2)"
        << "wide\t\na\tb\n";
    QTest::newRow("merged down") << QByteArray("{\\rtf1\\trowd\\clvmgf\\cellx1000\\cellx2000"
                                               "\\intbl tall\\cell a\\cell\\row"
                                               "\\trowd\\clvmrg\\cellx1000\\cellx2000"
                                               "\\intbl\\cell b\\cell\\row}")
                                 << "2x2 (0,0 2x1)"
                                 << "tall\ta\n\tb\n";
    QTest::newRow("merged across and down at once")
        << QByteArray(
               "{\\rtf1\\trowd\\clmgf\\clvmgf\\cellx1000\\clmrg\\clvmgf\\cellx2000\\cellx3000"
               "\\intbl a\\cell\\cell b\\cell\\row\\trowd\\clmgf\\clvmrg\\cellx1000\\clmrg\\clvmrg"
               "\\cellx2000\\cellx3000\\intbl\\cell\\cell y\\cell\\row}")
        << "2x3 (0,0 2x2)"
        << "a\t\tb\n\t\ty\n";
    QTest::newRow("a merge down does not swallow a cell beside it")
        << QByteArray(
               "{\\rtf1\\trowd\\clmgf\\clvmgf\\cellx1000\\clmrg\\cellx2000\\cellx3000\\intbl a"
               "\\cell\\cell b\\cell\\row\\trowd\\clvmrg\\cellx1000\\cellx2000\\cellx3000\\intbl"
               "\\cell x\\cell y\\cell\\row}")
        << "2x3 (0,0 1x2)"
        << "a\t\tb\n\tx\ty\n";
    QTest::newRow("a merge down ends at a row without its column")
        << QByteArray("{\\rtf1\\trowd\\cellx1000\\clvmgf\\cellx2000\\intbl a\\cell b\\cell\\row"
                      "\\trowd\\cellx1000\\intbl x\\cell\\row\\trowd\\cellx1000\\clvmrg\\cellx2000"
                      "\\intbl y\\cell\\cell\\row}")
        << "3x2"
        << "a\tb\nx\ny\t\n";
    QTest::newRow("a merged cell with text keeps it")
        << QByteArray("{\\rtf1\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000"
                      "\\intbl a\\cell kept\\cell\\row}")
        << "1x2"
        << "a\tkept\n";
    QTest::newRow("nested tables") << QByteArray("{\\rtf1\\trowd\\cellx5000"
                                                 "\\pard\\intbl\\itap2 in\\nestcell on\\nestcell"
                                                 "{\\*\\nesttableprops\\trowd\\cellx2000"
                                                 "\\cellx4000\\nestrow}"
                                                 "{\\nonesttables fallback\\par}"
                                                 "\\pard\\intbl\\itap1 outer\\cell\\row}")
                                   << "1x1 (0,0 {1x2})"
                                   << "in\ton\nouter\n";
    QTest::newRow("a nested table's rows, and the paragraph after it, on lines of their own")
        << QByteArray(
               "{\\rtf1\\trowd\\cellx3000\\cellx6000\\pard\\intbl A\\cell\\pard\\intbl\\itap2 "
               "one\\nestcell two\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000"
               "\\nestrow}three\\nestcell four\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000"
               "\\cellx2000\\nestrow}\\pard\\intbl\\itap1 after\\cell\\row}")
        << "1x2 (0,1 {2x2})"
        << "A\tone\ttwo\nthree\tfour\nafter\n";
    QTest::newRow("a nested table merged across and down")
        << QByteArray(
               "{\\rtf1\\trowd\\cellx2000\\cellx6000\\pard\\intbl outer\\cell\\pard\\intbl\\itap2 "
               "A\\nestcell\\nestcell C\\nestcell{\\*\\nesttableprops\\trowd\\clmgf\\cellx1000"
               "\\clmrg\\cellx2000\\cellx3000\\nestrow}D\\nestcell E\\nestcell{\\*\\nesttableprops"
               "\\trowd\\clvmgf\\cellx1000\\cellx2000\\nestrow}\\nestcell G\\nestcell{\\*"
               "\\nesttableprops\\trowd\\clvmrg\\cellx1000\\cellx2000\\nestrow}\\pard\\intbl\\itap1"
               "\\cell\\row}")
        << "1x2 (0,1 {3x3 (0,0 1x2) (1,0 2x1)})"
        << "outer\tA\t\tC\nD\tE\n\tG\n\n";
    QTest::newRow("nesting that skips a level keeps its text")
        << QByteArray("{\\rtf1\\trowd\\cellx5000\\pard\\intbl\\itap3 deep\\nestcell"
                      "{\\*\\nesttableprops\\trowd\\cellx4000\\nestrow}"
                      "\\pard\\intbl\\itap1 outer\\cell\\row}")
        << "1x1 (0,0 {1x1 (0,0 {1x1})})"
        << "deep\nouter\n";
    QTest::newRow("rows that never end") << QByteArray("{\\rtf1\\intbl a\\cell b\\cell c") << "1x3"
                                         << "a\tb\tc\n[cut off]";
    QTest::newRow("a table alone has no paragraphs around it")
        << QByteArray("{\\rtf1\\trowd\\cellx1000\\intbl a\\cell\\row}") << "1x1"
        << "a\n";
}

void TestRtf::tables() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, shape);
    QFETCH(QString, text);
    const auto doc = build(rtf);
    QTextTable* table = firstTable(doc->rootFrame());
    QVERIFY(table);
    QCOMPARE(::shape(table), shape);
    QCOMPARE(textOf(rtf), text);
}

// Borders and shading come from the file, and a cell without border words has none.
void TestRtf::cellBordersAndShading() {
    const auto bordered = build(
        "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green255\\blue0;}"
        "\\trowd" +
        kBorders + "\\brdrb\\brdrw90\\clcbpat2\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row}");
    QTextTable* table = firstTable(bordered->rootFrame());
    QCOMPARE(table->format().border(), 0.0);
    const QTextTableCellFormat a = table->cellAt(0, 0).format().toTableCellFormat();
    QCOMPARE(a.topBorder(), 2.0);
    QCOMPARE(a.leftBorder(), 1.0);
    QCOMPARE(a.bottomBorderStyle(), QTextFrameFormat::BorderStyle_Double);
    QCOMPARE(a.rightBorderBrush().color(), QColor(Qt::red));
    QCOMPARE(a.rightBorder(), 1.0); // the paragraph's \brdrw90 after it is not the cell's
    QCOMPARE(a.background().color(), QColor(Qt::green));
    const QTextTableCellFormat b = table->cellAt(0, 1).format().toTableCellFormat();
    QCOMPARE(b.topBorder() + b.leftBorder() + b.bottomBorder() + b.rightBorder(), 0.0);
}

void TestRtf::lists() {
    // A fallback marker is shown as it stands and no list is built besides it.
    const QByteArray tables = "{\\*\\listtable{\\list{\\listlevel\\levelnfc0}"
                              "{\\listlevel\\levelnfc23}\\listid7}}"
                              "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}";
    const auto fallback = build("{\\rtf1" + tables + "\\pard\\ls1{\\listtext 1.\\tab}one\\par}");
    QCOMPARE(fallback->begin().text(), QString("1.\tone"));
    QVERIFY(!fallback->begin().textList());
    // Without one, the list tables decide the style.
    const QByteArray list =
        "{\\rtf1" + tables + "\\pard\\ls1 one\\par two\\par\\ilvl1 sub\\par\\pard plain\\par}";
    const auto built = build(list);
    const QTextBlock first = built->begin();
    QCOMPARE(first.textList()->format().style(), QTextListFormat::ListDecimal);
    QCOMPARE(first.textList(), first.next().textList());
    QCOMPARE(first.next().next().textList()->format().style(), QTextListFormat::ListDisc);
    QCOMPARE(textOf(list), QString("1. one\n2. two\n\u2022 sub\nplain\n"));
}

void TestRtf::pictures_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<double>("width"); // 0: no picture
    QTest::addColumn<bool>("placeholder");
    const QByteArray png = pngHex(4, 2);
    QTest::newRow("png sized by goal")
        << "{\\rtf1{\\pict\\pngblip\\picw4\\pich2\\picwgoal600\\pichgoal300 " + png + "}}" << 40.0
        << false;
    QTest::newRow("scaled") << "{\\rtf1{\\pict\\pngblip\\picwgoal600\\picscalex50 " + png + "}}"
                            << 20.0 << false;
    QTest::newRow("a scale word without its number keeps the size")
        << "{\\rtf1{\\pict\\pngblip\\picwgoal600\\picscalex\\picscaley " + png + "}}" << 40.0
        << false;
    QTest::newRow("own size") << "{\\rtf1{\\pict\\pngblip " + png + "}}" << 4.0 << false;
    QTest::newRow("shppict preferred") << "{\\rtf1{\\*\\shppict{\\pict\\pngblip " + png +
                                              "}}{\\nonshppict{\\pict\\wmetafile8 0102}}}"
                                       << 4.0 << false;
    QTest::newRow("metafile keeps its place")
        << QByteArray("{\\rtf1{\\pict\\wmetafile8\\picw2540\\pich1270 0102}}") << 96.0 << true;
    QTest::newRow("emf sized by goal")
        << QByteArray("{\\rtf1{\\pict\\emfblip\\picwgoal1500\\pichgoal750 0102}}") << 100.0 << true;
    // A 2 x 1, 24-bit device-independent bitmap: its header, then one padded row of pixels.
    QTest::newRow("dib") << QByteArray("{\\rtf1{\\pict\\dibitmap0 28000000020000000100000001001800"
                                       "000000000800000000000000000000000000000000000000"
                                       "0000ff00ff000000}}")
                         << 2.0 << false;
    QTest::newRow("corrupt png") << QByteArray("{\\rtf1{\\pict\\pngblip 89504e47ff}}") << 0.0
                                 << false;
    // Its header whole, its pixels cut off: the picture keeps its place, as a metafile does.
    QTest::newRow("png whose pixels are cut off")
        << "{\\rtf1{\\pict\\pngblip " + png.left(160) + "}}" << 4.0 << true;
    QByteArray huge = QByteArray::fromHex(png);
    // 100000 x 100000 pixels in the header: refused before any pixel is allocated.
    huge[16] = 0, huge[17] = 1, huge[18] = char(0x86), huge[19] = char(0xa0);
    huge[20] = 0, huge[21] = 1, huge[22] = char(0x86), huge[23] = char(0xa0);
    QTest::newRow("huge declared size")
        << "{\\rtf1{\\pict\\pngblip " + huge.toHex() + "}}" << 0.0 << false;
    QTest::newRow("binary data") << "{\\rtf1{\\pict\\pngblip\\bin" +
                                        QByteArray::number(png.size() / 2) + " " +
                                        QByteArray::fromHex(png) + "}}"
                                 << 4.0 << false;
}

void TestRtf::pictures() {
    QFETCH(QByteArray, rtf);
    QFETCH(double, width);
    QFETCH(bool, placeholder);
    const auto doc = build(rtf);
    const QTextCharFormat f = formatOf(*doc, QString(QChar::ObjectReplacementCharacter));
    QCOMPARE(f.isImageFormat() ? f.toImageFormat().width() : 0.0, width);
    if (width > 0) {
        const QImage image =
            doc->resource(QTextDocument::ImageResource, QUrl(f.toImageFormat().name()))
                .value<QImage>();
        QCOMPARE(image.size() == QSize(1, 1), placeholder);
    }
    QCOMPARE(textOf(rtf), QString(width > 0 ? "\n" : ""));
}

// The documents the program ships read the same, straight to text and through a document.
void TestRtf::shippedDocumentsReadTheSameBothWays() {
    const QDir dir(QCoreApplication::applicationDirPath());
    const QStringList names = dir.entryList({"*.rtf"}, QDir::Files);
    QVERIFY(names.size() >= 8);
    for (const QString& name : names) {
        QByteArray streamed;
        QVERIFY(writeText(dir.filePath(name), [&](QByteArrayView p) { streamed += p; }).ok);
        QTextDocument document;
        QVERIFY(loadFile(dir.filePath(name), &document).ok);
        QCOMPARE(QString::fromUtf8(streamed), plainText(document));
    }
}

void TestRtf::refusesWhatIsNotRtf_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("plain text") << QByteArray("Hello {\\rtf1 world}");
    QTest::newRow("leading blank") << QByteArray(" {\\rtf1 x}");
}

void TestRtf::refusesWhatIsNotRtf() {
    QFETCH(QByteArray, bytes);
    QTextDocument document;
    document.setPlainText("kept");
    const ReadResult result = readDocument(bytes, &document);
    QVERIFY(!result.ok);
    QCOMPARE(result.error, QString("not a rich-text document"));
    QCOMPARE(document.toPlainText(), QString("kept"));
}

QTEST_MAIN(TestRtf)
#include "tst_rtf.moc"
