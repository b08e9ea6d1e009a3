// The RTF reader, by area: tokens, group state, Unicode skipping, code pages, skipped
// destinations, fields, tables, lists, pictures and malformed input. Assertions look at the
// built document where formatting matters.

#include "rtf/document_sink.h"
#include "rtf/recording_sink.h"
#include "rtf/rtf.h"
#include "rtf/tokenizer.h"

#include <QBuffer>
#include <QImage>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

using namespace orvane::rtf;

namespace {

QString outline(const QByteArray& rtf) {
    RecordingSink sink;
    const ReadResult result =
        read(std::string_view(rtf.constData(), std::size_t(rtf.size())), sink);
    return result.ok ? sink.outline() : QStringLiteral("ERROR: ") + result.error;
}

std::unique_ptr<QTextDocument> build(const QByteArray& rtf) {
    auto document = std::make_unique<QTextDocument>();
    const ReadResult result = readDocument(rtf, document.get());
    if (!result.ok)
        qWarning() << result.error;
    return document;
}

// The character format at the first occurrence of `text`.
QTextCharFormat formatOf(const QTextDocument& document, const QString& text) {
    QTextCursor found = document.find(text);
    if (found.isNull())
        return {};
    QTextCursor at(found.block());
    at.setPosition(found.selectionStart() + 1);
    return at.charFormat();
}

QString tokens(const QByteArray& input) {
    Tokenizer tok(std::string_view(input.constData(), std::size_t(input.size())));
    QStringList out;
    for (Token t = tok.next(); t.kind != Token::End; t = tok.next()) {
        const QString name = QString::fromLatin1(t.name.data(), qsizetype(t.name.size()));
        switch (t.kind) {
        case Token::GroupOpen: out << "{"; break;
        case Token::GroupClose: out << "}"; break;
        case Token::ControlWord:
            out << (t.hasParam ? QString("W:%1=%2").arg(name).arg(t.param) : "W:" + name);
            break;
        case Token::ControlSymbol: out << QString("S:%1").arg(QChar(t.symbol)); break;
        case Token::HexByte: out << QString("H:%1").arg(t.byte, 2, 16, QChar('0')); break;
        case Token::Unicode: out << QString("U:%1").arg(t.param); break;
        case Token::Text: out << "T:" + name; break;
        case Token::Binary: out << QString("B:%1").arg(t.name.size()); break;
        case Token::End: break;
        }
    }
    return out.join(' ');
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

} // namespace

class TestRtf : public QObject {
    Q_OBJECT

private slots:
    void tokenizer_data();
    void tokenizer();
    void text_data();
    void text();
    void stateIsRestoredAtGroupEnd();
    void characterFormats();
    void paragraphFormats();
    void fields();
    void tables();
    void lists();
    void pictures_data();
    void pictures();
    void refusesWhatIsNotRtf_data();
    void refusesWhatIsNotRtf();
    void malformedInputIsReadAsFarAsPossible_data();
    void malformedInputIsReadAsFarAsPossible();
};

void TestRtf::tokenizer_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("word, blank delimiter eaten") << QByteArray("\\b hi") << "W:b T:hi";
    QTest::newRow("negative parameter") << QByteArray("\\fi-360x") << "W:fi=-360 T:x";
    QTest::newRow("parameter clamped high") << QByteArray("\\fs99999999999") << "W:fs=2147483647";
    QTest::newRow("parameter clamped low") << QByteArray("\\li-99999999999") << "W:li=-2147483648";
    QTest::newRow("dash without digits is text") << QByteArray("\\b-x") << "W:b T:-x";
    QTest::newRow("over-long word is cut to 33 letters")
        << QByteArray("\\" + QByteArray(40, 'a') + " x") << "W:" + QString(33, 'a') + " T:x";
    QTest::newRow("hex byte") << QByteArray("\\'e9") << "H:e9";
    QTest::newRow("bad hex is dropped") << QByteArray("\\'zz") << "T: T:zz";
    QTest::newRow("hex cut by end") << QByteArray("\\'4") << "T: T:4";
    QTest::newRow("unicode negative") << QByteArray("\\u-3913?") << "U:61623 T:?";
    QTest::newRow("symbols") << QByteArray("\\{\\}\\\\\\~") << "S:{ S:} S:\\ S:~";
    QTest::newRow("line ends are not text") << QByteArray("a\r\nb") << "T:a T:b";
    QTest::newRow("backslash at end") << QByteArray("a\\") << "T:a";
    QTest::newRow("binary") << QByteArray("\\bin3 {}\\x") << "B:3 T:x";
    QTest::newRow("binary longer than file") << QByteArray("\\bin999 ab") << "B:2";
    QTest::newRow("binary negative") << QByteArray("\\bin-5 ab") << "B:0 T:ab";
}

