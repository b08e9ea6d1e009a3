#include "rtf/text_sink.h"

namespace orvane::rtf {
namespace {

constexpr qsizetype kChunk = 32 * 1024;

} // namespace

TextSink::TextSink(std::function<void(QByteArrayView)> write, std::size_t maxColumns)
    : BlockSink(maxColumns), write_(std::move(write)) {}

void TextSink::writeParagraph(const Paragraph& p) {
    int number = 0;
    if (p.format.listStyle != QTextListFormat::ListStyleUndefined)
        number = ++listItems_[{p.format.listId, p.format.listLevel, int(p.format.listStyle)}];
    writer_.paragraph(p.text, p.format.listStyle, number);
    drain(false);
}

// The cells' paragraphs, and the tables nested in them, as plainText() walks a built one.
void TextSink::writeCells(const Row& row) {
    writer_.beginRow();
    for (const Cell& cell : row.cells) {
        writer_.beginCell();
        if (cell.mergedAway)
            continue;
        for (const Block& block : cell.blocks) {
            if (!block.table) {
                writer_.paragraph(block.paragraph.text);
                continue;
            }
            writer_.beginTable();
            for (const Row& inner : block.table->rows)
                writeCells(inner);
            writer_.endTable();
        }
    }
    writer_.endRow();
}

void TextSink::writeRow(const Row& row) {
    if (!inTable_) {
        writer_.beginTable();
        inTable_ = true;
    }
    writeCells(row);
    drain(false);
}

void TextSink::writeTableEnd() {
    writer_.endTable();
    inTable_ = false;
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
