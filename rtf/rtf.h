#pragma once

// Reading RTF files: into a QTextDocument for the windows, or straight to text for rtf2text.
// These are the entry points the rest of the program uses.

#include "rtf/reader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

class QTextDocument;

namespace orvane::rtf {

// Fills `document` from RTF bytes. On failure the document is left untouched.
ReadResult readDocument(const QByteArray& bytes, QTextDocument* document,
                        const Limits& limits = {});

// Reads the file at `path` into `document`. The error names the reason in plain words (missing,
// not a regular file, unreadable, empty, too large, not rich text); on failure the document is
// left untouched. Only a regular file is opened, so a pipe or a device cannot stall the caller.
ReadResult loadFile(const QString& path, QTextDocument* document, const Limits& limits = {});

// Writes the text of the file at `path` to `write` as UTF-8, as it is read: no document is built
// and memory does not grow with the file. The text equals plainText() of the document that
// loadFile() builds from the same file. Errors as for loadFile(), without a size limit.
ReadResult writeText(const QString& path, const std::function<void(QByteArrayView)>& write,
                     const Limits& limits = {});

// What differs between one use of the text and another.
struct TextOptions {
    QString cellSeparator = QStringLiteral("\t");
    QString bullet = QStringLiteral("\u2022"); // the marker of a bulleted list item
};

// The document's text as a reader sees it, every break in the file a break in the text:
// - a paragraph ends a line, and a line break inside one ends a line too; a list item is led by
//   its marker; a picture leaves nothing;
// - a table row is a line, its cells parted by the cell separator;
// - in a cell, each paragraph after the first starts a line of its own, and so does a table
//   nested in it: each of its rows on a line of its own, cells parted as in any row, then
//   whatever follows it in the cell on the next line. The cell after it follows the separator;
// - a cell merged into its neighbour is an empty cell.
// A table Qt squares off counts only the cells the reader wrote; in a table the reader did not
// build, every cell counts.
QString plainText(const QTextDocument& document, const TextOptions& options = {});

} // namespace orvane::rtf