void TestRtf::tokenizer() {
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);
    QCOMPARE(tokens(input), expected);
}

// What ends up as text: Unicode skipping, code pages and skipped destinations.
void TestRtf::text_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");
    // \uc
    QTest::newRow("uc1 default skips the fallback") << QByteArray("{\\rtf1 a\\u8364?b}") << "a€b";
    QTest::newRow("uc skips hex bytes") << QByteArray("{\\rtf1 \\uc2\\u8364\\'80\\'81x}") << "€x";
    QTest::newRow("uc0 skips nothing") << QByteArray("{\\rtf1 \\uc0\\u8364 x}") << "€x";
    QTest::newRow("group end stops skipping") << QByteArray("{\\rtf1 {\\uc3\\u8364}ab}") << "€ab";
    QTest::newRow("uc is scoped to its group") << QByteArray("{\\rtf1 {\\uc0 }\\u8364?x}") << "€x";
    QTest::newRow("surrogate pair") << QByteArray("{\\rtf1 \\u-10179?\\u-9047?}") << "💩";
    QTest::newRow("lone high surrogate") << QByteArray("{\\rtf1 \\u-10179?x}") << "\ufffdx";
    QTest::newRow("lone low surrogate") << QByteArray("{\\rtf1 \\u-8535?x}") << "\ufffdx";
    // code pages
    QTest::newRow("cp1252 by default") << QByteArray("{\\rtf1 caf\\'e9 \\'80}") << "café €";
    QTest::newRow("ansicpg 1251") << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}")
                                  << "При";
    QTest::newRow("font charset overrides the document")
        << QByteArray("{\\rtf1\\ansicpg1252{\\fonttbl{\\f1\\fcharset204 X;}}\\f1\\'cf}") << "П";
    QTest::newRow("double-byte run")
        << QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset128 MS Mincho;}}\\f1\\'82\\'a0\\'82\\'a2}")
        << "あい";
    QTest::newRow("double-byte lead in hex, trail as text")
        << QByteArray("{\\rtf1\\ansicpg932 \\'83A}") << "ア";
    QTest::newRow("special characters")
        << QByteArray("{\\rtf1 \\ldblquote a\\rdblquote\\emdash\\~\\tab x}") << "“a”—\u00a0\tx";
    QTest::newRow("escaped braces") << QByteArray("{\\rtf1 \\{x\\}\\\\}") << "{x}\\";
    // destinations that never reach the body
    QTest::newRow("tables and info")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}"
                      "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}body}")
        << "body";
    QTest::newRow("header, footer, footnote")
        << QByteArray("{\\rtf1{\\header H}{\\footer F}a{\\footnote N}b}") << "ab";
    QTest::newRow("unknown starred destination")
        << QByteArray("{\\rtf1{\\*\\foo x{y}z}body}") << "body";
    QTest::newRow("binary braces inside a skipped destination")
        << QByteArray("{\\rtf1{\\*\\foo \\bin4 }}}}}body}") << "body";
    QTest::newRow("escaped braces inside a skipped destination")
        << QByteArray("{\\rtf1{\\*\\foo \\} \\{ }body}") << "body";
    QTest::newRow("object data") << QByteArray("{\\rtf1{\\object{\\*\\objdata 0102}{\\result R}}}")
                                 << "R";
    QTest::newRow("hidden text") << QByteArray("{\\rtf1 a{\\v secret}b\\v c\\v0 d}") << "abd";
    QTest::newRow("old-style numbering definition")
        << QByteArray("{\\rtf1{\\pntext 1.\\tab}{\\*\\pn\\pndec{\\pntxta .}}A}") << "1.\tA";
    QTest::newRow("line break and paragraph")
        << QByteArray("{\\rtf1 a\\line b\\par c}") << "a\nb\nc";
}

void TestRtf::text() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QCOMPARE(outline(rtf), expected);
}

