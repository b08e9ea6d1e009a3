#pragma once

// Builds a QTextDocument from the blocks the reader's events make: paragraphs, lists, tables
// with their borders, shading and merged cells, tables nested in cells, and pictures.

#include "rtf/block_sink.h"
#include "rtf/reader.h"

#include <QTextCharFormat>
#include <QTextCursor>

#include <QPointer>
#include <QTextTable>

#include <deque>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

class QTextDocument;
class QTextList;

namespace orvane::rtf {

class DocumentSink final : public BlockSink {
public:
    // Clears `document` and fills it. The sink must not outlive the document.
    explicit DocumentSink(QTextDocument* document, std::size_t maxTableColumns = 64,
                          std::size_t maxBlocks = Limits{}.maxBlocks);
    ~DocumentSink() override;
    DocumentSink(const DocumentSink&) = delete;
    DocumentSink& operator=(const DocumentSink&) = delete;

    // On a block: one of the empty paragraphs Qt keeps around a table, which the file did not
    // write.
    static constexpr int kStructuralBlock = QTextFormat::UserProperty + 1;
    // On a table cell's format: a cell the file wrote, as opposed to one Qt added to square the
    // table off.
    static constexpr int kFileCell = QTextFormat::UserProperty + 2;

    // Whether the document was cut at its limit of paragraphs and rows.
    bool cut() const { return cut_; }

    static QTextCharFormat toCharFormat(const CharFormat& format);
    static QTextBlockFormat toBlockFormat(const ParFormat& format);

private:
    void newFormat(const CharFormat& format) override;
    QString pictureName(const QImage& image) override;
    void writeParagraph(const Paragraph& paragraph) override;
    void writeRow(const Row& row) override;
    void writeTableEnd() override;
    void writeEnd() override;

    struct VerticalMerge {
        int row = 0, columns = 1;
    };
    using VerticalMerges = std::map<int, VerticalMerge>; // by column

    void writeParagraph(QTextCursor& cursor, const Paragraph& paragraph, bool newBlock);
    void writeCell(QTextTable* table, int row, int column, const Cell& cell,
                   const CellFormat* format);
    void fillRow(QTextTable* table, int r, const Row& row, VerticalMerges& merges);
    QTextTable* insertTable(QTextCursor& cursor, int rows, int columns, const Row& first);
    static void markStructural(QTextCursor& cursor);
    void markNested();

    QTextDocument* document_;
    QTextCursor cursor_;
    bool editing_ = false;
    bool bodyHasBlock_ = false; // the cursor's block already holds a written paragraph

    std::vector<QTextCharFormat> formats_; // by CharFormat::id
    QTextTable* table_ = nullptr;
    VerticalMerges merges_;
    struct NestedTable {
        QPointer<QTextTable> table;
        bool emptyBefore = false, emptyAfter = false; // Qt's blocks around it, not the file's
    };
    std::deque<NestedTable> nested_;                        // in the outermost table being written
    std::map<std::tuple<int, int, int>, QTextList*> lists_; // list, level, style
    int pictures_ = 0;
    std::size_t maxBlocks_;
    std::size_t blocks_ = 0;
    bool cut_ = false;
    // Counts a block of the body; false once the limit is reached, and from then on.
    bool room();
};

} // namespace orvane::rtf
