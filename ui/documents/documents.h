#pragma once

// The guidance documents lie beside the program. A stored name begins with "\", which stands
// for the platform's folder separator; the folder is asked for afresh at every request and
// nothing is cached, so a document changed on disk shows its new text next time.

#include <QString>

namespace orvane::ui {

class RichTextBox;

namespace documents {
inline const QString kAsterisk = QStringLiteral("\\Asterisk.rtf");
inline const QString kFullGuidelines =
    QStringLiteral("\\Daduzo Vizeruda Zavevodov - hot weather guidelines score4.rtf");
inline const QString kConditionsOfUse = QStringLiteral("\\ORV Disclaimer-Setup.rtf");
inline const QString kWbgtPage = QStringLiteral("\\Estimated Wet Bulb Globe Temperatures.htm");
} // namespace documents

// The application folder followed by the stored name.
QString DocumentPath(const QString& storedName);

// Loads the document into the box, replacing its content. A document that is missing,
// unreadable or not rich text empties the box and is reported in a message box naming the file
// and the reason; the program goes on. Returns whether the document was shown.
bool LoadDocument(RichTextBox* box, const QString& storedName);

} // namespace orvane::ui
