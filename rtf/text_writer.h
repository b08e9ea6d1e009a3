#pragma once

// The rules by which a document becomes text, in one place: the text sink follows them as it
// reads, plainText() as it walks a built document, so the two texts cannot drift apart.

#include "rtf/rtf.h"

#include <QString>
#include <QStringView>
#include <QTextListFormat>

#include <vector>

namespace orvane::rtf {

class TextWriter {
public:
    TextWriter(QString& out, TextOptions options) : out_(out), options_(std::move(options)) {}

    // A paragraph; in the body led by its list item's marker, `number` counting from 1. A line
    // break inside it ends a line, a picture leaves nothing.
    void paragraph(QStringView text,
                   QTextListFormat::Style list = QTextListFormat::ListStyleUndefined,
                   int number = 0);
    void beginTable(); // in the body, or as a block of the cell being written
    void beginRow();
    void beginCell();
    void endRow();
    void endTable();

private:
    void startBlock();

    struct Table {
        bool firstRow = true, firstCell = true, firstBlock = true;
    };
    QString& out_;
    TextOptions options_;
    std::vector<Table> tables_; // the tables being written, the innermost last
};

} // namespace orvane::rtf
