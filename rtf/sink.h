#pragma once

// What the reader hands on: resolved character and paragraph formats and a stream of content
// events. One sink builds a QTextDocument, another records events for tests.

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringView>
#include <QTextListFormat>

#include <cstdint>
#include <vector>

namespace orvane::rtf {

enum class FontClass : std::uint8_t { Any, Roman, Swiss, Modern, Script, Decor, Tech };

// Character format with the font and colour tables already applied.
struct CharFormat {
    QString family; // empty: the viewer's own font
    FontClass fontClass = FontClass::Any;
    int halfPoints = 24; // \fs, in half points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int script = 0;    // 1 superscript, -1 subscript
    QColor foreground; // invalid: automatic
    QColor background; // invalid: none
    QString href;      // non-empty inside a hyperlink's result
    // Changes whenever any member changes, so sinks can cache their own converted format.
    std::uint64_t generation = 0;
};

enum class Align : std::uint8_t { Left, Center, Right, Justify };

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
    bool inTable = false;
    bool pageBreakBefore = false;
    // A list item built from the list tables, set only when the paragraph carried no
    // fallback marker text of its own (those are shown as text instead).
    QTextListFormat::Style listStyle = QTextListFormat::ListStyleUndefined;
    int listLevel = 0;
    int listId = 0;
};

struct RowFormat {
    int left = 0;                // \trleft
    std::vector<int> cellRights; // \cellx boundaries in twips
};

class Sink {
public:
    virtual ~Sink() = default;
    virtual void text(QStringView text, const CharFormat& format) = 0;
    virtual void lineBreak(const CharFormat& format) = 0;
    virtual void image(const QImage& image, double widthPx, double heightPx,
                       const CharFormat& format) = 0;
    virtual void paragraphEnd(const ParFormat& format) = 0;
    virtual void cellEnd(const ParFormat& format) = 0;
    virtual void rowEnd(const RowFormat& row) = 0;
    // Called once at the end, with the format of a last paragraph that had no \par.
    virtual void finish(const ParFormat& format) = 0;
};

} // namespace orvane::rtf
