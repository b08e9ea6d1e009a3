#pragma once

#include <QString>

#include <string_view>

namespace orvane::rtf {

// The Windows code page an RTF \fcharset stands for, or 0 for "the document's own".
int codepageForCharset(int charset);

// Appends `bytes`, encoded in Windows code page `codepage`, to `out`. cp1252 is built in; other
// code pages use Qt's converters, and unknown ones fall back to cp1252.
void appendDecoded(QString& out, std::string_view bytes, int codepage);

} // namespace orvane::rtf
