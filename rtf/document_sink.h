#pragma once

// Builds a QTextDocument from what the reader hands on. Paragraphs are gathered until their end
// so that table paragraphs can be placed into cells once the row is complete.

#include "rtf/sink.h"

#include <QTextCharFormat>
#include <QTextCursor>

#include <map>
#include <utility>
#include <vector>

class QTextDocument;
class QTextTable;
class QTextList;

namespace orvane::rtf {

class DocumentSink final : public Sink {
public:
    // Clears `document` and fills it. The sink must not outlive the document.
    explicit DocumentSink(QTextDocument* document, std::size_t maxTableColumns = 64);
    ~DocumentSink() override;
    DocumentSink(const DocumentSink&) = delete;
    DocumentSink& operator=(const DocumentSink&) = delete;

    void text(QStringView text, const CharFormat& format) override;
    void lineBreak(const CharFormat& format) override;
    void image(const QImage& image, double widthPx, double heightPx,
               const CharFormat& format) override;
    void paragraphEnd(const ParFormat& format) override;
    void cellEnd(const ParFormat& format) override;
    void rowEnd(const RowFormat& row) override;
    void finish(const ParFormat& format) override;

    // Marks the empty paragraphs Qt keeps before and after a table that the file did not write.
    static constexpr int kStructuralBlock = QTextFormat::UserProperty + 1;

    static QTextCharFormat toCharFormat(const CharFormat& format);
    static QTextBlockFormat toBlockFormat(const ParFormat& format);

private:
    struct Run {
        qsizetype start = 0, length = 0; // into Paragraph::text; length 0 with an image name
        int format = 0;                  // index into formats_
        QString imageName;
        double width = 0, height = 0;
    };
    struct Paragraph {
        QString text;
        std::vector<Run> runs;
        ParFormat format;
        bool empty() const { return runs.empty(); }
    };
    using Cell = std::vector<Paragraph>;

    int formatIndex(const CharFormat& format);
    void writeParagraph(QTextCursor& cursor, const Paragraph& paragraph, bool newBlock);
    void writeBody(const Paragraph& paragraph);
    void closeTable();
    void markStructural();
    void takeParagraph(Paragraph& into);

    QTextDocument* document_;
    QTextCursor cursor_;
    std::size_t maxColumns_;
    bool editing_ = false;
    bool bodyHasBlock_ = false; // the cursor's block already holds a written paragraph

    std::vector<QTextCharFormat> formats_;
    std::uint64_t lastGeneration_ = 0;
    int lastFormat_ = -1;

    Paragraph current_;
    Cell cell_;
    std::vector<Cell> row_;
    QTextTable* table_ = nullptr;
    std::map<std::pair<int, int>, QTextList*> lists_;
    int images_ = 0;
};

} // namespace orvane::rtf
