// The core of the reader: the group stack, the tokens, \uc skipping, the \* marker, and the text
// that flows to the sink. Words go to the part of the reader their destination or kind names.

#include "rtf/reader_state.h"

#include "rtf/codepage.h"

#include <QStringList>

#include <algorithm>

namespace orvane::rtf {
namespace {

constexpr std::size_t kProgressStep = 1u << 20;

// Characters that would change the structure of a built document, or mean a picture, are kept
// out of the text: paragraph breaks inside a paragraph become line breaks.
void sanitize(QString& text) {
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == 0x2029)
            c = QChar(QChar::LineSeparator);
        else if (u == 0xFFFC || u == 0xFDD0 || u == 0xFDD1)
            c = QChar(QChar::ReplacementCharacter);
    }
}

} // namespace

Reader::Reader(std::string_view bytes, Sink& sink, const Limits& limits, const Progress& progress)
    : tok_(bytes), sink_(sink), limits_(limits), progress_(progress),
      footnotes_(sink.wantsFormats()) {}

bool Reader::run() {
    stack_.reserve(64);
    stack_.push_back(GroupState{});
    tok_.next(); // the file's own opening brace belongs to the root group
    for (Token t = tok_.next(); t.kind != Token::End; t = tok_.next()) {
        if (progress_ && tok_.position() >= nextProgress_) {
            progress_(tok_.position());
            nextProgress_ = tok_.position() + kProgressStep;
        }
        switch (t.kind) {
        case Token::GroupOpen: openGroup(); break;
        case Token::GroupClose:
            if (stack_.size() == 1) {
                // The document's closing brace: anything after it is not part of it.
                finishDocument();
                return true;
            }
            closeGroup();
            break;
        case Token::ControlWord:
            if (skip_ > 0)
                --skip_;
            else
                word(t);
            break;
        case Token::ControlSymbol:
            if (skip_ > 0)
                --skip_;
            else
                symbol(t.symbol);
            break;
        case Token::HexByte:
            if (skip_ > 0) {
                --skip_;
            } else if (top().dest != Dest::Picture) { // pictures are hex digits, not escapes
                const char c = static_cast<char>(t.byte);
                text(std::string_view(&c, 1));
            }
            break;
        case Token::Unicode:
            unicode(static_cast<char16_t>(t.param));
            skip_ = top().uc;
            break;
        case Token::Text:
            if (skip_ > 0) {
                const std::size_t drop = std::min<std::size_t>(std::size_t(skip_), t.name.size());
                skip_ -= int(drop);
                t.name.remove_prefix(drop);
            }
            if (!t.name.empty())
                text(t.name);
            break;
        case Token::Binary:
            if (skip_ > 0)
                --skip_;
            else if (top().dest == Dest::Picture)
                picture_.binary(t.name, limits_.maxPictureBytes);
            break;
        case Token::End: break;
        }
    }
    // A truncated file: show what was read.
    while (stack_.size() > 1)
        closeGroup();
    finishDocument();
    return false;
}

void Reader::finishDocument() {
    resolveSurrogate();
    flush();
    footnotesFinish();
    sink_.finish(parFormat());
}

void Reader::openGroup() {
    flush();
    skip_ = 0;
    star_ = false;
    if (stack_.size() >= limits_.maxDepth) {
        tok_.skipGroup();
        skippedDeep_ = true;
        return;
    }
    stack_.push_back(stack_.back());
    // A group in the font table or the style sheet is one entry, with a state of its own: the
    // groups inside it, such as a skipped {\*\panose ...}, end themselves and not the entry.
    switch (stack_[stack_.size() - 2].dest) {
    case Dest::Stylesheet:
        top().dest = Dest::StyleEntry;
        top().chr = CharState{};
        top().par = ParFormat{};
        styles_.entryBegin();
        break;
    case Dest::FontTable:
        top().dest = Dest::FontEntry;
        fonts_.entryBegin();
        break;
    default: break;
    }
}

void Reader::closeGroup() {
    flush();
    skip_ = 0;
    star_ = false;
    const GroupState closed = std::move(stack_.back());
    stack_.pop_back();
    endDestination(closed);
}

void Reader::skipRestOfGroup() {
    tok_.skipGroup();
    if (stack_.size() > 1)
        closeGroup(); // a footnote, field or picture the skipped part was in still ends
}

