#pragma once

// Generates a guidance-like document of about the requested size, as RTF and as equivalent
// HTML, so the reader and Qt's HTML import can be timed on the same content.

#include <QByteArray>
#include <QString>

namespace orvane::bench {

struct GeneratedDocument {
    QByteArray rtf;
    QString html;
};

GeneratedDocument generateDocument(qsizetype approxBytes);

// Text that changes format every word or two: short runs of bold, italic and plain text, with
// escaped characters, braces and Unicode between them. The hardest shape for a converter that
// builds a document, since every run is a format change.
GeneratedDocument generateFormatHeavy(qsizetype approxBytes);

} // namespace orvane::bench
