#include "rtf/block_sink.h"

#include <algorithm>

namespace orvane::rtf {
namespace {

bool holdsNothing(const Cell& cell) {
    for (const Block& block : cell.blocks)
        if (block.table || !block.paragraph.empty())
            return false;
    return true;
}

} // namespace

BlockSink::BlockSink(std::size_t maxColumns)
    : maxColumns_(std::max<std::size_t>(1, maxColumns)), levels_(2) {}

void BlockSink::noteFormat(const CharFormat& format) {
    if (format.id >= seenFormats_.size())
        seenFormats_.resize(format.id + 1);
    if (!seenFormats_[format.id]) {
        seenFormats_[format.id] = true;
        newFormat(format);
    }
}

void BlockSink::text(QStringView text, const CharFormat& format) {
    noteFormat(format);
    if (!current_.runs.empty()) {
        Run& last = current_.runs.back();
        if (last.format == format.id && !last.picture &&
            last.start + last.length == current_.text.size()) {
            last.length += text.size();
            current_.text += text;
            return;
        }
    }
    current_.runs.push_back(Run{current_.text.size(), text.size(), format.id});
    current_.text += text;
}

void BlockSink::lineBreak(const CharFormat& format) {
    const QChar separator(QChar::LineSeparator);
    text(QStringView(&separator, 1), format);
}

void BlockSink::image(const QImage& image, double widthPx, double heightPx,
                      const CharFormat& format) {
    noteFormat(format);
    current_.runs.push_back(
        Run{current_.text.size(), 0, format.id, true, pictureName(image), widthPx, heightPx});
}

Paragraph BlockSink::take(const ParFormat& format) {
    Paragraph p = std::move(current_);
    current_ = Paragraph{};
    p.format = format;
    return p;
}

BlockSink::Level& BlockSink::level(int n) {
    if (std::size_t(n) >= levels_.size())
        levels_.resize(std::size_t(n) + 1);
    return levels_[std::size_t(n)];
}

int BlockSink::clampLevel(int n) const {
    return std::clamp(n, 1, kMaxTableLevel);
}

void BlockSink::paragraphEnd(const ParFormat& format) {
    const int table = format.tableLevel();
    if (table == 0) {
        closeTables();
        writeParagraph(take(format));
    } else {
        addParagraph(take(format), clampLevel(table));
    }
}

void BlockSink::addParagraph(Paragraph paragraph, int n) {
    collapseAbove(n);
    level(n).current.blocks.push_back(Block{std::move(paragraph), nullptr});
}

void BlockSink::cellEnd(const ParFormat& format, int n) {
    n = clampLevel(n);
    Paragraph p = take(format);
    p.format.listStyle = QTextListFormat::ListStyleUndefined;
    addParagraph(std::move(p), n);
    endCell(n);
}

void BlockSink::endCell(int n) {
    Level& l = level(n);
    if (l.cells.size() < maxColumns_) {
        l.cells.push_back(std::move(l.current));
    } else {
        // Too many cells for one row: their content goes to the last column.
        for (Block& extra : l.current.blocks)
            l.cells.back().blocks.push_back(std::move(extra));
    }
    l.current = Cell{};
}

void BlockSink::rowEnd(const RowFormat& format, int n) {
    endRow(format, clampLevel(n));
}

void BlockSink::endRow(const RowFormat& format, int n) {
    collapseAbove(n);
    if (!current_.empty()) { // a row that ended without closing its last cell
        ParFormat inCell;
        inCell.inTable = true;
        inCell.nesting = n;
        addParagraph(take(inCell), n);
    }
    Level& l = level(n);
    if (!l.current.blocks.empty())
        endCell(n);
    if (l.cells.empty())
        return;
    Row row{std::move(l.cells), format};
    l.cells.clear();
    // Whether a cell is merged away is decided here, once, for every writer.
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
        const CellFormat* f = row.cellFormat(i);
        row.cells[i].mergedAway =
            f && (f->horizontal == CellFormat::Continued || f->vertical == CellFormat::Continued) &&
            holdsNothing(row.cells[i]);
    }
    if (n == 1) {
        writeRow(row);
        tableOpen_ = true;
        return;
    }
    // A nested row belongs to the cell of the table around it; rows that follow one another
    // there make one table.
    std::vector<Block>& outer = level(n - 1).current.blocks;
    if (outer.empty() || !outer.back().table)
        outer.push_back(Block{Paragraph{}, std::make_shared<Table>()});
    outer.back().table->rows.push_back(std::move(row));
}

void BlockSink::collapseAbove(int n) {
    // Deeper levels still open here were never closed by the file: they become rows of their
    // own, so that their text stays.
    for (int deeper = int(levels_.size()) - 1; deeper > n; --deeper)
        if (levels_[std::size_t(deeper)].pending())
            endRow(RowFormat{}, deeper);
}

void BlockSink::closeTables() {
    collapseAbove(1);
    if (level(1).pending())
        endRow(RowFormat{}, 1);
    if (tableOpen_) {
        writeTableEnd();
        tableOpen_ = false;
    }
}

void BlockSink::finish(const ParFormat& format) {
    if (!current_.empty()) {
        if (format.tableLevel() > 0)
            cellEnd(format, format.tableLevel());
        else
            paragraphEnd(format);
    }
    closeTables();
    writeEnd();
}

} // namespace orvane::rtf
