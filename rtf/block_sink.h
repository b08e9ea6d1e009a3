#pragma once

// Gathers the reader's events into whole blocks: a paragraph with its runs, or a row of a table
// whose cells hold paragraphs and the tables nested in them. Body paragraphs and rows of the
// outermost table are handed on as soon as they are complete, so no more than one row is held.
// The document sink and the text sink both build on it and so see the same structure, which
// keeps the text of the two paths equal.

#include "rtf/sink.h"

#include <memory>
#include <vector>

namespace orvane::rtf {

struct Run {
    qsizetype start = 0, length = 0; // into Paragraph::text; length 0 for a picture
    std::uint32_t format = 0;        // CharFormat::id
    bool picture = false;
    QString pictureName; // the sink's name for the picture, if it keeps one
    double width = 0, height = 0;
};

struct Paragraph {
    QString text;
    std::vector<Run> runs;
    ParFormat format;
    bool empty() const { return runs.empty(); }
};

struct Table;

// A paragraph, or a table nested in a cell.
struct Block {
    Paragraph paragraph;
    std::shared_ptr<Table> table;
};

struct Cell {
    std::vector<Block> blocks;
    // Merged into the cell before it or above it. Only a cell of empty paragraphs is, so that no
    // text is ever lost to a merge; no writer shows what it holds.
    bool mergedAway = false;
};

struct Row {
    std::vector<Cell> cells;
    RowFormat format; // one CellFormat a cell, as far as the file defined them
    const CellFormat* cellFormat(std::size_t i) const {
        return i < format.cells.size() ? &format.cells[i] : nullptr;
    }
};

struct Table {
    std::vector<Row> rows;
};

class BlockSink : public Sink {
public:
    explicit BlockSink(std::size_t maxColumns);

    void text(QStringView text, const CharFormat& format) override;
    void lineBreak(const CharFormat& format) override;
    void image(const QImage& image, double widthPx, double heightPx,
               const CharFormat& format) override;
    void paragraphEnd(const ParFormat& format) override;
    void cellEnd(const ParFormat& format, int level) override;
    void rowEnd(const RowFormat& row, int level) override;
    void finish(const ParFormat& format) override;

protected:
    // A format id seen for the first time.
    virtual void newFormat(const CharFormat&) {}
    // The sink's name for a picture; a null image is a placeholder.
    virtual QString pictureName(const QImage&) { return {}; }
    virtual void writeParagraph(const Paragraph& paragraph) = 0; // a body paragraph
    virtual void writeRow(const Row& row) = 0;                   // a row of the outermost table
    virtual void writeTableEnd() = 0;
    virtual void writeEnd() = 0;

private:
    struct Level {
        Cell current;
        std::vector<Cell> cells;
        bool pending() const { return !current.blocks.empty() || !cells.empty(); }
    };

    void noteFormat(const CharFormat& format);
    Level& level(int n);
    int clampLevel(int n) const;
    void addParagraph(Paragraph paragraph, int level);
    void endCell(int level);
    void endRow(const RowFormat& format, int level);
    void collapseAbove(int level);
    void closeTables();
    Paragraph take(const ParFormat& format);

    std::size_t maxColumns_;
    Paragraph current_;
    std::vector<Level> levels_; // [0] unused, [1] the outermost table
    std::vector<bool> seenFormats_;
    bool tableOpen_ = false;
};

} // namespace orvane::rtf
