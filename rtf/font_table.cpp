// The font table: each font's name, family class, character set, and whether it is a symbol
// font whose characters need mapping.

#include "rtf/reader_state.h"

#include "rtf/codepage.h"

namespace orvane::rtf {

void FontTable::begin() {
    entry_ = Font{};
    name_.clear();
    bytes_.clear();
    id_ = 0;
    open_ = true; // a table that names no number defines font 0
}

void FontTable::entryBegin() {
    entryEnd(); // a name left open before the group
    open_ = true;
}

void FontTable::word(Kw id, int param) {
    switch (id) {
    case Kw::F:
        entryEnd();
        id_ = param;
        open_ = true;
        return;
    case Kw::FCharset: entry_.codepage = codepageForCharset(param); return;
    case Kw::FNil: entry_.fontClass = FontClass::Any; return;
    case Kw::FRoman: entry_.fontClass = FontClass::Roman; return;
    case Kw::FSwiss: entry_.fontClass = FontClass::Swiss; return;
    case Kw::FModern: entry_.fontClass = FontClass::Modern; return;
    case Kw::FScript: entry_.fontClass = FontClass::Script; return;
    case Kw::FDecor: entry_.fontClass = FontClass::Decor; return;
    case Kw::FTech: entry_.fontClass = FontClass::Tech; return;
    default: decode(); return;
    }
}

void FontTable::text(std::string_view bytes, int documentCodepage) {
    codepage_ = documentCodepage;
    // A name ends at ';'. Its bytes are decoded together, in the entry's own character set,
    // so that a double-byte name is not cut between its two bytes.
    for (std::size_t semicolon; (semicolon = bytes.find(';')) != std::string_view::npos;) {
        append(bytes.substr(0, semicolon));
        entryEnd();
        bytes.remove_prefix(semicolon + 1);
    }
    append(bytes);
}

void FontTable::append(std::string_view bytes) {
    const std::size_t held = bytes_.size() + std::size_t(name_.size());
    if (held < kMaxEntrySize)
        bytes_.append(bytes.substr(0, kMaxEntrySize - held));
}

void FontTable::unicode(char16_t unit) {
    decode();
    if (std::size_t(name_.size()) < kMaxEntrySize)
        name_ += QChar(unit);
}

void FontTable::decode() {
    if (!bytes_.empty()) {
        appendDecoded(name_, bytes_, entry_.codepage != 0 ? entry_.codepage : codepage_);
        bytes_.clear();
    }
}

void FontTable::entryEnd() {
    decode();
    if (open_) {
        entry_.name = name_.trimmed();
        const bool room = fonts_.size() < kMaxTableEntries || fonts_.contains(id_);
        if (room && (!entry_.name.isEmpty() || entry_.fontClass != FontClass::Any)) {
            entry_.symbols = symbolFontNamed(entry_.name);
            fonts_[id_] = entry_;
        }
    }
    entry_ = Font{};
    name_.clear();
    open_ = false;
}

const FontTable::Font* FontTable::find(int id) const {
    const auto it = fonts_.find(id);
    return it == fonts_.end() ? nullptr : &it->second;
}

} // namespace orvane::rtf