void Reader::endDestination(const GroupState& closed) {
    switch (closed.dest) {
    case Dest::FieldInst:
        if (top().dest != Dest::FieldInst)
            fieldInstructionEnd();
        break;
    case Dest::Picture:
        if (top().dest != Dest::Picture)
            pictureEnd();
        break;
    case Dest::FontTable:
        fonts_.entryEnd();
        tablesChanged();
        break;
    case Dest::FontEntry:
        if (top().dest == Dest::FontTable)
            fonts_.entryEnd();
        break;
    case Dest::ColorTable: tablesChanged(); break;
    case Dest::ListTable:
        if (top().dest != Dest::ListTable)
            lists_.listEnd();
        break;
    case Dest::StyleEntry:
        if (top().dest == Dest::Stylesheet)
            styles_.entryEnd();
        break;
    default: break;
    }
    if (closed.footnote && !top().footnote)
        footnoteEnd(closed);
}

const FontTable::Font* Reader::fontOf(const CharState& s) const {
    return fonts_.find(s.font < 0 ? defaultFont_ : s.font);
}

// The run's bytes as text: a symbol font's own characters mapped, the rest through the font's
// code page a stretch at a time, so that double-byte characters stay whole.
void Reader::decodeBytes() {
    if (bytes_.empty())
        return;
    const FontTable::Font* font = fontOf(top().chr);
    const int codepage = font && font->codepage != 0 ? font->codepage : docCodepage_;
    const std::string_view bytes = bytes_;
    std::size_t start = 0;
    if (font && font->symbols != SymbolFont::None) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (const char16_t mapped = symbolCharacter(font->symbols, std::uint8_t(bytes[i]))) {
                appendDecoded(pending_, bytes.substr(start, i - start), codepage);
                pending_ += QChar(mapped);
                start = i + 1;
            }
        }
    }
    if (start < bytes.size())
        appendDecoded(pending_, bytes.substr(start), codepage);
    bytes_.clear();
}

void Reader::word(const Token& t) {
    // \* belongs to the one control word that follows it: that word is an optional destination.
    const bool starred = std::exchange(star_, false);
    const Keyword* k = findKeyword(t.name);
    if ((!k && starred) || (k && k->id == Kw::Skip)) {
        // A destination nobody shows, or an optional one this reader does not know.
        flush();
        skipRestOfGroup();
        return;
    }
    if (!k)
        return;
    // The number the word stands for is settled here, by its entry, once for every part below.
    const int value = k->value(t.hasParam, t.param);
    // Words that mean something only inside a table destination.
    switch (top().dest) {
    case Dest::FontTable:
    case Dest::FontEntry: fonts_.word(k->id, value); return;
    case Dest::ColorTable: colors_.word(k->id, value); return;
    case Dest::ListTable:
    case Dest::ListOverrides: lists_.word(top().dest, k->id, value); return;
    case Dest::StyleEntry: styles_.word(*k, value); return;
    case Dest::Stylesheet: return;
    case Dest::Picture: picture_.word(k->id, value); return;
    case Dest::FieldInst:
        if (k->id == Kw::Char)
            character(k->ch);
        return;
    default: break;
    }

    // Body text, list markers and everything that changes how they look. Text read so far
    // belongs to the state before this word.
    flush();
    switch (k->kind) {
    case KwKind::Destination: destinationWord(k->id); break;
    case KwKind::Document: documentWord(k->id, value); break;
    case KwKind::Table: break; // outside their tables these mean nothing
    case KwKind::Style: applyStyle(value, k->id == Kw::Cs); break;
    case KwKind::Character: characterWord(k->id, value); break;
    case KwKind::Paragraph: paragraphWord(k->id, value); break;
    case KwKind::Structure: structureWord(*k); break;
    case KwKind::Row: rowWord(k->id, value); break;
    case KwKind::Picture: break; // outside a picture these mean nothing
    }
}

void Reader::destinationWord(Kw id) {
    GroupState& s = top();
    switch (id) {
    case Kw::FontTbl:
        s.dest = Dest::FontTable;
        fonts_.begin();
        break;
    case Kw::ColorTbl: s.dest = Dest::ColorTable; break;
    case Kw::Stylesheet: s.dest = Dest::Stylesheet; break;
    case Kw::ListTable: s.dest = Dest::ListTable; break;
    case Kw::ListOverrideTable: s.dest = Dest::ListOverrides; break;
    case Kw::Pict:
        s.dest = Dest::Picture;
        picture_ = Picture{};
        break;
    case Kw::Field: s.fieldHref.clear(); break;
    case Kw::FldInst:
        s.dest = Dest::FieldInst;
        fieldInstruction_.clear();
        break;
    case Kw::FldRslt: s.href = s.fieldHref; break;
    case Kw::ListText:
        s.dest = Dest::ListText;
        listTextSeen_ = true;
        break;
    case Kw::Footnote: footnoteBegin(); break;
    case Kw::NestTableProps: s.dest = Dest::NestTableProps; break;
    default: break; // \rtf, \shppict: their content is the body's
    }
}

