#include "rtf/text_writer.h"

namespace orvane::rtf {
namespace {

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

// "3." or "c." or "iii." for the item numbered 3; the bullet for any other style.
QString listMarker(QTextListFormat::Style style, int number, const QString& bullet) {
    switch (style) {
    case QTextListFormat::ListDecimal: return QString::number(number) + u'.';
    case QTextListFormat::ListLowerAlpha: return alphabetic(number, u'a') + u'.';
    case QTextListFormat::ListUpperAlpha: return alphabetic(number, u'A') + u'.';
    case QTextListFormat::ListLowerRoman: return roman(number, false) + u'.';
    case QTextListFormat::ListUpperRoman: return roman(number, true) + u'.';
    default: return bullet;
    }
}

void appendAsText(QString& out, QStringView text) {
    for (const QChar c : text) {
        if (c == QChar::LineSeparator)
            out += u'\n';
        else if (c != QChar::ObjectReplacementCharacter)
            out += c;
    }
}

} // namespace

void TextWriter::paragraph(QStringView text, QTextListFormat::Style list, int number) {
    if (!tables_.empty()) {
        startBlock();
        appendAsText(out_, text);
        return;
    }
    if (list != QTextListFormat::ListStyleUndefined)
        out_ += listMarker(list, number, options_.bullet) + u' ';
    appendAsText(out_, text);
    out_ += u'\n';
}

// A cell's blocks after its first start on a line of their own.
void TextWriter::startBlock() {
    Table& table = tables_.back();
    if (!table.firstBlock)
        out_ += u'\n';
    table.firstBlock = false;
}

void TextWriter::beginTable() {
    if (!tables_.empty())
        startBlock();
    tables_.emplace_back();
}

// A row of the body's table ends its line; a nested table's rows are blocks of the cell around
// them, parted by line breaks like its paragraphs.
void TextWriter::beginRow() {
    Table& table = tables_.back();
    if (!table.firstRow && tables_.size() > 1)
        out_ += u'\n';
    table.firstRow = false;
    table.firstCell = true;
}

void TextWriter::beginCell() {
    Table& table = tables_.back();
    if (!table.firstCell)
        out_ += options_.cellSeparator;
    table.firstCell = false;
    table.firstBlock = true;
}

void TextWriter::endRow() {
    if (tables_.size() == 1)
        out_ += u'\n';
}

void TextWriter::endTable() {
    tables_.pop_back();
}

} // namespace orvane::rtf
