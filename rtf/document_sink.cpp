#include "rtf/document_sink.h"

#include "rtf/twips.h"

#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <utility>

namespace orvane::rtf {
namespace {

QFont::StyleHint styleHint(FontClass c) {
    switch (c) {
    case FontClass::Roman: return QFont::Serif;
    case FontClass::Swiss: return QFont::SansSerif;
    case FontClass::Modern: return QFont::Monospace;
    case FontClass::Script: return QFont::Cursive;
    case FontClass::Decor: return QFont::Decorative;
    default: return QFont::AnyStyle;
    }
}

QTextFrameFormat::BorderStyle borderStyle(Border::Style style) {
    switch (style) {
    case Border::Double: return QTextFrameFormat::BorderStyle_Double;
    case Border::Dotted: return QTextFrameFormat::BorderStyle_Dotted;
    case Border::Dashed: return QTextFrameFormat::BorderStyle_Dashed;
    default: return QTextFrameFormat::BorderStyle_Solid;
    }
}

// Qt's setters for one side of a cell, by Side.
struct SideSetters {
    void (QTextTableCellFormat::*width)(qreal);
    void (QTextTableCellFormat::*style)(QTextFrameFormat::BorderStyle);
    void (QTextTableCellFormat::*brush)(const QBrush&);
};
constexpr SideSetters kSides[] = {
    {&QTextTableCellFormat::setTopBorder, &QTextTableCellFormat::setTopBorderStyle,
     &QTextTableCellFormat::setTopBorderBrush},
    {&QTextTableCellFormat::setLeftBorder, &QTextTableCellFormat::setLeftBorderStyle,
     &QTextTableCellFormat::setLeftBorderBrush},
    {&QTextTableCellFormat::setBottomBorder, &QTextTableCellFormat::setBottomBorderStyle,
     &QTextTableCellFormat::setBottomBorderBrush},
    {&QTextTableCellFormat::setRightBorder, &QTextTableCellFormat::setRightBorderStyle,
     &QTextTableCellFormat::setRightBorderBrush}};

QTextTableCellFormat cellFormat(const CellFormat* f) {
    QTextTableCellFormat c;
    c.setProperty(DocumentSink::kFileCell, true);
    // Only the borders the file draws are drawn: a table without border words has none.
    static const std::array<Border, 4> kNone{};
    const auto& borders = f ? f->borders : kNone;
    for (std::size_t side = 0; side < borders.size(); ++side) {
        const Border& b = borders[side];
        (c.*kSides[side].width)(b.style == Border::None ? 0.0
                                                        : std::max(1.0, twipsToPixels(b.width)));
        (c.*kSides[side].style)(borderStyle(b.style));
        (c.*kSides[side].brush)(QBrush(b.color.isValid() ? b.color : QColor(Qt::black)));
    }
    if (f && f->background.isValid())
        c.setBackground(f->background);
    return c;
}

} // namespace

DocumentSink::DocumentSink(QTextDocument* document, std::size_t maxTableColumns,
                           std::size_t maxBlocks)
    : BlockSink(maxTableColumns), document_(document), maxBlocks_(maxBlocks) {
    document_->clear();
    cursor_ = QTextCursor(document_);
    // One edit block for the whole file: otherwise the layout reacts to every insertion and
    // building a long document takes quadratic time.
    cursor_.beginEditBlock();
    editing_ = true;
}

DocumentSink::~DocumentSink() {
    if (editing_)
        cursor_.endEditBlock();
}

QTextCharFormat DocumentSink::toCharFormat(const CharFormat& f) {
    QTextCharFormat c;
    if (!f.family.isEmpty()) {
        c.setFontFamilies(QStringList{f.family});
        if (f.fontClass != FontClass::Any)
            c.setFontStyleHint(styleHint(f.fontClass));
    }
    c.setFontPointSize(f.halfPoints / 2.0);
    c.setFontWeight(f.bold ? QFont::Bold : QFont::Normal);
    c.setFontItalic(f.italic);
    c.setFontUnderline(f.underline);
    c.setFontStrikeOut(f.strike);
    if (f.script != 0)
        c.setVerticalAlignment(f.script > 0 ? QTextCharFormat::AlignSuperScript
                                            : QTextCharFormat::AlignSubScript);
    if (f.raiseHalfPoints != 0) // in percent of the font's height
        c.setBaselineOffset(100.0 * f.raiseHalfPoints / std::max(1, f.halfPoints));
    if (f.caps != Caps::None)
        c.setFontCapitalization(f.caps == Caps::All ? QFont::AllUppercase : QFont::SmallCaps);
    if (f.foreground.isValid())
        c.setForeground(f.foreground);
    if (f.background.isValid())
        c.setBackground(f.background);
    if (!f.href.isEmpty()) {
        c.setAnchor(true);
        c.setAnchorHref(f.href);
        // A link must look like one even where the file gave it no style of its own.
        c.setFontUnderline(true);
        if (!f.foreground.isValid())
            c.setForeground(QColor(0, 0, 238));
    }
    return c;
}

QTextBlockFormat DocumentSink::toBlockFormat(const ParFormat& p) {
    QTextBlockFormat b;
    switch (p.align) {
    case Align::Left: b.setAlignment(Qt::AlignLeft); break;
    case Align::Center: b.setAlignment(Qt::AlignHCenter); break;
    case Align::Right: b.setAlignment(Qt::AlignRight); break;
    case Align::Justify: b.setAlignment(Qt::AlignJustify); break;
    }
    b.setLeftMargin(twipsToPixels(p.leftIndent));
    b.setRightMargin(twipsToPixels(p.rightIndent));
    b.setTextIndent(twipsToPixels(p.firstIndent));
    // RTF measures tab stops from the page's margin, Qt from where the line starts; the first
    // line, which holds the tabs of lists and leaders, starts at the left plus the first indent.
    const int firstLine = p.leftIndent + p.firstIndent;
    QList<QTextOption::Tab> tabs;
    bool hangingStop = p.firstIndent < 0;
    for (const TabStop& t : p.tabs) {
        static constexpr QTextOption::TabType kinds[] = {
            QTextOption::LeftTab, QTextOption::CenterTab, QTextOption::RightTab,
            QTextOption::DelimiterTab};
        tabs << QTextOption::Tab(twipsToPixels(t.position - firstLine), kinds[t.kind],
                                 t.kind == TabStop::Decimal ? QChar(u'.') : QChar());
        hangingStop = hangingStop && t.position != p.leftIndent;
    }
    if (hangingStop) {
        // A hanging indent has an implicit tab stop where the following lines start, so a list
        // marker and its tab line the text up with the lines below, as word processors do.
        tabs << QTextOption::Tab(twipsToPixels(-p.firstIndent), QTextOption::LeftTab);
    }
    std::sort(tabs.begin(), tabs.end(), [](const QTextOption::Tab& a, const QTextOption::Tab& b) {
        return a.position < b.position;
    });
    if (!tabs.isEmpty())
        b.setTabPositions(tabs);
    b.setTopMargin(twipsToPixels(p.spaceBefore));
    b.setBottomMargin(twipsToPixels(p.spaceAfter));
    if (p.lineSpacing != 0) {
        if (p.lineMultiple && p.lineSpacing > 0)
            b.setLineHeight(p.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        else if (p.lineSpacing > 0)
            b.setLineHeight(twipsToPixels(p.lineSpacing), QTextBlockFormat::MinimumHeight);
        else
            b.setLineHeight(twipsToPixels(-p.lineSpacing), QTextBlockFormat::FixedHeight);
    }
    if (p.background.isValid())
        b.setBackground(p.background);
    if (p.pageBreakBefore)
        b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    return b;
}

void DocumentSink::newFormat(const CharFormat& format) {
    if (format.id >= formats_.size())
        formats_.resize(format.id + 1);
    formats_[format.id] = toCharFormat(format);
}

QString DocumentSink::pictureName(const QImage& image) {
    QString name = QStringLiteral("rtf-image:%1").arg(++pictures_);
    if (image.isNull()) {
        // A picture Qt cannot decode keeps its place: a light box, stretched to its size.
        QImage box(1, 1, QImage::Format_RGB32);
        box.fill(QColor(0xe0, 0xe0, 0xe0));
        document_->addResource(QTextDocument::ImageResource, QUrl(name), box);
    } else {
        document_->addResource(QTextDocument::ImageResource, QUrl(name), image);
    }
    return name;
}

void DocumentSink::writeParagraph(QTextCursor& cursor, const Paragraph& p, bool newBlock) {
    const QTextBlockFormat block = toBlockFormat(p.format);
    const QTextCharFormat first =
        p.runs.empty() ? QTextCharFormat() : formats_[p.runs.front().format];
    if (newBlock) {
        cursor.insertBlock(block, first);
    } else {
        cursor.setBlockFormat(block);
        cursor.setBlockCharFormat(first);
    }
    for (const Run& run : p.runs) {
        if (run.picture) {
            QTextImageFormat image;
            image.merge(formats_[run.format]);
            image.setName(run.pictureName);
            image.setWidth(run.width);
            image.setHeight(run.height);
            cursor.insertImage(image);
        } else {
            cursor.insertText(p.text.sliced(run.start, run.length), formats_[run.format]);
        }
    }
}

bool DocumentSink::room() {
    if (blocks_ >= maxBlocks_) {
        cut_ = true;
        return false;
    }
    ++blocks_;
    return true;
}

void DocumentSink::writeParagraph(const Paragraph& p) {
    if (!room())
        return;
    writeParagraph(cursor_, p, bodyHasBlock_);
    bodyHasBlock_ = true;
    if (p.format.listStyle == QTextListFormat::ListStyleUndefined)
        return;
    // A list is one list, level and style: a file that redefines a list starts a new one.
    const auto key = std::make_tuple(p.format.listId, p.format.listLevel, int(p.format.listStyle));
    auto it = lists_.find(key);
    if (it == lists_.end()) {
        QTextListFormat format;
        format.setStyle(p.format.listStyle);
        format.setIndent(p.format.listLevel + 1);
        lists_.emplace(key, cursor_.createList(format));
    } else {
        it->second->add(cursor_.block());
    }
}

QTextTable* DocumentSink::insertTable(QTextCursor& cursor, int rows, int columns,
                                      const Row& first) {
    QTextTableFormat format;
    format.setBorder(0); // the cells draw what the file gives them
    format.setBorderCollapse(true);
    format.setCellPadding(3);
    format.setCellSpacing(0);
    const auto& cells = first.format.cells;
    if (cells.size() == first.cells.size()) {
        QList<QTextLength> widths;
        int left = first.format.left;
        for (const CellFormat& cell : cells) {
            widths << QTextLength(QTextLength::FixedLength,
                                  twipsToPixels(std::max(1, cell.right - left)));
            left = cell.right;
        }
        format.setColumnWidthConstraints(widths);
    }
    return cursor.insertTable(rows, columns, format);
}

void DocumentSink::writeCell(QTextTable* table, int r, int c, const Cell& cell,
                             const CellFormat* format) {
    QTextTableCell target = table->cellAt(r, c);
    QTextCursor cursor = target.firstCursorPosition();
    bool hasBlock = false;
    NestedTable* last = nullptr;
    // A merged-away cell's empty paragraphs are not written: Qt keeps all but one empty block of
    // a cell it merges, which would show as lines of their own.
    static const std::vector<Block> kNone;
    for (const Block& block : cell.mergedAway ? kNone : cell.blocks) {
        if (!block.table) {
            writeParagraph(cursor, block.paragraph, hasBlock);
            hasBlock = true;
            continue;
        }
        const auto& rows = block.table->rows;
        std::size_t columns = 0; // all rows are known: the table is as wide as the widest
        for (const Row& row : rows)
            columns = std::max(columns, row.cells.size());
        QTextTable* inner = insertTable(cursor, int(rows.size()), int(columns), rows.front());
        // The block Qt keeps in front of the nested table is the file's only if it was written.
        nested_.push_back(NestedTable{inner, !hasBlock, false});
        last = &nested_.back();
        VerticalMerges merges;
        for (std::size_t i = 0; i < rows.size(); ++i)
            fillRow(inner, int(i), rows[i], merges);
        cursor.setPosition(inner->lastPosition() + 1);
        hasBlock = false;
    }
    if (last && !hasBlock)
        last->emptyAfter = true; // and so is the one after it
    // Last: the first paragraph's character format is written where the cell keeps its own.
    QTextCharFormat merged = target.format();
    merged.merge(cellFormat(format));
    target.setFormat(merged);
}

void DocumentSink::fillRow(QTextTable* table, int r, const Row& row, VerticalMerges& merges) {
    const int columns = int(row.cells.size());
    // Qt fills a table out with copies of neighbouring cells; those are no cells of the file,
    // and draw no borders of their own.
    const auto padding = [table](int row, int column) {
        QTextTableCell cell = table->cellAt(row, column);
        if (cell.row() == row && cell.column() == column)
            cell.setFormat(QTextTableCellFormat());
    };
    for (int c = 0; c < columns; ++c)
        writeCell(table, r, c, row.cells[std::size_t(c)], row.cellFormat(std::size_t(c)));
    for (int c = columns; c < table->columns(); ++c)
        padding(r, c);

    // A merge down stays open only through rows that continue it: one this row has no cell for,
    // or covers with a merge across, ends here.
    const VerticalMerges above = std::exchange(merges, {});
    // A cell joins a merge by its own word for that direction, and only if it is merged away.
    const auto joins = [&row](std::size_t i, CellFormat::Merge CellFormat::*direction) {
        const CellFormat* f = row.cellFormat(i);
        return f && f->*direction == CellFormat::Continued && row.cells[i].mergedAway;
    };
    for (int c = 0; c < columns; ++c) {
        const CellFormat* f = row.cellFormat(std::size_t(c));
        int span = 1;
        if (f && f->horizontal == CellFormat::First) {
            for (std::size_t next = std::size_t(c) + 1;
                 next < row.cells.size() && joins(next, &CellFormat::horizontal); ++next)
                ++span;
            if (span > 1)
                table->mergeCells(r, c, 1, span);
        }
        // A merge down goes on only where this row has, under the whole width it started with,
        // cells merged away and no wider merge across: Qt would otherwise swallow a cell with
        // text, or one it added to square the table off.
        const auto started = above.find(c);
        bool down = started != above.end() && joins(std::size_t(c), &CellFormat::vertical) &&
                    (span == 1 || span == started->second.columns) &&
                    c + started->second.columns <= columns;
        for (int next = c + 1; down && next < c + started->second.columns; ++next)
            down = row.cells[std::size_t(next)].mergedAway;
        if (down) {
            table->mergeCells(started->second.row, c, r - started->second.row + 1,
                              started->second.columns);
            span = started->second.columns;
            merges[c] = started->second;
        } else if (f && f->vertical == CellFormat::First) {
            merges[c] = VerticalMerge{r, span};
        }
        c += span - 1;
    }
}

void DocumentSink::writeRow(const Row& row) {
    if (!room())
        return;
    // A row wider than the table starts a table of its own: Qt's widening of a table with
    // merged cells in it scrambles their content.
    if (table_ && int(row.cells.size()) > table_->columns())
        writeTableEnd();
    if (!table_) {
        if (!bodyHasBlock_)
            markStructural(cursor_); // the block Qt keeps in front of the table
        table_ = insertTable(cursor_, 1, int(row.cells.size()), row);
        merges_.clear();
    } else {
        table_->appendRows(1);
    }
    fillRow(table_, table_->rows() - 1, row, merges_);
}

void DocumentSink::writeTableEnd() {
    markNested();
    table_ = nullptr;
    nested_.clear();
    cursor_.movePosition(QTextCursor::End);
    bodyHasBlock_ = false; // the block after the table is still empty
}

// The empty blocks Qt keeps around a nested table are marked once the whole outer table stands:
// a merge of neighbouring cells joins blocks, so a mark set earlier could land elsewhere, and
// marking after every cell would cost time in the square of the table's length.
void DocumentSink::markNested() {
    for (const NestedTable& n : nested_) {
        if (!n.table)
            continue;
        QTextCursor around(document_);
        if (n.emptyBefore) {
            around.setPosition(n.table->firstPosition() - 1);
            markStructural(around);
        }
        if (n.emptyAfter) {
            around.setPosition(n.table->lastPosition() + 1);
            markStructural(around);
        }
    }
}

void DocumentSink::markStructural(QTextCursor& cursor) {
    QTextBlockFormat format = cursor.blockFormat();
    format.setProperty(kStructuralBlock, true);
    cursor.setBlockFormat(format);
}

void DocumentSink::writeEnd() {
    if (!bodyHasBlock_)
        markStructural(cursor_); // the block Qt keeps after a table, or in an empty document
    if (editing_) {
        cursor_.endEditBlock();
        editing_ = false;
    }
}

} // namespace orvane::rtf
