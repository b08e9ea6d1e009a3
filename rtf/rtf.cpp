#include "rtf/rtf.h"

#include "rtf/document_sink.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

namespace orvane::rtf {
namespace {

constexpr qint64 kMaxFileBytes = 256LL << 20;

QString blockText(const QTextBlock& block) {
    QString text = block.text();
    text.replace(QChar(QChar::LineSeparator), u'\n');
    if (QTextList* list = block.textList()) {
        const auto style = list->format().style();
        const bool bullet = style == QTextListFormat::ListDisc ||
                            style == QTextListFormat::ListCircle ||
                            style == QTextListFormat::ListSquare;
        const QString marker = bullet ? QString(QChar(0x2022)) : list->itemText(block);
        text.prepend(marker + u' ');
    }
    return text;
}

void appendFrame(QString& out, QTextFrame* frame) {
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* child = it.currentFrame()) {
            if (auto* table = qobject_cast<QTextTable*>(child)) {
                for (int r = 0; r < table->rows(); ++r) {
                    for (int c = 0; c < table->columns(); ++c) {
                        const QTextTableCell cell = table->cellAt(r, c);
                        if (c > 0)
                            out += u'\t';
                        if (cell.column() != c || cell.row() != r)
                            continue; // covered by a merged cell
                        QStringList lines;
                        for (auto b = cell.begin(); !b.atEnd(); ++b)
                            if (b.currentBlock().isValid())
                                lines << blockText(b.currentBlock());
                        out += lines.join(u' ');
                    }
                    out += u'\n';
                }
            } else {
                appendFrame(out, child);
            }
        } else if (it.currentBlock().isValid() &&
                   !it.currentBlock().blockFormat().boolProperty(DocumentSink::kStructuralBlock)) {
            out += blockText(it.currentBlock());
            out += u'\n';
        }
    }
}

} // namespace

ReadResult readDocument(const QByteArray& bytes, QTextDocument* document, const Limits& limits) {
    const std::string_view view(bytes.constData(), std::size_t(bytes.size()));
    if (!looksLikeRtf(view))
        return {false, QStringLiteral("not a rich-text document")};
    document->setUndoRedoEnabled(false); // a loaded document is never edited back
    DocumentSink sink(document, limits.maxTableColumns);
    return read(view, sink, limits);
}

ReadResult loadFile(const QString& path, QTextDocument* document, const Limits& limits) {
    const QFileInfo info(path);
    if (!info.exists())
        return {false, QStringLiteral("the file does not exist")};
    if (info.isDir())
        return {false, QStringLiteral("it is a folder, not a file")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {false, QStringLiteral("the file cannot be read (%1)").arg(file.errorString())};
    if (file.size() > kMaxFileBytes)
        return {false, QStringLiteral("the file is too large")};
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {false, QStringLiteral("the file cannot be read (%1)").arg(file.errorString())};
    if (bytes.isEmpty())
        return {false, QStringLiteral("the file is empty")};
    return readDocument(bytes, document, limits);
}

QString plainText(const QTextDocument& document) {
    QString out;
    appendFrame(out, document.rootFrame());
    return out;
}

} // namespace orvane::rtf
