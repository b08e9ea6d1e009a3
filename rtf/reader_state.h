#pragma once

// Inside the reader: the state each group carries, the tables a file defines before its text,
// and the Reader itself. reader.cpp holds the core (groups, \uc skipping, the \* marker and the
// text); each destination and each kind of word has a file of its own, named for it.

#include "rtf/keywords.h"
#include "rtf/reader.h"
#include "rtf/symbol_fonts.h"
#include "rtf/tokenizer.h"

#include <QString>

#include <algorithm>
#include <array>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace orvane::rtf {

// A file's tables of fonts, colours, styles and lists keep at most this many entries each, and
// a font name or a style at most this many bytes or words: a crafted file must not make them
// outgrow memory, while real documents stay far below.
inline constexpr std::size_t kMaxTableEntries = 32768;
inline constexpr std::size_t kMaxEntrySize = 512;

// Lengths in twips are kept to +/- 22 inches, beyond any page.
inline int clampTwips(int v) {
    return std::clamp(v, -31680, 31680);
}

// Where the text of the current group goes.
enum class Dest : std::uint8_t {
    Body,
    ListText, // a fallback list marker: shown as text
    FontTable,
    FontEntry, // one font's group in the font table
    ColorTable,
    Stylesheet,
    StyleEntry,
    FieldInst,
    Picture,
    ListTable,
    ListOverrides,
    NestTableProps, // a nested row's definition
};

struct CharState {
    int font = -1; // -1: the document's default font
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false, strike = false;
    bool hidden = false, deleted = false;
    int script = 0;
    int raise = 0; // half points
    Caps caps = Caps::None;
    int foreground = 0, background = 0; // colour table indices, 0 automatic
    bool operator==(const CharState&) const = default;
};

struct GroupState {
    CharState chr;
    ParFormat par;
    int uc = 1;
    Dest dest = Dest::Body;
    QString href;      // hyperlink target of the text in this group
    QString fieldHref; // target found in this field's instruction, for its result
    bool footnote = false;
};

// font_table.cpp
class FontTable {
public:
    struct Font {
        QString name;
        FontClass fontClass = FontClass::Any;
        int codepage = 0; // 0: the document's code page
        SymbolFont symbols = SymbolFont::None;
    };
    void begin();
    void entryBegin(); // an entry's group has opened
    void word(Kw id, int param);
    // The name's bytes come in the entry's own character set, known by the time they arrive.
    void text(std::string_view bytes, int documentCodepage);
    void unicode(char16_t unit);
    void entryEnd(); // an entry's group has closed, or the table has
    const Font* find(int id) const;

private:
    void append(std::string_view bytes);
    void decode();

    std::unordered_map<int, Font> fonts_;
    Font entry_;
    int id_ = 0;
    bool open_ = false;
    QString name_;
    std::string bytes_; // the name's bytes not yet decoded
    int codepage_ = 1252;
};

// color_table.cpp
class ColorTable {
public:
    void word(Kw id, int param);
    void text(std::string_view bytes);
    QColor at(int index) const; // invalid for 0 and undefined entries: automatic

private:
    std::vector<QColor> colors_; // entry 0 is the automatic colour
    int red_ = 0, green_ = 0, blue_ = 0;
    bool touched_ = false;
};

// lists.cpp
class ListTables {
public:
    void word(Dest dest, Kw id, int param);
    void listEnd(); // the list table's group has closed
    // The style of level `level` of the list that override `ls` names.
    QTextListFormat::Style style(int ls, int level) const;

private:
    std::unordered_map<int, std::vector<int>> lists_; // list id -> number format per level
    std::unordered_map<int, int> overrides_;          // \ls -> list id
    std::vector<int> levels_;
    int listId_ = 0;
    bool inList_ = false;
    int overrideListId_ = 0;
};

// stylesheet.cpp
class Stylesheet {
public:
    struct Word {
        Kw id;
        KwKind kind;
        int value; // as the keyword table settled it
    };
    void entryBegin();
    void word(const Keyword& keyword, int value);
    void entryEnd();
    // The words of a style, its base's first; empty for one the sheet does not define.
    std::vector<Word> words(int style, bool character) const;

private:
    struct Style {
        std::vector<Word> words;
        int basedOn = -1;
    };
    std::unordered_map<int, Style> paragraph_, character_;
    Style entry_;
    int id_ = 0;
    bool character_entry_ = false, ignored_ = false;
};

// pictures.cpp
struct Picture {
    enum Kind { Unknown, Png, Jpeg, Dib, Metafile } kind = Unknown;
    QByteArray data;
    int nibble = -1;
    bool overflow = false;
    int picW = 0, picH = 0, goalW = 0, goalH = 0, scaleX = 100, scaleY = 100;

    void word(Kw id, int param);
    void hex(std::string_view digits, std::size_t maxBytes);
    void binary(std::string_view bytes, std::size_t maxBytes);
    // The decoded image if `pixels` is asked for, null for a placeholder, and its size on the
    // page in pixels; a size of 0 when the picture cannot be shown at all.
    QImage decode(long long maxPixels, bool pixels, double* width, double* height) const;
};

