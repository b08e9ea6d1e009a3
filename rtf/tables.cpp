// Tables: row definitions with their cells' borders, shading and merges, and the words that end
// cells and rows, for the outermost table and for tables nested in its cells.

#include "rtf/reader_state.h"

#include <algorithm>

namespace orvane::rtf {

// The level of the table a \nestcell, \nestrow or \nesttableprops here belongs to; also an
// index into rows_, so it is held to the array's bounds here whatever the format says.
int Reader::nestedLevel() const {
    return std::clamp(stack_.back().par.tableLevel(), 2, kMaxTableLevel);
}

// A nested row is defined in its own destination at the end of the row; every other definition
// is the outermost table's.
Reader::RowDefinition& Reader::rowBeingDefined() {
    return rows_[top().dest == Dest::NestTableProps ? std::size_t(nestedLevel()) : 1];
}

void Reader::rowWord(Kw id, int param) {
    auto target = [this](Border& b) {
        b = Border{};
        border_ = &b;
    };
    // The words that describe the border named last; without one, they describe nothing.
    Border ignored;
    Border& border = border_ ? *border_ : ignored;
    switch (id) {
    case Kw::BrdrSingle: border.style = Border::Solid; return;
    case Kw::BrdrDouble: border.style = Border::Double; return;
    case Kw::BrdrDot: border.style = Border::Dotted; return;
    case Kw::BrdrDash: border.style = Border::Dashed; return;
    case Kw::BrdrNone: border.style = Border::None; return;
    case Kw::BrdrW: border.width = std::clamp(param, 0, 255); return;
    case Kw::BrdrCf: border.color = colors_.at(param); return;
    default: break;
    }
    RowDefinition& row = rowBeingDefined();
    switch (id) {
    case Kw::Trowd:
        row = RowDefinition{};
        border_ = nullptr;
        break;
    case Kw::TrLeft: row.format.left = clampTwips(param); break;
    case Kw::TrGaph: row.format.gap = clampTwips(param); break;
    case Kw::TrBorderTop: target(row.borders[0]); break;
    case Kw::TrBorderLeft: target(row.borders[1]); break;
    case Kw::TrBorderBottom: target(row.borders[2]); break;
    case Kw::TrBorderRight: target(row.borders[3]); break;
    case Kw::TrBorderH: target(row.borders[4]); break;
    case Kw::TrBorderV: target(row.borders[5]); break;
    case Kw::ClBorderTop: target(row.cell.borders[int(Side::Top)]); break;
    case Kw::ClBorderLeft: target(row.cell.borders[int(Side::Left)]); break;
    case Kw::ClBorderBottom: target(row.cell.borders[int(Side::Bottom)]); break;
    case Kw::ClBorderRight: target(row.cell.borders[int(Side::Right)]); break;
    case Kw::ClCbPat: row.cell.background = colors_.at(param); break;
    case Kw::ClShdng:
        if (!row.cell.background.isValid() && param > 0) { // hundredths of a percent of black
            const double white = 1.0 - std::clamp(param, 0, 10000) / 10000.0;
            row.cell.background = QColor::fromRgbF(float(white), float(white), float(white));
        }
        break;
    case Kw::ClMgf: row.cell.horizontal = CellFormat::First; break;
    case Kw::ClMrg: row.cell.horizontal = CellFormat::Continued; break;
    case Kw::ClVmgf: row.cell.vertical = CellFormat::First; break;
    case Kw::ClVmrg: row.cell.vertical = CellFormat::Continued; break;
    case Kw::Cellx:
        row.cell.right = clampTwips(param);
        if (row.format.cells.size() < limits_.maxTableColumns)
            row.format.cells.push_back(row.cell);
        row.cell = CellFormat{};
        border_ = nullptr;
        break;
    default: break;
    }
}

// The row as the sink gets it: a side a cell leaves undefined takes the row's border there.
RowFormat Reader::finishedRow(int level) {
    const RowDefinition& def = rows_[std::size_t(level)];
    RowFormat row = def.format;
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
        auto& b = row.cells[i].borders;
        const auto fill = [](Border& side, const Border& from) {
            if (side.style == Border::None)
                side = from;
        };
        fill(b[int(Side::Top)], def.borders[0]);
        fill(b[int(Side::Bottom)], def.borders[2]);
        fill(b[int(Side::Left)], i == 0 ? def.borders[1] : def.borders[5]);
        fill(b[int(Side::Right)], i + 1 == row.cells.size() ? def.borders[3] : def.borders[5]);
    }
    return row;
}

void Reader::structureWord(const Keyword& k) {
    const Dest dest = top().dest;
    const bool body = dest == Dest::Body;
    const bool tableWords = body || dest == Dest::NestTableProps;
    switch (k.id) {
    case Kw::Par:
        if (body)
            endParagraph();
        break;
    case Kw::Page:
        if (body) {
            endParagraph();
            pageBreakNext_ = true;
        }
        break;
    case Kw::Line:
        if (body || dest == Dest::ListText) {
            out().lineBreak(charFormat());
            bodyOpen_ = bodyOpen_ || !top().footnote;
        }
        break;
    case Kw::Tab: character(u'\t'); break;
    case Kw::Char: character(k.ch); break;
    case Kw::Chftn: footnoteNumber(); break;
    case Kw::Cell:
        if (tableWords)
            endParagraph(1);
        break;
    case Kw::NestCell:
        if (tableWords)
            endParagraph(nestedLevel());
        break;
    case Kw::Row:
    case Kw::NestRow:
        if (tableWords) {
            const int level = k.id == Kw::Row ? 1 : nestedLevel();
            resolveSurrogate();
            flush();
            out().rowEnd(finishedRow(level), level);
            bodyOpen_ = bodyOpen_ && top().footnote;
        }
        break;
    default: break;
    }
}

} // namespace orvane::rtf
