// The style sheet: each style is kept as the formatting words it is made of, and \sN or \csN in
// the text plays them back, the base style's first.

#include "rtf/reader_state.h"

namespace orvane::rtf {

void Stylesheet::entryBegin() {
    entry_ = Style{};
    id_ = 0; // a paragraph style without \s is style 0, Normal
    character_entry_ = false;
    ignored_ = false;
}

void Stylesheet::word(const Keyword& keyword, int value) {
    switch (keyword.id) {
    case Kw::S: id_ = value; return;
    case Kw::Cs:
        id_ = value;
        character_entry_ = true;
        return;
    case Kw::Ds:
    case Kw::Ts: ignored_ = true; return; // section and table styles
    case Kw::SBasedOn: entry_.basedOn = value; return;
    case Kw::Pard:
    case Kw::Plain: return;
    default: break;
    }
    if ((keyword.kind == KwKind::Character || keyword.kind == KwKind::Paragraph) &&
        entry_.words.size() < kMaxEntrySize)
        entry_.words.push_back(Word{keyword.id, keyword.kind, value});
}

void Stylesheet::entryEnd() {
    auto& styles = character_entry_ ? character_ : paragraph_;
    if (!ignored_ && (styles.size() < kMaxTableEntries || styles.contains(id_)))
        styles[id_] = std::move(entry_);
    entry_ = Style{};
}

std::vector<Stylesheet::Word> Stylesheet::words(int style, bool character) const {
    const auto& styles = character ? character_ : paragraph_;
    std::vector<int> chain; // the style, its base, its base's base... at most a few deep
    for (int id = style; id >= 0 && chain.size() < 8;) {
        const auto it = styles.find(id);
        if (it == styles.end())
            break;
        chain.push_back(id);
        id = it->second.basedOn == id ? -1 : it->second.basedOn;
    }
    std::vector<Word> out;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const auto& w = styles.at(*it).words;
        out.insert(out.end(), w.begin(), w.end());
    }
    return out;
}

} // namespace orvane::rtf
