#pragma once

// What the reader hands on: resolved character, paragraph and row formats and a stream of
// content events. One sink builds a QTextDocument, another writes plain text as it goes.

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringView>
#include <QTextListFormat>

#include <array>
#include <cstdint>
#include <vector>

namespace orvane::rtf {

// Tables nested deeper than this are laid into the deepest level, text and all.
inline constexpr int kMaxTableLevel = 16;

enum class FontClass : std::uint8_t { Any, Roman, Swiss, Modern, Script, Decor, Tech };
enum class Caps : std::uint8_t { None, All, Small };

// Character format with the font and colour tables already applied.
struct CharFormat {
    QString family; // empty: the viewer's own font
    FontClass fontClass = FontClass::Any;
    int halfPoints = 24; // \fs, in half points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int script = 0;          // 1 superscript, -1 subscript
    int raiseHalfPoints = 0; // \up (positive) and \dn (negative), at the same size
    Caps caps = Caps::None;
    QColor foreground; // invalid: automatic
    QColor background; // invalid: none
    QString href;      // non-empty inside a hyperlink's result
    // The same id always stands for the same format, so sinks can keep their own conversion.
    std::uint32_t id = 0;
};

enum class Align : std::uint8_t { Left, Center, Right, Justify };

struct TabStop {
    enum Kind : std::uint8_t { Left, Center, Right, Decimal };
    int position = 0; // twips from the left indent's edge of the page
    Kind kind = Left;
    bool operator==(const TabStop&) const = default;
};

// Paragraph format; lengths in twips as the file gives them.
struct ParFormat {
    Align align = Align::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0;       // \sl: 0 auto, >0 at least, <0 exactly
    bool lineMultiple = false; // \slmult1: \sl is in 240ths of a line
    bool inTable = false;      // \intbl
    int nesting = 0;           // \itap: 1 the outermost table, 2 a table inside its cells...
    bool pageBreakBefore = false;
    std::vector<TabStop> tabs;
    QColor background; // \cbpat; invalid: none
    // A list item built from the list tables, set only when the paragraph carried no
    // fallback marker text of its own (those are shown as text instead).
    QTextListFormat::Style listStyle = QTextListFormat::ListStyleUndefined;
    int listLevel = 0;
    int listId = 0;

    // The table the paragraph belongs to: 0 the body, 1 the outermost table, and so on.
    int tableLevel() const { return inTable ? std::max(nesting, 1) : std::max(nesting, 0); }
};

struct Border {
    enum Style : std::uint8_t { None, Solid, Double, Dotted, Dashed };
    Style style = None;
    int width = 0; // twips
    QColor color;  // invalid: automatic
    bool operator==(const Border&) const = default;
};

enum class Side : std::uint8_t { Top, Left, Bottom, Right };

struct CellFormat {
    enum Merge : std::uint8_t { Alone, First, Continued };
    int right = 0;                   // \cellx, twips from the row's origin
    std::array<Border, 4> borders{}; // by Side
    QColor background;
    Merge horizontal = Alone; // \clmgf, \clmrg
    Merge vertical = Alone;   // \clvmgf, \clvmrg
};

struct RowFormat {
    int left = 0; // \trleft
    int gap = 0;  // \trgaph: half the space between cells
    std::vector<CellFormat> cells;
};

class Sink {
public:
    virtual ~Sink() = default;
    // A sink that only wants the words can spare the reader resolving formats and decoding
    // pictures.
    virtual bool wantsFormats() const { return true; }
    virtual void text(QStringView text, const CharFormat& format) = 0;
    virtual void lineBreak(const CharFormat& format) = 0;
    // A null image stands for a picture that cannot be decoded: a placeholder of its size.
    virtual void image(const QImage& image, double widthPx, double heightPx,
                       const CharFormat& format) = 0;
    virtual void paragraphEnd(const ParFormat& format) = 0;
    // The end of a cell or a row of the table at `level` (1 the outermost).
    virtual void cellEnd(const ParFormat& format, int level) = 0;
    virtual void rowEnd(const RowFormat& row, int level) = 0;
    // Called once at the end, with the format of a last paragraph that had no \par.
    virtual void finish(const ParFormat& format) = 0;
};

} // namespace orvane::rtf
