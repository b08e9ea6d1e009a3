#pragma once

// Reading RTF files into QTextDocument: the entry points the rest of the program uses.

#include "rtf/reader.h"

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace orvane::rtf {

// Fills `document` from RTF bytes. On failure the document is left untouched.
ReadResult readDocument(const QByteArray& bytes, QTextDocument* document,
                        const Limits& limits = {});

// Reads the file at `path` into `document`. The error names the reason in plain words (missing,
// unreadable, empty, too large, not rich text); on failure the document is left untouched.
ReadResult loadFile(const QString& path, QTextDocument* document, const Limits& limits = {});

// The document's text as a reader sees it: one line a paragraph, table cells separated by a
// tab, list items led by their marker.
QString plainText(const QTextDocument& document);

} // namespace orvane::rtf