void Reader::symbol(char c) {
    switch (c) {
    case '\\':
    case '{':
    case '}': text(std::string_view(&c, 1)); break;
    case '~': character(0x00A0); break;
    case '-': character(0x00AD); break;
    case '_': character(0x2011); break;
    case '\t': character(u'\t'); break;
    case '\n':
    case '\r':
        if (top().dest == Dest::Body)
            endParagraph();
        break;
    case '*': star_ = true; break;
    default: break;
    }
}

void Reader::text(std::string_view bytes) {
    switch (top().dest) {
    case Dest::ColorTable: colors_.text(bytes); return;
    case Dest::Picture: picture_.hex(bytes, limits_.maxPictureBytes); return;
    case Dest::FontTable:
    case Dest::FontEntry: fonts_.text(bytes, docCodepage_); return;
    case Dest::Body:
    case Dest::ListText:
    case Dest::FieldInst:
        resolveSurrogate();
        bytes_.append(bytes);
        return;
    default: return; // style names, list tables, row definitions
    }
}

void Reader::character(char16_t c) {
    if (inFontTable()) {
        fonts_.unicode(c);
        return;
    }
    decodeBytes();
    resolveSurrogate();
    pending_ += QChar(c);
}

void Reader::unicode(char16_t unit) {
    if (inFontTable()) {
        fonts_.unicode(unit);
        return;
    }
    if (top().dest != Dest::Body && top().dest != Dest::ListText && top().dest != Dest::FieldInst)
        return;
    const FontTable::Font* font = fontOf(top().chr);
    if (font && font->symbols != SymbolFont::None) {
        if (const char16_t mapped = symbolCharacter(font->symbols, unit))
            unit = mapped;
    }
    if (!QChar::isSurrogate(unit)) {
        character(unit);
        return;
    }
    decodeBytes();
    // A pair may be split across \uc changes and even groups; only a half that meets no
    // partner before other text, or the end of its paragraph, is lone.
    if (QChar::isHighSurrogate(unit)) {
        resolveSurrogate();
        highSurrogate_ = unit;
    } else if (highSurrogate_ != 0) {
        pending_ += QChar(highSurrogate_);
        pending_ += QChar(unit);
        highSurrogate_ = 0;
    } else {
        pending_ += QChar(QChar::ReplacementCharacter);
    }
}

void Reader::resolveSurrogate() {
    if (highSurrogate_ != 0) {
        pending_ += QChar(QChar::ReplacementCharacter);
        highSurrogate_ = 0;
    }
}

void Reader::flush() {
    decodeBytes();
    if (pending_.isEmpty())
        return;
    switch (top().dest) {
    case Dest::Body:
    case Dest::ListText:
        // Hidden text is for the author and a tracked deletion is gone: neither is shown.
        if (!top().chr.hidden && !top().chr.deleted) {
            sanitize(pending_);
            out().text(pending_, charFormat());
            bodyOpen_ = bodyOpen_ || !top().footnote;
        }
        break;
    case Dest::FieldInst:
        if (fieldInstruction_.size() < 65536)
            fieldInstruction_ += pending_;
        break;
    default: break;
    }
    pending_.clear();
}

void Reader::endParagraph(int cellLevel) {
    resolveSurrogate();
    flush();
    if (cellLevel > 0)
        out().cellEnd(parFormat(), cellLevel);
    else
        out().paragraphEnd(parFormat());
    listTextSeen_ = false;
    pageBreakNext_ = false;
    bodyOpen_ = bodyOpen_ && top().footnote;
}

QString ReadResult::leftOut(const Limits& limits) const {
    QStringList what;
    if (skippedDeep)
        what << QStringLiteral("groups nested deeper than %1 were left out, with their text")
                    .arg(limits.maxDepth);
    if (blocksCut)
        what << QStringLiteral("the document was cut after %1 paragraphs and rows")
                    .arg(limits.maxBlocks);
    return what.join(QStringLiteral("; "));
}

bool looksLikeRtf(std::string_view bytes) {
    return bytes.substr(0, 5) == "{\\rtf";
}

ReadResult read(std::string_view bytes, Sink& sink, const Limits& limits,
                const Progress& progress) {
    if (!looksLikeRtf(bytes))
        return {false, QStringLiteral("not a rich-text document")};
    ReadResult result;
    Reader reader(bytes, sink, limits, progress);
    result.damaged = !reader.run();
    result.skippedDeep = reader.skippedDeep();
    return result;
}

} // namespace orvane::rtf
