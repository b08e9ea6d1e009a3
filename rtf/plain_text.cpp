#include "rtf/rtf.h"

#include "rtf/document_sink.h"
#include "rtf/text_sink.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

// The text of a built document by the rules the text sink writes it: the two must agree, so
// any change here belongs there too.

namespace orvane::rtf {
namespace {

QString blockText(const QTextBlock& block) {
    QString text;
    appendAsText(text, block.text());
    return text;
}

bool structural(const QTextBlock& block) {
    return block.blockFormat().boolProperty(DocumentSink::kStructuralBlock);
}

// The cells a row of the file had: Qt squares a table off with cells the file never wrote.
int fileCells(QTextTable* table, int row) {
    int count = 0;
    for (int c = 0; c < table->columns(); ++c) {
        const QTextTableCell cell = table->cellAt(row, c);
        const bool covered = cell.row() != row || cell.column() != c;
        if (covered || cell.format().boolProperty(DocumentSink::kFileCell))
            count = c + 1;
    }
    return count;
}

void appendCell(QStringList& parts, const QTextTableCell& cell);

// Each cell of a nested table adds its parts, a cell hidden by a merge an empty one.
void appendNested(QStringList& parts, QTextTable* table) {
    for (int r = 0; r < table->rows(); ++r) {
        for (int c = 0, n = fileCells(table, r); c < n; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c)
                parts << QString();
            else
                appendCell(parts, cell);
        }
    }
}

void appendCell(QStringList& parts, const QTextTableCell& cell) {
    for (auto it = cell.begin(); !it.atEnd(); ++it) {
        if (auto* nested = qobject_cast<QTextTable*>(it.currentFrame()))
            appendNested(parts, nested);
        else if (it.currentBlock().isValid() && !structural(it.currentBlock()))
            parts << blockText(it.currentBlock());
    }
}

void appendFrame(QString& out, QTextFrame* frame) {
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* child = it.currentFrame()) {
            auto* table = qobject_cast<QTextTable*>(child);
            if (!table) {
                appendFrame(out, child);
                continue;
            }
            for (int r = 0; r < table->rows(); ++r) {
                for (int c = 0, n = fileCells(table, r); c < n; ++c) {
                    if (c > 0)
                        out += u'\t';
                    const QTextTableCell cell = table->cellAt(r, c);
                    if (cell.row() != r || cell.column() != c)
                        continue; // covered by a merged cell
                    QStringList parts;
                    appendCell(parts, cell);
                    out += parts.join(u' ');
                }
                out += u'\n';
            }
        } else if (const QTextBlock block = it.currentBlock();
                   block.isValid() && !structural(block)) {
            if (QTextList* list = block.textList())
                out += listMarker(list->format().style(), list->itemNumber(block) + 1) + u' ';
            out += blockText(block);
            out += u'\n';
        }
    }
}

} // namespace

QString plainText(const QTextDocument& document) {
    QString out;
    appendFrame(out, document.rootFrame());
    return out;
}

} // namespace orvane::rtf
