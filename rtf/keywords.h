#pragma once

// The control words the reader knows, each with what kind of word it is. The kind decides which
// part of the reader handles it; the destination it appears in may claim it first.

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

enum class KwKind : std::uint8_t {
    Destination, // starts a destination: the group's text goes elsewhere
    Document,    // code pages, the default font, \uc
    Table,       // words of the font, colour, list and style tables
    Character,   // character formatting, kept in the group
    Paragraph,   // paragraph formatting, kept in the group until \pard
    Structure,   // ends a paragraph, cell or row, or puts a break or a character in the text
    Row,         // row and cell definitions
    Picture,     // a picture's format and size
};

struct Keyword {
    Kw id;
    KwKind kind;
    char16_t ch = 0; // the character of Kw::Char
};

// The word by its name (case matters, as in RTF), or nullptr for one the reader does not know.
const Keyword* findKeyword(std::string_view name);

} // namespace orvane::rtf