// footnotes.cpp: what a footnote writes, kept to be played back after the body.
class FootnoteBuffer final : public Sink {
public:
    explicit FootnoteBuffer(bool formats) : formats_(formats) {}
    bool wantsFormats() const override { return formats_; }
    void text(QStringView text, const CharFormat& format) override;
    void lineBreak(const CharFormat& format) override;
    void image(const QImage& image, double w, double h, const CharFormat& format) override;
    void paragraphEnd(const ParFormat& format) override;
    void cellEnd(const ParFormat& format, int) override { paragraphEnd(format); }
    void rowEnd(const RowFormat&, int) override {}
    void finish(const ParFormat&) override {}

    std::vector<std::function<void(Sink&)>> events;
    bool paragraphOpen = false; // text since the last paragraph end

private:
    bool formats_;
};

class Reader {
public:
    Reader(std::string_view bytes, Sink& sink, const Limits& limits, const Progress& progress);
    bool run(); // false when the input ends before the document's closing brace
    // Whether a group nested deeper than the limit was skipped, with whatever it held.
    bool skippedDeep() const { return skippedDeep_; }

private:
    // reader.cpp: groups, tokens, text and the \* marker
    GroupState& top() { return stack_.back(); }
    void openGroup();
    bool inFontTable() const {
        return stack_.back().dest == Dest::FontTable || stack_.back().dest == Dest::FontEntry;
    }
    void closeGroup();
    void skipRestOfGroup();
    void finishDocument();
    void word(const Token& t);
    void symbol(char c);
    void text(std::string_view bytes);
    void unicode(char16_t unit);
    void character(char16_t c); // a character of the text, not from the bytes
    void resolveSurrogate();
    void flush();
    void endParagraph(int cellLevel = 0); // above 0: the last paragraph of a cell at that level
    void endDestination(const GroupState& closed);
    Sink& out() { return top().footnote ? static_cast<Sink&>(footnotes_) : sink_; }
    const FontTable::Font* fontOf(const CharState& s) const;
    void decodeBytes();

    // formatting.cpp: character and paragraph words, and the formats they resolve to
    void documentWord(Kw id, int value);
    void characterWord(Kw id, int value);
    void paragraphWord(Kw id, int value);
    void applyStyle(int style, bool character);
    const CharFormat& charFormat();
    ParFormat parFormat() const;

    // Destinations that start in the body: reader.cpp; fields.cpp
    void destinationWord(Kw id);
    void fieldInstructionEnd();

    // tables.cpp: row definitions, and cells and rows ending
    struct RowDefinition {
        RowFormat format;
        std::array<Border, 6> borders{}; // \trbrdr t, l, b, r, then h and v between cells
        CellFormat cell;                 // the cell being defined, up to its \cellx
    };
    void rowWord(Kw id, int value);
    void structureWord(const Keyword& k);
    RowDefinition& rowBeingDefined();
    RowFormat finishedRow(int level);
    int nestedLevel() const;

    // footnotes.cpp
    void footnoteBegin();
    void footnoteEnd(const GroupState& closed);
    void footnoteNumber();
    void footnotesFinish();

    // pictures.cpp
    void pictureEnd();

    Tokenizer tok_;
    Sink& sink_;
    Limits limits_;
    bool skippedDeep_ = false;
    const Progress& progress_;
    std::size_t nextProgress_ = 0;
    std::vector<GroupState> stack_;

    int docCodepage_ = 1252;
    int defaultFont_ = 0;
    FontTable fonts_;
    ColorTable colors_;
    ListTables lists_;
    Stylesheet styles_;
    Picture picture_;
    QString fieldInstruction_;

    // By level, [0] unused. A fixed array: border_ points into it while a row is defined.
    std::array<RowDefinition, kMaxTableLevel + 1> rows_;
    Border* border_ = nullptr; // what \brdrs, \brdrw and \brdrcf describe now
    TabStop::Kind tabKind_ = TabStop::Left;

    FootnoteBuffer footnotes_;
    int footnoteCount_ = 0;
    std::size_t footnoteStart_ = 0;
    bool footnoteNumbered_ = false;

    std::string bytes_; // undecoded text of the current run
    QString pending_;   // decoded text not yet handed on
    char16_t highSurrogate_ = 0;
    int skip_ = 0;      // characters still to drop after \uN
    bool star_ = false; // \* seen: the next control word is an optional destination
    bool listTextSeen_ = false;
    bool bodyOpen_ = false; // the body's sink has text of a paragraph not yet ended
    bool pageBreakNext_ = false;

    // formatting.cpp: the format a state resolves to through the font and colour tables, kept
    // for the state it was made from until either changes.
    CharFormat resolve(const CharState& state, const QString& href);
    void tablesChanged() { resolvedValid_ = false; }
    CharFormat resolved_;
    CharState resolvedFrom_;
    QString resolvedHref_;
    bool resolvedValid_ = false;
    // Formats that look the same share an id: compared in full, their id left out.
    struct LookHash {
        std::size_t operator()(const CharFormat& f) const;
    };
    struct SameLook {
        bool operator()(const CharFormat& a, const CharFormat& b) const;
    };
    std::unordered_map<CharFormat, std::uint32_t, LookHash, SameLook> formatIds_;
};

} // namespace orvane::rtf
