#pragma once

// Writes a document's text as the reader goes, without building a document, by the rules
// plainText() states. Memory stays that of one row, whatever the size of the file. The text
// equals plainText() of the document the same file builds, character for character.

#include "rtf/block_sink.h"
#include "rtf/text_writer.h"

#include <QByteArray>

#include <functional>
#include <map>
#include <tuple>

namespace orvane::rtf {

class TextSink final : public BlockSink {
public:
    // `write` receives UTF-8 in pieces of some tens of kilobytes.
    explicit TextSink(std::function<void(QByteArrayView)> write, std::size_t maxColumns = 64);

    bool wantsFormats() const override { return false; }

private:
    void writeParagraph(const Paragraph& paragraph) override;
    void writeRow(const Row& row) override;
    void writeTableEnd() override;
    void writeEnd() override;

    void writeCells(const Row& row);
    void drain(bool all);

    std::function<void(QByteArrayView)> write_;
    QString pending_;
    TextWriter writer_{pending_, {}};
    bool inTable_ = false;
    std::map<std::tuple<int, int, int>, int> listItems_; // list, level, style -> items so far
};

} // namespace orvane::rtf
