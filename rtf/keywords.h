#pragma once

// The control words the reader knows: for each, what it is about and how it is written, with
// the number it stands for when the file gives none.

#include <cstdint>
#include <string_view>

namespace orvane::rtf {

enum class Kw : std::uint16_t {
    // destinations
    Rtf,
    FontTbl,
    ColorTbl,
    Stylesheet,
    Pict,
    ShpPict,
    Field,
    FldInst,
    FldRslt,
    ListTable,
    ListOverrideTable,
    ListText,
    Footnote,
    NestTableProps,
    Skip,
    // document
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCpg,
    Deff,
    Uc,
    // font and colour tables
    F,
    FCharset,
    FNil,
    FRoman,
    FSwiss,
    FModern,
    FScript,
    FDecor,
    FTech,
    Red,
    Green,
    Blue,
    // lists
    List,
    ListLevel,
    LevelNfc,
    ListId,
    ListOverride,
    Ls,
    Ilvl,
    // styles
    S,
    Cs,
    Ds,
    Ts,
    SBasedOn,
    // character
    Plain,
    B,
    I,
    Ul,
    UlNone,
    Strike,
    Fs,
    Cf,
    Cb,
    Super,
    Sub,
    NoSuperSub,
    Up,
    Dn,
    Hidden,
    Deleted,
    Caps,
    SmallCaps,
    // paragraph
    Pard,
    Ql,
    Qc,
    Qr,
    Qj,
    Li,
    Ri,
    Fi,
    Sb,
    Sa,
    Sl,
    SlMult,
    InTbl,
    Itap,
    PageBb,
    Tx,
    Tb,
    Tqr,
    Tqc,
    TqDec,
    CbPat,
    ParBorder,
    // breaks and structure
    Par,
    Line,
    Tab,
    Page,
    Cell,
    Row,
    NestCell,
    NestRow,
    Chftn,
    // table rows
    Trowd,
    TrLeft,
    TrGaph,
    Cellx,
    ClBorderTop,
    ClBorderLeft,
    ClBorderBottom,
    ClBorderRight,
    TrBorderTop,
    TrBorderLeft,
    TrBorderBottom,
    TrBorderRight,
    TrBorderH,
    TrBorderV,
    BrdrSingle,
    BrdrDouble,
    BrdrDot,
    BrdrDash,
    BrdrNone,
    BrdrW,
    BrdrCf,
    ClCbPat,
    ClShdng,
    ClMgf,
    ClMrg,
    ClVmgf,
    ClVmrg,
    // pictures
    PngBlip,
    JpegBlip,
    DibBitmap,
    Metafile,
    PicW,
    PicH,
    PicWGoal,
    PicHGoal,
    PicScaleX,
    PicScaleY,
    // a character of its own
    Char,
};

// What part of the document a word is about: it decides which part of the reader handles it,
// though the destination it appears in may claim it first.
enum class KwKind : std::uint8_t {
    Destination, // starts a destination: the group's text goes elsewhere
    Document,    // code pages, the default font, \uc
    Table,       // words of the font, colour, list and style tables
    Style,       // \s and \cs: a style's number in the style sheet, the style applied elsewhere
    Character,   // character formatting, kept in the group
    Paragraph,   // paragraph formatting, kept in the group until \pard
    Structure,   // ends a paragraph, cell or row, or puts a break or a character in the text
    Row,         // row and cell definitions
    Picture,     // a picture's format and size
};

// How a word is written: whether its number means anything, and what it means when absent.
enum class Syntax : std::uint8_t {
    Destination, // opens a destination; a number is ignored
    Flag,        // means the same with any number
    Toggle,      // on without a number or with any but 0; off with 0
    Value,       // the number, or the entry's default without one
    Symbol,      // stands for the character in `ch`
};

struct Keyword {
    Kw id;
    KwKind kind;
    Syntax syntax = Syntax::Flag;
    int fallback = 0; // a value word's number when the file gives none
    char16_t ch = 0;  // the character of a symbol word

    // The number the word stands for, decided here once: 0 or 1 for a toggle, the number or the
    // fallback for a value, the fallback for the rest.
    int value(bool hasParam, int param) const {
        switch (syntax) {
        case Syntax::Toggle: return !hasParam || param != 0 ? 1 : 0;
        case Syntax::Value: return hasParam ? param : fallback;
        default: return fallback;
        }
    }
};

// The word by its name (case matters, as in RTF), or nullptr for one the reader does not know.
const Keyword* findKeyword(std::string_view name);

} // namespace orvane::rtf