void TestRtf::stateIsRestoredAtGroupEnd() {
    const auto doc = build("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Verdana;}}\\f0\\fs20 "
                           "{\\b\\i\\f1\\fs40\\ul\\qc in}out\\par}");
    const QTextCharFormat in = formatOf(*doc, "in");
    const QTextCharFormat out = formatOf(*doc, "out");
    QCOMPARE(in.fontWeight(), int(QFont::Bold));
    QVERIFY(in.fontItalic() && in.fontUnderline());
    QCOMPARE(in.fontFamilies().toStringList(), QStringList{"Verdana"});
    QCOMPARE(in.fontPointSize(), 20.0);
    QCOMPARE(out.fontWeight(), int(QFont::Normal));
    QVERIFY(!out.fontItalic() && !out.fontUnderline());
    QCOMPARE(out.fontFamilies().toStringList(), QStringList{"Arial"});
    QCOMPARE(out.fontPointSize(), 10.0);
    // Paragraph properties also live in the group: the \qc inside it was undone at its end.
    QCOMPARE(doc->begin().blockFormat().alignment(), Qt::AlignLeft);
}

void TestRtf::characterFormats() {
    const auto doc = build("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                           "{\\strike s}{\\super p}{\\sub q}{\\cf1 r}{\\cb2 g}{\\highlight2 h}"
                           "{\\cf9 undeclared}{\\b\\plain plain}{\\ul\\ulnone n}{\\b0 z}}");
    QVERIFY(formatOf(*doc, "s").fontStrikeOut());
    QCOMPARE(formatOf(*doc, "p").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(formatOf(*doc, "q").verticalAlignment(), QTextCharFormat::AlignSubScript);
    QCOMPARE(formatOf(*doc, "r").foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatOf(*doc, "g").background().color(), QColor(0, 0, 255));
    QCOMPARE(formatOf(*doc, "h").background().color(), QColor(0, 0, 255));
    QVERIFY(!formatOf(*doc, "undeclared").hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(formatOf(*doc, "plain").fontWeight(), int(QFont::Normal));
    QVERIFY(!formatOf(*doc, "n").fontUnderline());
}

void TestRtf::paragraphFormats() {
    const auto doc = build("{\\rtf1\\pard\\qr\\li720\\ri300\\fi-360\\sb120\\sa240 first\\par"
                           "\\qj second\\par\\pard\\sl360\\slmult1 third\\par"
                           "\\pard\\sl-300 fourth\\page fifth}");
    QTextBlock block = doc->begin();
    QTextBlockFormat f = block.blockFormat();
    QCOMPARE(f.alignment(), Qt::AlignRight);
    QCOMPARE(f.leftMargin(), 48.0);
    QCOMPARE(f.rightMargin(), 20.0);
    QCOMPARE(f.textIndent(), -24.0);
    // A hanging indent stops the marker's tab where the following lines begin.
    QCOMPARE(f.tabPositions().size(), 1);
    QCOMPARE(f.tabPositions().front().position, 48.0);
    QCOMPARE(f.topMargin(), 8.0);
    QCOMPARE(f.bottomMargin(), 16.0);
    block = block.next();
    QCOMPARE(block.blockFormat().alignment(), Qt::AlignJustify);
    QCOMPARE(block.blockFormat().leftMargin(), 48.0); // kept until \pard
    block = block.next();
    QCOMPARE(block.blockFormat().leftMargin(), 0.0);
    QCOMPARE(block.blockFormat().lineHeightType(), int(QTextBlockFormat::ProportionalHeight));
    QCOMPARE(block.blockFormat().lineHeight(), 150.0);
    block = block.next();
    QCOMPARE(block.blockFormat().lineHeightType(), int(QTextBlockFormat::FixedHeight));
    QCOMPARE(block.blockFormat().lineHeight(), 20.0);
    block = block.next();
    QCOMPARE(block.text(), QString("fifth"));
    QCOMPARE(block.blockFormat().pageBreakPolicy(), QTextFormat::PageBreak_AlwaysBefore);
    QVERIFY(!block.next().isValid()); // no empty trailing paragraph
}

void TestRtf::fields() {
    const auto doc = build(
        "{\\rtf1 See {\\field{\\*\\fldinst{HYPERLINK \"http://example.org/a b\" \\\\o \"tip\"}}"
        "{\\fldrslt{\\ul link}}} and {\\field{\\*\\fldinst PAGE}{\\fldrslt 7}} and "
        "{\\field{\\*\\fldinst HYPERLINK \\\\l \"sec\"}{\\fldrslt here}} after}");
    QCOMPARE(doc->toPlainText(), QString("See link and 7 and here after"));
    const QTextCharFormat link = formatOf(*doc, "link");
    QVERIFY(link.isAnchor());
    QCOMPARE(link.anchorHref(), QString("http://example.org/a b"));
    QVERIFY(!formatOf(*doc, "7").isAnchor());
    QCOMPARE(formatOf(*doc, "here").anchorHref(), QString("#sec"));
    QVERIFY(!formatOf(*doc, "after").isAnchor());
}

void TestRtf::tables() {
    const auto doc =
        build("{\\rtf1 before\\par"
              "\\trowd\\trleft0\\cellx1500\\cellx4500\\intbl A1\\cell B1\\par more\\cell\\row"
              "\\trowd\\cellx1500\\cellx4500\\intbl A2\\cell B2\\cell\\row"
              "\\pard after\\par}");
    QTextTable* table = nullptr;
    for (auto it = doc->rootFrame()->begin(); !it.atEnd(); ++it)
        if (auto* t = qobject_cast<QTextTable*>(it.currentFrame()))
            table = t;
    QVERIFY(table);
    QCOMPARE(table->rows(), 2);
    QCOMPARE(table->columns(), 2);
    const auto widths = table->format().columnWidthConstraints();
    QCOMPARE(widths.size(), 2);
    QCOMPARE(widths[0].rawValue(), 100.0);
    QCOMPARE(widths[1].rawValue(), 200.0);
    QCOMPARE(plainText(*doc), QString("before\nA1\tB1 more\nA2\tB2\nafter\n"));

    // A document that is only a table has no paragraphs of its own around it.
    const auto only = build(
        "{\\rtf1\\trowd\\cellx1000\\intbl a\\cell\\row\\trowd\\cellx1000\\intbl b\\cell\\row}");
    QCOMPARE(plainText(*only), QString("a\nb\n"));

    // Rows that never end, and more cells than the limit, still keep their text.
    QTextDocument unended;
    Limits narrow;
    narrow.maxTableColumns = 2;
    readDocument("{\\rtf1\\intbl a\\cell b\\cell c\\cell d", &unended, narrow);
    QCOMPARE(plainText(unended).trimmed(), QString("a\tb c d"));
}

void TestRtf::lists() {
    // A fallback marker is shown as it stands and no list is built besides it.
    const auto fallback = build("{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0}\\listid7}}"
                                "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}"
                                "\\pard\\ls1{\\listtext 1.\\tab}one\\par}");
    QCOMPARE(fallback->begin().text(), QString("1.\tone"));
    QVERIFY(!fallback->begin().textList());

    // Without one, the list tables decide the style.
    const auto built = build("{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0}"
                             "{\\listlevel\\levelnfc23}\\listid7}}"
                             "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}"
                             "\\pard\\ls1 one\\par two\\par\\ilvl1 sub\\par\\pard plain\\par}");
    QTextBlock block = built->begin();
    QVERIFY(block.textList());
    QCOMPARE(block.textList()->format().style(), QTextListFormat::ListDecimal);
    QCOMPARE(block.textList(), block.next().textList());
    QCOMPARE(block.next().textList()->itemText(block.next()), QString("2."));
    QCOMPARE(block.next().next().textList()->format().style(), QTextListFormat::ListDisc);
    QVERIFY(!block.next().next().next().textList());
    QCOMPARE(plainText(*built), QString("1. one\n2. two\n\u2022 sub\nplain\n"));
}

void TestRtf::pictures_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<int>("images");
    QTest::addColumn<double>("width");
    const QByteArray png = pngHex(4, 2);
    QTest::newRow("png sized by goal")
        << "{\\rtf1{\\pict\\pngblip\\picw4\\pich2\\picwgoal600\\pichgoal300 " + png + "}}" << 1
        << 40.0;
    QTest::newRow("scaled") << "{\\rtf1{\\pict\\pngblip\\picwgoal600\\picscalex50 " + png + "}}"
                            << 1 << 20.0;
    QTest::newRow("own size without goal") << "{\\rtf1{\\pict\\pngblip " + png + "}}" << 1 << 4.0;
    QTest::newRow("shppict preferred, nonshppict ignored")
        << "{\\rtf1{\\*\\shppict{\\pict\\pngblip " + png + "}}{\\nonshppict{\\pict\\pngblip " +
               png + "}}}"
        << 1 << 4.0;
    QTest::newRow("wmf skipped") << QByteArray("{\\rtf1{\\pict\\wmetafile8 0102}}") << 0 << 0.0;
    QTest::newRow("corrupt png skipped")
        << QByteArray("{\\rtf1{\\pict\\pngblip 89504e47ff}}") << 0 << 0.0;
    QByteArray huge = QByteArray::fromHex(png);
    // Claim 100000 x 100000 pixels in the header: the decoder must refuse before allocating.
    huge[16] = 0, huge[17] = 1, huge[18] = char(0x86), huge[19] = char(0xa0);
    huge[20] = 0, huge[21] = 1, huge[22] = char(0x86), huge[23] = char(0xa0);
    QTest::newRow("huge declared size")
        << "{\\rtf1{\\pict\\pngblip " + huge.toHex() + "}}" << 0 << 0.0;
    QTest::newRow("binary data") << "{\\rtf1{\\pict\\pngblip\\bin" +
                                        QByteArray::number(png.size() / 2) + " " +
                                        QByteArray::fromHex(png) + "}}"
                                 << 1 << 4.0;
}

void TestRtf::pictures() {
    QFETCH(QByteArray, rtf);
    QFETCH(int, images);
    QFETCH(double, width);
    RecordingSink sink;
    read(std::string_view(rtf.constData(), std::size_t(rtf.size())), sink);
    int seen = 0;
    for (const Event& e : sink.events) {
        if (e.kind == Event::Image) {
            ++seen;
            QCOMPARE(e.width, width);
        }
    }
    QCOMPARE(seen, images);
    if (images > 0) {
        const auto doc = build(rtf);
        const QTextCharFormat f = formatOf(*doc, QString(QChar::ObjectReplacementCharacter));
        QVERIFY(f.isImageFormat());
        QVERIFY(
            !doc->resource(QTextDocument::ImageResource, QUrl(f.toImageFormat().name())).isNull());
    }
}

void TestRtf::refusesWhatIsNotRtf_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("plain text") << QByteArray("Hello {\\rtf1 world}");
    QTest::newRow("html") << QByteArray("<html><body>x</body></html>");
    QTest::newRow("leading blank") << QByteArray(" {\\rtf1 x}");
    QTest::newRow("rtf without brace") << QByteArray("\\rtf1 x");
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

void TestRtf::malformedInputIsReadAsFarAsPossible_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");
    QTest::newRow("truncated") << QByteArray("{\\rtf1 abc{\\b def") << "abcdef";
    QTest::newRow("extra closing braces") << QByteArray("{\\rtf1 a}}}b") << "a";
    QTest::newRow("text after the end") << QByteArray("{\\rtf1 a}trailing") << "a";
    QTest::newRow("huge numbers")
        << QByteArray("{\\rtf1\\fs99999999999\\li-99999999999\\uc99999999999\\u99999999999 x}")
        << "\uffff"; // the clamped \uc skips the x
    QTest::newRow("undeclared font and colour") << QByteArray("{\\rtf1\\f99\\cf42 x}") << "x";
    QTest::newRow("deep nesting") << (QByteArray("{\\rtf1 a") + QByteArray(2'000'000, '{') + "b" +
                                      QByteArray(2'000'000, '}') + "c}")
                                  << "ac";
    QTest::newRow("deep nesting never closed")
        << (QByteArray("{\\rtf1 a") + QByteArray(2'000'000, '{') + "b") << "a";
    QTest::newRow("cell and row outside tables")
        << QByteArray("{\\rtf1\\row a\\cell\\row}") << "#a|#";
    QTest::newRow("field without result")
        << QByteArray("{\\rtf1{\\field{\\*\\fldinst X}}y}") << "y";
    QTest::newRow("nul bytes") << QByteArray("{\\rtf1 a\0b}", 11) << QString("a") + QChar(0) + "b";
}

void TestRtf::malformedInputIsReadAsFarAsPossible() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QCOMPARE(outline(rtf), expected);
    build(rtf); // and the document sink survives it too
}

QTEST_MAIN(TestRtf)
#include "tst_rtf.moc"
