#pragma once

// Writes a document's text as the reader goes, without building a document: one line a
// paragraph, table cells separated by a tab, list items led by their marker. Memory stays that
// of one row, whatever the size of the file. The text equals plainText() of the document the
// same file builds, character for character.

#include "rtf/block_sink.h"

#include <QByteArray>

#include <functional>
#include <map>
#include <tuple>

namespace orvane::rtf {

// The marker of a list item as the text shows it: "•" for bullets, "3." or "c." or "iii." for
// the item numbered 3.
QString listMarker(QTextListFormat::Style style, int number);

// A paragraph's text as text output shows it: a line break ends a line, a picture leaves
// nothing. Used for the streamed text and the built document's alike, so that the two agree.
void appendAsText(QString& out, QStringView text);

class TextSink final : public BlockSink {
public:
    // `write` receives UTF-8 in pieces of some tens of kilobytes.
    explicit TextSink(std::function<void(QByteArrayView)> write, std::size_t maxColumns = 64);

    bool wantsFormats() const override { return false; }

private:
    void writeParagraph(const Paragraph& paragraph) override;
    void writeRow(const Row& row) override;
    void writeTableEnd() override {}
    void writeEnd() override;

    void appendCell(const Cell& cell, bool& first);
    void drain(bool all);

    std::function<void(QByteArrayView)> write_;
    QString pending_;
    std::map<std::tuple<int, int, int>, int> listItems_; // list, level, style -> items so far
};

} // namespace orvane::rtf
