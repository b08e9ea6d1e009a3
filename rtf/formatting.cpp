// Character and paragraph words, the style sheet's styles applied to them, and the formats they
// resolve to with the font and colour tables.

#include "rtf/reader_state.h"

#include <algorithm>

namespace orvane::rtf {

void Reader::documentWord(Kw id, int value) {
    switch (id) {
    case Kw::Ansi: docCodepage_ = 1252; break;
    case Kw::Mac: docCodepage_ = 10000; break;
    case Kw::Pc: docCodepage_ = 437; break;
    case Kw::Pca: docCodepage_ = 850; break;
    case Kw::AnsiCpg:
        if (value > 0)
            docCodepage_ = value;
        break;
    case Kw::Deff:
        defaultFont_ = value;
        tablesChanged();
        break;
    case Kw::Uc: top().uc = std::clamp(value, 0, 16); break;
    default: break;
    }
}

// A toggle's value is 0 or 1 by now; other words carry their number or the table's default.
void Reader::characterWord(Kw id, int value) {
    CharState& c = top().chr;
    const bool on = value != 0;
    switch (id) {
    case Kw::F: c.font = value; break;
    case Kw::Plain: c = CharState{}; break;
    case Kw::B: c.bold = on; break;
    case Kw::I: c.italic = on; break;
    case Kw::Ul: c.underline = on; break;
    case Kw::UlNone: c.underline = false; break;
    case Kw::Strike: c.strike = on; break;
    case Kw::Fs: c.halfPoints = value > 0 ? std::min(value, 3276) : CharState{}.halfPoints; break;
    case Kw::Cf: c.foreground = value; break;
    case Kw::Cb: c.background = value; break;
    case Kw::Super: c.script = on ? 1 : 0; break;
    case Kw::Sub: c.script = on ? -1 : 0; break;
    case Kw::NoSuperSub: c.script = 0, c.raise = 0; break;
    case Kw::Up: c.raise = std::clamp(value, 0, 3276); break;
    case Kw::Dn: c.raise = -std::clamp(value, 0, 3276); break;
    case Kw::Hidden: c.hidden = on; break;
    case Kw::Deleted: c.deleted = on; break;
    case Kw::Caps: c.caps = on ? Caps::All : Caps::None; break;
    case Kw::SmallCaps: c.caps = on ? Caps::Small : Caps::None; break;
    default: break;
    }
}

void Reader::paragraphWord(Kw id, int value) {
    ParFormat& p = top().par;
    const bool on = value != 0;
    switch (id) {
    case Kw::Pard: p = ParFormat{}; break;
    case Kw::Ql: p.align = Align::Left; break;
    case Kw::Qc: p.align = Align::Center; break;
    case Kw::Qr: p.align = Align::Right; break;
    case Kw::Qj: p.align = Align::Justify; break;
    case Kw::Li: p.leftIndent = clampTwips(value); break;
    case Kw::Ri: p.rightIndent = clampTwips(value); break;
    case Kw::Fi: p.firstIndent = clampTwips(value); break;
    case Kw::Sb: p.spaceBefore = clampTwips(value); break;
    case Kw::Sa: p.spaceAfter = clampTwips(value); break;
    case Kw::Sl: p.lineSpacing = clampTwips(value); break;
    case Kw::SlMult: p.lineMultiple = on; break;
    case Kw::InTbl: p.inTable = on; break;
    case Kw::Itap: p.nesting = std::clamp(value, 0, kMaxTableLevel); break;
    case Kw::PageBb: p.pageBreakBefore = on; break;
    case Kw::Ls: p.listId = value; break;
    case Kw::Ilvl: p.listLevel = std::clamp(value, 0, 8); break;
    case Kw::Tqr: tabKind_ = TabStop::Right; break;
    case Kw::Tqc: tabKind_ = TabStop::Center; break;
    case Kw::TqDec: tabKind_ = TabStop::Decimal; break;
    case Kw::Tx:
        if (p.tabs.size() < 64)
            p.tabs.push_back(TabStop{clampTwips(value), tabKind_});
        tabKind_ = TabStop::Left;
        break;
    case Kw::Tb: tabKind_ = TabStop::Left; break; // a bar, not a stop
    case Kw::CbPat: p.background = colors_.at(value); break;
    case Kw::ParBorder: // paragraph borders are not drawn; their words must not reach a cell's
        border_ = nullptr;
        break;
    default: break;
    }
}

// A style's words applied where \sN or \csN stands, as word processors do: a heading needs no
// formatting of its own beyond its style.
void Reader::applyStyle(int style, bool character) {
    for (const Stylesheet::Word& w : styles_.words(style, character)) {
        if (w.kind == KwKind::Character)
            characterWord(w.id, w.value);
        else if (w.kind == KwKind::Paragraph && !character)
            paragraphWord(w.id, w.value);
    }
}

std::size_t Reader::LookHash::operator()(const CharFormat& f) const {
    const auto rgb = [](const QColor& c) { return c.isValid() ? c.rgba() : 0u; };
    return qHashMulti(0, f.family, f.halfPoints, f.bold, f.italic, f.underline, f.strike, f.script,
                      f.raiseHalfPoints, rgb(f.foreground), rgb(f.background), f.href);
}

bool Reader::SameLook::operator()(const CharFormat& a, const CharFormat& b) const {
    return a.family == b.family && a.fontClass == b.fontClass && a.halfPoints == b.halfPoints &&
           a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
           a.strike == b.strike && a.script == b.script && a.raiseHalfPoints == b.raiseHalfPoints &&
           a.caps == b.caps && a.foreground == b.foreground && a.background == b.background &&
           a.href == b.href;
}

CharFormat Reader::resolve(const CharState& s, const QString& href) {
    CharFormat f;
    if (const FontTable::Font* font = fontOf(s)) {
        f.family = font->name;
        f.fontClass = font->fontClass;
    }
    f.halfPoints = s.halfPoints;
    f.bold = s.bold;
    f.italic = s.italic;
    f.underline = s.underline;
    f.strike = s.strike;
    f.script = s.script;
    f.raiseHalfPoints = s.raise;
    f.caps = s.caps;
    f.foreground = colors_.at(s.foreground);
    f.background = colors_.at(s.background);
    f.href = href;
    // A sink converts each distinct format once, however often the file switches between a
    // few of them.
    f.id = formatIds_.try_emplace(f, std::uint32_t(formatIds_.size())).first->second;
    return f;
}

const CharFormat& Reader::charFormat() {
    static const CharFormat kNone;
    if (!sink_.wantsFormats())
        return kNone;
    const GroupState& s = top();
    if (!resolvedValid_ || !(resolvedFrom_ == s.chr) || resolvedHref_ != s.href) {
        resolved_ = resolve(s.chr, s.href);
        resolvedFrom_ = s.chr;
        resolvedHref_ = s.href;
        resolvedValid_ = true;
    }
    return resolved_;
}

ParFormat Reader::parFormat() const {
    ParFormat p = stack_.back().par;
    p.pageBreakBefore = p.pageBreakBefore || pageBreakNext_;
    p.listStyle = p.listId > 0 && !listTextSeen_ ? lists_.style(p.listId, p.listLevel)
                                                 : QTextListFormat::ListStyleUndefined;
    return p;
}

} // namespace orvane::rtf
