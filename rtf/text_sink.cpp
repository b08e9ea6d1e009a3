#include "rtf/text_sink.h"

namespace orvane::rtf {
namespace {

constexpr qsizetype kChunk = 32 * 1024;

QString alphabetic(int n, char16_t first) {
    QString out;
    for (; n > 0; n = (n - 1) / 26)
        out.prepend(QChar(char16_t(first + (n - 1) % 26)));
    return out;
}

QString roman(int n, bool upper) {
    static const struct {
        int value;
        const char* digits;
    } kSteps[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"},
                  {90, "xc"},  {50, "l"},   {40, "xl"}, {10, "x"},   {9, "ix"},
                  {5, "v"},    {4, "iv"},   {1, "i"}};
    if (n <= 0 || n >= 4000)
        return QString::number(n);
    QString out;
    for (const auto& step : kSteps)
        for (; n >= step.value; n -= step.value)
            out += QLatin1String(step.digits);
    return upper ? out.toUpper() : out;
}

} // namespace

QString listMarker(QTextListFormat::Style style, int number) {
    switch (style) {
    case QTextListFormat::ListDecimal: return QString::number(number) + u'.';
    case QTextListFormat::ListLowerAlpha: return alphabetic(number, u'a') + u'.';
    case QTextListFormat::ListUpperAlpha: return alphabetic(number, u'A') + u'.';
    case QTextListFormat::ListLowerRoman: return roman(number, false) + u'.';
    case QTextListFormat::ListUpperRoman: return roman(number, true) + u'.';
    default: return QString(QChar(0x2022));
    }
}

TextSink::TextSink(std::function<void(QByteArrayView)> write, std::size_t maxColumns)
    : BlockSink(maxColumns), write_(std::move(write)) {}

void appendAsText(QString& out, QStringView text) {
    for (const QChar c : text) {
        if (c == QChar::LineSeparator)
            out += u'\n';
        else if (c != QChar::ObjectReplacementCharacter)
            out += c;
    }
}

void TextSink::writeParagraph(const Paragraph& p) {
    if (p.format.listStyle != QTextListFormat::ListStyleUndefined) {
        const int number =
            ++listItems_[{p.format.listId, p.format.listLevel, int(p.format.listStyle)}];
        pending_ += listMarker(p.format.listStyle, number) + u' ';
    }
    appendAsText(pending_, p.text);
    pending_ += u'\n';
    drain(false);
}

// A cell's paragraphs, and the cells of tables nested in it, on one line, parted by blanks.
void TextSink::appendCell(const Cell& cell, bool& first) {
    if (cell.mergedAway) { // an empty part, as the built document's covered cell gives
        if (!first)
            pending_ += u' ';
        first = false;
        return;
    }
    for (const Block& block : cell.blocks) {
        if (block.table) {
            for (const Row& row : block.table->rows)
                for (const Cell& inner : row.cells)
                    appendCell(inner, first);
            continue;
        }
        if (!first)
            pending_ += u' ';
        first = false;
        appendAsText(pending_, block.paragraph.text);
    }
}

void TextSink::writeRow(const Row& row) {
    for (std::size_t c = 0; c < row.cells.size(); ++c) {
        if (c > 0)
            pending_ += u'\t';
        bool first = true;
        appendCell(row.cells[c], first);
    }
    pending_ += u'\n';
    drain(false);
}

void TextSink::writeEnd() {
    drain(true);
}

void TextSink::drain(bool all) {
    if (pending_.isEmpty() || (!all && pending_.size() < kChunk))
        return;
    const QByteArray utf8 = pending_.toUtf8();
    write_(utf8);
    pending_.clear();
}

} // namespace orvane::rtf
