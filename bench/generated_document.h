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

} // namespace orvane::bench
