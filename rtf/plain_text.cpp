#include "rtf/rtf.h"

#include "rtf/document_sink.h"
#include "rtf/text_writer.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

// The walk of a built document that the text sink makes of the blocks it reads; the rules of the
// text are the text writer's, shared by both.

namespace orvane::rtf {
namespace {

bool structural(const QTextBlock& block) {
    return block.blockFormat().boolProperty(DocumentSink::kStructuralBlock);
}

bool covered(const QTextTableCell& cell, int row, int column) {
    return cell.row() != row || cell.column() != column;
}

class Walker {
public:
    Walker(QString& out, const TextOptions& options) : writer_(out, options) {}

    void frame(QTextFrame* frame) {
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* t = qobject_cast<QTextTable*>(child))
                    table(t);
                else
                    this->frame(child);
            } else if (const QTextBlock block = it.currentBlock();
                       block.isValid() && !structural(block)) {
                const QTextList* list = block.textList();
                writer_.paragraph(block.text(),
                                  list ? list->format().style()
                                       : QTextListFormat::ListStyleUndefined,
                                  list ? list->itemNumber(block) + 1 : 0);
            }
        }
    }

private:
    void table(QTextTable* table) {
        writer_.beginTable();
        const bool ours = fromReader(table);
        for (int r = 0; r < table->rows(); ++r) {
            writer_.beginRow();
            for (int c = 0, n = ours ? fileCells(table, r) : table->columns(); c < n; ++c) {
                writer_.beginCell();
                const QTextTableCell cell = table->cellAt(r, c);
                if (!covered(cell, r, c))
                    this->cell(cell);
            }
            writer_.endRow();
        }
        writer_.endTable();
    }

    void cell(const QTextTableCell& cell) {
        for (auto it = cell.begin(); !it.atEnd(); ++it) {
            if (auto* nested = qobject_cast<QTextTable*>(it.currentFrame()))
                table(nested);
            else if (it.currentBlock().isValid() && !structural(it.currentBlock()))
                writer_.paragraph(it.currentBlock().text());
        }
    }

    // The reader marks every cell it writes; a table with no mark was built by other code.
    static bool fromReader(QTextTable* table) {
        for (int r = 0; r < table->rows(); ++r)
            for (int c = 0; c < table->columns(); ++c)
                if (table->cellAt(r, c).format().boolProperty(DocumentSink::kFileCell))
                    return true;
        return false;
    }

    // The cells a row of the file had: Qt squares a table off with cells the file never wrote.
    static int fileCells(QTextTable* table, int row) {
        int count = 0;
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(row, c);
            if (covered(cell, row, c) || cell.format().boolProperty(DocumentSink::kFileCell))
                count = c + 1;
        }
        return count;
    }

    TextWriter writer_;
};

} // namespace

QString plainText(const QTextDocument& document, const TextOptions& options) {
    QString out;
    Walker(out, options).frame(document.rootFrame());
    return out;
}

} // namespace orvane::rtf
