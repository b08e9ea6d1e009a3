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

// The document's text as a reader sees it: one line a paragraph, table cells separated by a
// tab (a nested table's cells by blanks), list items led by their marker, nothing for a
// picture.
QString plainText(const QTextDocument& document);

} // namespace orvane::rtf
