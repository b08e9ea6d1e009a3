#include "rtf/document_sink.h"

#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

namespace orvane::rtf {
namespace {

constexpr double kTwipsPerPixel = 15.0; // 1440 twips an inch at 96 pixels an inch

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

} // namespace

DocumentSink::DocumentSink(QTextDocument* document, std::size_t maxTableColumns)
    : document_(document), maxColumns_(std::max<std::size_t>(1, maxTableColumns)) {
    document_->clear();
    cursor_ = QTextCursor(document_);
    // One edit block for the whole file: otherwise the layout reacts to every insertion and
    // building a long document takes quadratic time.
    cursor_.beginEditBlock();
    editing_ = true;
    formats_.reserve(64);
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
    b.setLeftMargin(p.leftIndent / kTwipsPerPixel);
    b.setRightMargin(p.rightIndent / kTwipsPerPixel);
    b.setTextIndent(p.firstIndent / kTwipsPerPixel);
    if (p.firstIndent < 0) {
        // A hanging indent has an implicit tab stop where the following lines start, so a list
        // marker and its tab line the text up with the lines below, as word processors do.
        b.setTabPositions({QTextOption::Tab(p.leftIndent / kTwipsPerPixel, QTextOption::LeftTab)});
    }
    b.setTopMargin(p.spaceBefore / kTwipsPerPixel);
    b.setBottomMargin(p.spaceAfter / kTwipsPerPixel);
    if (p.lineSpacing != 0) {
        if (p.lineMultiple && p.lineSpacing > 0)
            b.setLineHeight(p.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        else if (p.lineSpacing > 0)
            b.setLineHeight(p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::MinimumHeight);
        else
            b.setLineHeight(-p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::FixedHeight);
    }
    if (p.pageBreakBefore)
        b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    return b;
}

int DocumentSink::formatIndex(const CharFormat& format) {
    if (lastFormat_ < 0 || format.generation != lastGeneration_) {
        formats_.push_back(toCharFormat(format));
        lastFormat_ = int(formats_.size()) - 1;
        lastGeneration_ = format.generation;
    }
    return lastFormat_;
}

void DocumentSink::text(QStringView text, const CharFormat& format) {
    const int index = formatIndex(format);
    if (!current_.runs.empty() && current_.runs.back().format == index &&
        current_.runs.back().imageName.isEmpty() &&
        current_.runs.back().start + current_.runs.back().length == current_.text.size()) {
        current_.runs.back().length += text.size();
    } else {
        current_.runs.push_back(Run{current_.text.size(), text.size(), index});
    }
    current_.text += text;
}

void DocumentSink::lineBreak(const CharFormat& format) {
    const QChar separator(QChar::LineSeparator);
    text(QStringView(&separator, 1), format);
}

void DocumentSink::image(const QImage& image, double widthPx, double heightPx,
                         const CharFormat& format) {
    const QString name = QStringLiteral("rtf-image:%1").arg(++images_);
    document_->addResource(QTextDocument::ImageResource, QUrl(name), image);
    current_.runs.push_back(
        Run{current_.text.size(), 0, formatIndex(format), name, widthPx, heightPx});
}

void DocumentSink::takeParagraph(Paragraph& into) {
    into = std::move(current_);
    current_ = Paragraph{};
}

void DocumentSink::writeParagraph(QTextCursor& cursor, const Paragraph& p, bool newBlock) {
    const QTextBlockFormat block = toBlockFormat(p.format);
    const QTextCharFormat first =
        p.runs.empty() ? QTextCharFormat() : formats_[std::size_t(p.runs.front().format)];
    if (newBlock)
        cursor.insertBlock(block, first);
    else {
        cursor.setBlockFormat(block);
        cursor.setBlockCharFormat(first);
    }
    for (const Run& run : p.runs) {
        if (!run.imageName.isEmpty()) {
            QTextImageFormat image;
            image.merge(formats_[std::size_t(run.format)]);
            image.setName(run.imageName);
            image.setWidth(run.width);
            image.setHeight(run.height);
            cursor.insertImage(image);
        } else {
            cursor.insertText(p.text.sliced(run.start, run.length),
                              formats_[std::size_t(run.format)]);
        }
    }
}

void DocumentSink::writeBody(const Paragraph& p) {
    closeTable();
    writeParagraph(cursor_, p, bodyHasBlock_);
    bodyHasBlock_ = true;
    if (p.format.listStyle != QTextListFormat::ListStyleUndefined) {
        const auto key = std::make_pair(p.format.listId, p.format.listLevel);
        auto it = lists_.find(key);
        if (it == lists_.end()) {
            QTextListFormat format;
            format.setStyle(p.format.listStyle);
            format.setIndent(p.format.listLevel + 1);
            it = lists_.emplace(key, cursor_.createList(format)).first;
        } else {
            it->second->add(cursor_.block());
        }
    }
}

void DocumentSink::paragraphEnd(const ParFormat& format) {
    Paragraph p;
    takeParagraph(p);
    p.format = format;
    if (format.inTable)
        cell_.push_back(std::move(p));
    else
        writeBody(p);
}

void DocumentSink::cellEnd(const ParFormat& format) {
    Paragraph p;
    takeParagraph(p);
    p.format = format;
    p.format.listStyle = QTextListFormat::ListStyleUndefined;
    cell_.push_back(std::move(p));
    if (row_.size() < maxColumns_) {
        row_.push_back(std::move(cell_));
    } else {
        // Too many cells for one row: keep their text in the last column.
        for (Paragraph& extra : cell_)
            row_.back().push_back(std::move(extra));
    }
    cell_.clear();
}

void DocumentSink::rowEnd(const RowFormat& row) {
    if (!current_.empty() || !cell_.empty()) {
        ParFormat format; // a row that ended without closing its last cell
        format.inTable = true;
        cellEnd(format);
    }
    if (row_.empty())
        return;
    const int columns = int(row_.size());
    if (!table_) {
        QTextTableFormat format;
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setCellPadding(3);
        format.setCellSpacing(0);
        format.setBorderCollapse(true);
        if (row.cellRights.size() == std::size_t(columns)) {
            QList<QTextLength> widths;
            int left = row.left;
            for (const int right : row.cellRights) {
                widths << QTextLength(QTextLength::FixedLength,
                                      std::max(1, right - left) / kTwipsPerPixel);
                left = right;
            }
            format.setColumnWidthConstraints(widths);
        }
        if (!bodyHasBlock_)
            markStructural(); // the block Qt keeps in front of the table
        table_ = cursor_.insertTable(1, columns, format);
    } else {
        table_->appendRows(1);
        if (columns > table_->columns())
            table_->appendColumns(columns - table_->columns());
    }
    const int r = table_->rows() - 1;
    for (int c = 0; c < columns; ++c) {
        QTextCursor cursor = table_->cellAt(r, c).firstCursorPosition();
        bool newBlock = false;
        for (const Paragraph& p : row_[std::size_t(c)]) {
            writeParagraph(cursor, p, newBlock);
            newBlock = true;
        }
    }
    row_.clear();
}

void DocumentSink::closeTable() {
    if (!table_ && cell_.empty() && row_.empty())
        return;
    if (!cell_.empty() || !row_.empty())
        rowEnd(RowFormat{}); // table paragraphs that never saw their \row
    table_ = nullptr;
    cursor_.movePosition(QTextCursor::End);
    bodyHasBlock_ = false; // the block after the table is still empty
}

void DocumentSink::markStructural() {
    QTextBlockFormat format = cursor_.blockFormat();
    format.setProperty(kStructuralBlock, true);
    cursor_.setBlockFormat(format);
}

void DocumentSink::finish(const ParFormat& format) {
    if (!current_.empty()) {
        if (format.inTable) {
            cellEnd(format);
        } else {
            Paragraph p;
            takeParagraph(p);
            p.format = format;
            writeBody(p);
        }
    }
    closeTable();
    if (!bodyHasBlock_ && document_->blockCount() > 1)
        markStructural(); // the block Qt keeps after a table that ends the document
    if (editing_) {
        cursor_.endEditBlock();
        editing_ = false;
    }
}

} // namespace orvane::rtf
