#pragma once

// Symbol fonts put pictures where letters would be: a Symbol "\'b7" is a bullet, a Wingdings
// "\'fc" a check mark. Without the font those bytes read as "·" and "ü", so the reader maps the
// common ones to the Unicode characters they show.

#include <cstdint>
#include <string_view>

class QString;

namespace orvane::rtf {

enum class SymbolFont : std::uint8_t { None, Symbol, Wingdings };

// Which symbol font a font table entry names; None for a text font.
SymbolFont symbolFontNamed(const QString& name);

// The character a symbol font shows for `code`, or 0 when there is no mapping for it. Word
// writes such characters as bytes or as private-use code points U+F020..U+F0FF.
char16_t symbolCharacter(SymbolFont font, char16_t code);

} // namespace orvane::rtf
