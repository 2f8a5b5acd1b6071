#include "render/table_layout.h"

#include <algorithm>
#include <cassert>
#include <numeric>

namespace corvane::render {
namespace {

// Cells are measured in a flow this wide: indents are never squeezed, nothing wraps.
constexpr int kMeasureWidth = 1 << 24;
// Table sizes stay far below the deepest position a document may reach.
constexpr long long kMaxTableSize = 1 << 28;

int Clamped(long long value) {
    return static_cast<int>(std::clamp<long long>(value, 0, kMaxTableSize));
}

// Shares extra out over the entries [first, first + count) in proportion to their values, or in
// equal parts when they add up to 0; rounding leftovers go to the last entry.
void ShareOut(std::vector<long long>& values, int first, int count, long long extra) {
    if (extra <= 0 || count <= 0) return;
    long long total = 0;
    for (int i = first; i < first + count; ++i) total += values[i];
    long long given = 0;
    for (int i = first; i < first + count - 1; ++i) {
        // extra and every value stay below 2^31, so the product cannot overflow.
        const long long share = total > 0 ? extra * values[i] / total : extra / count;
        values[i] += share;
        given += share;
    }
    values[first + count - 1] += extra - given;
}

// What one cell's layout appended to the display list.
struct CellRanges {
    std::uint32_t firstBox = 0, endBox = 0;
    std::uint32_t firstLine = 0, endLine = 0;
    std::uint32_t firstTextLine = 0, endTextLine = 0;
    std::uint32_t firstCell = 0, endCell = 0;  // the cell's own, then the nested ones
};

}  // namespace

struct CTableLayout::CellResult : CellRanges {
    int height = 0;
    int baseline = 0;  // of the first line, from the cell's top
    std::optional<int> scrollTargetY;
};

void CTableLayout::BuildGrid(const html::CHTMLTable& table, Measures& measures) const {
    // A ROWSPAN reaches no further than the table's last row.
    int rowsLeft = 0;
    for (const html::CHTMLTableRow& row : table.rows) rowsLeft += row.cells.empty() ? 0 : 1;
    // occupied[c]: the first grid row that column c is free again in.
    std::vector<int> occupied;
    int gridRow = 0;
    for (const html::CHTMLTableRow& row : table.rows) {
        if (row.cells.empty()) continue;
        int column = 0;
        for (const std::uint32_t index : row.cells) {
            const html::CHTMLTableCell& cell = *table.cells[index];
            for (;;) {
                while (column < html::kMaxColumns && column < static_cast<int>(occupied.size()) &&
                       occupied[column] > gridRow)
                    ++column;
                if (column < html::kMaxColumns) break;
                // Every column is taken: the cell goes on in the first row where one is free.
                gridRow =
                    std::max(gridRow + 1, *std::min_element(occupied.begin(), occupied.end()));
                column = 0;
            }
            const int columns = std::min(cell.columnSpan, html::kMaxColumns - column);
            const int rows = std::min(cell.rowSpan, rowsLeft);
            if (static_cast<int>(occupied.size()) < column + columns)
                occupied.resize(column + columns, 0);
            for (int c = column; c < column + columns; ++c)
                occupied[c] = std::max(occupied[c], gridRow + rows);
            measures.grid.push_back(GridCell{index, gridRow, column, rows, columns});
            measures.columns = std::max(measures.columns, column + columns);
            column += columns;
        }
        ++gridRow;
        --rowsLeft;
    }
    measures.rows = gridRow;
    for (GridCell& cell : measures.grid) cell.rows = std::min(cell.rows, gridRow - cell.row);
}

std::pair<int, int> CTableLayout::MeasureCell(const html::CHTMLTable& table,
                                              const html::CHTMLTableCell& cell) {
    DisplayList scratch;
    CLayoutContext context(fonts_, scratch, 0, 0, kMeasureWidth);
    context.SetMeasuring();
    context.SetBold(cell.header);
    for (const html::CHTMLElement* e = cell.First(); e != cell.End(); e = e->next)
        place_(context, *e);
    context.Finish();
    const long long padding = 2LL * table.cellPadding;
    const long long widestLine = std::max(context.Extent().right, context.WidestWord());
    long long minimum = std::max<long long>(context.WidestWord(), kMinimumCellWidth) + padding;
    const long long maximum = std::max<long long>(widestLine, kMinimumCellWidth) + padding;
    if (cell.noWrap) minimum = maximum;
    return {Clamped(minimum), Clamped(std::max(minimum, maximum))};
}

void CTableLayout::MeasureCells(const html::CHTMLTable& table, Measures& m) {
    const auto columns = static_cast<std::size_t>(m.columns);
    m.columnMinimum.assign(columns, 0);
    m.columnMaximum.assign(columns, 0);
    m.columnFixed.assign(columns, 0);
    m.columnPercent.assign(columns, 0);
    for (GridCell& grid : m.grid) {
        std::tie(grid.minimum, grid.maximum) = MeasureCell(table, *table.cells[grid.cell]);
        if (grid.columns != 1) continue;
        const int c = grid.column;
        m.columnMaximum[c] = std::max<long long>(m.columnMaximum[c], grid.maximum);
        m.columnMinimum[c] = std::max<long long>(m.columnMinimum[c], grid.minimum);
        if (const std::optional<std::int32_t> width = table.cells[grid.cell]->width) {
            if (*width > 0) {
                m.columnFixed[c] = std::max<long long>(m.columnFixed[c], *width);
            } else {
                m.columnPercent[c] = std::max<long long>(m.columnPercent[c], -*width);
            }
        }
    }
    // A spanning cell wider than its columns widens them in proportion to their widths. The
    // cell also covers the spacing and rules between them.
    const long long between = table.cellSpacing + table.cellBorder;
    for (const GridCell& grid : m.grid) {
        if (grid.columns == 1) continue;
        const long long inside = between * (grid.columns - 1);
        long long maxima = 0;
        long long minima = 0;
        for (int c = grid.column; c < grid.column + grid.columns; ++c) {
            maxima += m.columnMaximum[c];
            minima += m.columnMinimum[c];
        }
        ShareOut(m.columnMaximum, grid.column, grid.columns, grid.maximum - inside - maxima);
        ShareOut(m.columnMinimum, grid.column, grid.columns, grid.minimum - inside - minima);
    }
    m.tableMinimum = m.tableMaximum = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        if (m.columnFixed[c] > 0) {
            m.columnMinimum[c] = std::max(m.columnMinimum[c], m.columnFixed[c]);
            m.columnMaximum[c] = m.columnMinimum[c];
            m.columnPercent[c] = 0;
        }
        m.columnMaximum[c] = std::max(m.columnMaximum[c], m.columnMinimum[c]);
        m.tableMinimum += m.columnMinimum[c];
        m.tableMaximum += m.columnMaximum[c];
    }
    assert(m.tableMinimum <= m.tableMaximum);
    if (table.caption) {
        std::tie(m.captionMinimum, m.captionMaximum) =
            MeasureCell(table, *table.cells[*table.caption]);
    }
}

const CTableLayout::Measures& CTableLayout::MeasuresOf(const html::CHTMLTable& table) {
    if (const auto found = measures_.find(&table); found != measures_.end()) return found->second;
    Measures measures;
    BuildGrid(table, measures);
    MeasureCells(table, measures);
    measures.overhead = static_cast<long long>(table.cellSpacing) * (measures.columns + 1) +
                        static_cast<long long>(table.cellBorder) * measures.columns +
                        2LL * table.border;
    return measures_.emplace(&table, std::move(measures)).first->second;
}

std::vector<int> CTableLayout::DistributeWidth(const Measures& m, long long width) {
    const auto columns = static_cast<std::size_t>(m.columns);
    const bool fromMinima = width < m.tableMaximum;
    std::vector<long long> widths = fromMinima ? m.columnMinimum : m.columnMaximum;
    const long long extra = std::max(0LL, width - (fromMinima ? m.tableMinimum : m.tableMaximum));
    const long long percents = std::accumulate(m.columnPercent.begin(), m.columnPercent.end(), 0LL);
    const long long percentShare = percents < 100 ? extra * percents / 100 : extra;
    const long long rest = extra - percentShare;
    long long weights = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        if (m.columnPercent[c] == 0 && m.columnFixed[c] == 0)
            weights += fromMinima ? m.columnMaximum[c] - m.columnMinimum[c] : m.columnMaximum[c];
    }
    long long given = 0;
    std::size_t last = columns;
    for (std::size_t c = 0; c < columns; ++c) {
        long long share = 0;
        if (m.columnPercent[c] > 0) {
            share = percentShare * m.columnPercent[c] / percents;
        } else if (m.columnFixed[c] == 0 && weights > 0) {
            const long long weight =
                fromMinima ? m.columnMaximum[c] - m.columnMinimum[c] : m.columnMaximum[c];
            share = rest * weight / weights;
        } else {
            continue;
        }
        widths[c] += share;
        given += share;
        last = c;
    }
    // Pixels lost to rounding go to the last column that took a share, so the table is as wide
    // as asked.
    if (last < columns)
        widths[last] += (percents > 0 ? percentShare : 0) + (weights > 0 ? rest : 0) - given;
    std::vector<int> result(columns);
    for (std::size_t c = 0; c < columns; ++c) result[c] = Clamped(widths[c]);
    return result;
}

CTableLayout::CellResult CTableLayout::LayoutCell(const html::CHTMLTable& table,
                                                  const html::CHTMLTableCell& cell, int width,
                                                  DisplayList& out,
                                                  std::deque<std::string>& texts) {
    CellResult result;
    result.firstBox = static_cast<std::uint32_t>(out.boxes.size());
    result.firstLine = static_cast<std::uint32_t>(out.lines.size());
    result.firstTextLine = static_cast<std::uint32_t>(out.textLines.size());
    result.firstCell = static_cast<std::uint32_t>(out.cells.size());
    out.cells.emplace_back();
    const int padding = table.cellPadding;
    CLayoutContext context(fonts_, out, padding, padding, std::max(1, width - 2 * padding));
    context.KeepTextsIn(texts);
    context.SetBold(cell.header);
    context.SetNoWrap(cell.noWrap);
    context.SetAlignment(cell.alignment);
    context.SetCell(result.firstCell);
    for (const html::CHTMLElement* e = cell.First(); e != cell.End(); e = e->next)
        place_(context, *e);
    context.Finish();
    result.endBox = static_cast<std::uint32_t>(out.boxes.size());
    result.endLine = static_cast<std::uint32_t>(out.lines.size());
    result.endTextLine = static_cast<std::uint32_t>(out.textLines.size());
    result.endCell = static_cast<std::uint32_t>(out.cells.size());
    result.height = Clamped(static_cast<long long>(context.Bottom()) + padding);
    result.baseline = result.endLine > result.firstLine ? out.lines[result.firstLine].baseline
                                                        : padding + context.Base().ascent;
    result.scrollTargetY = context.ScrollTargetY();
    return result;
}

namespace {

void OffsetCell(DisplayList& list, const CellRanges& cell, int dx, int dy) {
    for (std::uint32_t i = cell.firstBox; i < cell.endBox; ++i) list.boxes[i].rect.Offset(dx, dy);
    for (std::uint32_t i = cell.firstLine; i < cell.endLine; ++i) {
        list.lines[i].top += dy;
        list.lines[i].bottom += dy;
        list.lines[i].baseline += dy;
    }
    for (std::uint32_t i = cell.firstTextLine; i < cell.endTextLine; ++i) {
        list.textLines[i].top += dy;
        list.textLines[i].bottom += dy;
    }
    for (std::uint32_t i = cell.firstCell; i < cell.endCell; ++i) list.cells[i].Offset(dx, dy);
}

// A caption above the table is laid out after its cells but read before them: its text lines
// move in front of the cells' ones.
void ReadCaptionFirst(DisplayList& out, std::uint32_t firstBox, std::uint32_t firstTextLine,
                      const CellRanges& caption) {
    const std::uint32_t cells = caption.firstTextLine - firstTextLine;
    const std::uint32_t captionLines = caption.endTextLine - caption.firstTextLine;
    if (cells == 0 || captionLines == 0) return;
    const auto begin = out.textLines.begin();
    std::rotate(begin + firstTextLine, begin + caption.firstTextLine, begin + caption.endTextLine);
    for (std::size_t i = firstBox; i < out.boxes.size(); ++i) {
        std::uint32_t& line = out.boxes[i].textLine;
        if (line < firstTextLine || line >= caption.endTextLine) continue;
        line = line >= caption.firstTextLine ? line - cells : line + captionLines;
    }
}

// The boxes of a table, from firstBox on, put in order in place: the frames first, then the
// cells' lines (and floating images) merged into bands: lines that overlap vertically share a
// band, so the bands go strictly down the page as the painter and the text dump expect, and the
// lines of one row come out together, left to right. Sorting in place keeps a large table from
// sitting in memory twice. The side lists of frames, floats and controls are renumbered.
void OrderIntoBands(DisplayList& out, std::uint32_t firstBox, std::uint32_t firstLine) {
    struct Unit {
        int top, bottom, baseline;
        std::uint32_t firstBox, endBox;
    };
    std::vector<Unit> units;
    for (std::size_t i = firstLine; i < out.lines.size(); ++i) {
        const LineBox& line = out.lines[i];
        units.push_back(Unit{line.top, line.bottom, line.baseline, line.firstBox, line.endBox});
    }
    for (const std::uint32_t index : out.floats) {
        if (index < firstBox) continue;
        const Rect& rect = out.boxes[index].rect;
        units.push_back(Unit{rect.top, rect.bottom, rect.bottom, index, index + 1});
    }
    std::stable_sort(units.begin(), units.end(),
                     [](const Unit& a, const Unit& b) { return a.top < b.top; });
    // Each box's unit, in the order the units go down, waits in its line field.
    constexpr int kNoUnit = -1;
    for (std::size_t i = firstBox; i < out.boxes.size(); ++i) out.boxes[i].line = kNoUnit;
    std::vector<LineBox> bands;
    std::vector<int> bandOfUnit(units.size());
    for (std::size_t u = 0; u < units.size(); ++u) {
        for (std::uint32_t b = units[u].firstBox; b < units[u].endBox; ++b)
            out.boxes[b].line = static_cast<int>(u);
        if (bands.empty() || units[u].top >= bands.back().bottom) {
            bands.push_back(LineBox{units[u].top, units[u].bottom, units[u].baseline, 0, 0});
        } else {
            bands.back().bottom = std::max(bands.back().bottom, units[u].bottom);
        }
        bandOfUnit[u] = static_cast<int>(bands.size()) - 1;
    }
    const auto byUnit = [](const LayoutBox& a, const LayoutBox& b) {
        if (a.line != b.line) return a.line < b.line;
        if (a.rect.left != b.rect.left) return a.rect.left < b.rect.left;
        return a.rect.top < b.rect.top;
    };
    const auto first = out.boxes.begin() + firstBox;
    if (!std::is_sorted(first, out.boxes.end(), byUnit)) std::sort(first, out.boxes.end(), byUnit);

    out.lines.resize(firstLine);
    std::erase_if(out.floats, [&](std::uint32_t index) { return index >= firstBox; });
    std::erase_if(out.frames, [&](std::uint32_t index) { return index >= firstBox; });
    std::erase_if(out.controls, [&](std::uint32_t index) { return index >= firstBox; });
    for (std::size_t i = firstBox; i < out.boxes.size(); ++i) {
        LayoutBox& box = out.boxes[i];
        const auto index = static_cast<std::uint32_t>(i);
        // Form controls in cells moved with their lines.
        if (box.kind == BoxKind::kControl) out.controls.push_back(index);
        if (box.line == kNoUnit) {
            if (IsFrame(box)) out.frames.push_back(index);
            continue;
        }
        LineBox& band = bands[bandOfUnit[box.line]];
        if (band.endBox == 0) band.firstBox = index;
        band.endBox = index + 1;
        if (IsFloat(box)) {
            out.floats.push_back(index);
            box.line = -1;
        } else {
            box.line = static_cast<int>(firstLine) + bandOfUnit[box.line];
        }
    }
    out.lines.insert(out.lines.end(), bands.begin(), bands.end());
}

}  // namespace

void CTableLayout::PlaceFlattened(CLayoutContext& context, const html::CHTMLTable& table) {
    // Without recursion: a stack of the tables being walked, each at a cell and an element.
    struct Walk {
        const html::CHTMLTable* table;
        std::vector<std::uint32_t> order;
        std::size_t cell = 0;
        const html::CHTMLElement* element = nullptr;
    };
    std::vector<Walk> walks;
    walks.push_back(Walk{&table, table.ReplayOrder()});
    context.Break(BreakKind::kEndOfLine);
    while (!walks.empty()) {
        Walk& walk = walks.back();
        if (walk.cell == walk.order.size()) {
            walks.pop_back();
            continue;
        }
        const html::CHTMLTableCell& cell = *walk.table->cells[walk.order[walk.cell]];
        if (walk.element == nullptr) walk.element = cell.First();
        if (walk.element == cell.End()) {
            context.Break(BreakKind::kEndOfLine);
            ++walk.cell;
            walk.element = nullptr;
            continue;
        }
        const html::CHTMLElement* element = walk.element;
        walk.element = element->next;
        if (element->type == html::kElementTable) {
            const auto& inner = static_cast<const html::CHTMLTable&>(*element);
            walks.push_back(Walk{&inner, inner.ReplayOrder()});
        } else {
            place_(context, *element);
        }
    }
}

void CTableLayout::Place(CLayoutContext& context, const html::CHTMLTable& table) {
    if (depth_ >= kMaxNesting) {
        PlaceFlattened(context, table);
        return;
    }
    ++depth_;
    PlaceNested(context, table);
    --depth_;
}

void CTableLayout::PlaceNested(CLayoutContext& context, const html::CHTMLTable& table) {
    const Measures& m = MeasuresOf(table);
    const long long outerMinimum = m.tableMinimum + m.overhead;
    if (context.Measuring()) {
        context.ReserveBlock(
            Clamped(std::max<long long>(outerMinimum, m.captionMinimum)),
            Clamped(std::max<long long>(m.tableMaximum + m.overhead, m.captionMaximum)));
        return;
    }
    int available = context.StartBlock();
    // A table that does not fit beside floating images goes below them.
    const long long needed = table.width && *table.width > 0
                                 ? std::max<long long>(outerMinimum, *table.width)
                                 : outerMinimum;
    if (needed > available && context.ClearFloats()) available = context.StartBlock();

    // Width.
    const long long room = std::max(0LL, available - m.overhead);
    long long width = m.tableMaximum <= room ? m.tableMaximum : std::max(m.tableMinimum, room);
    if (table.width && *table.width < 0) {
        width = std::max(m.tableMinimum, room * -*table.width / 100);
    } else if (table.width) {
        width = std::max(m.tableMinimum, *table.width - m.overhead);
    }
    const std::vector<int> columnWidths = DistributeWidth(m, width);
    std::vector<long long> columnLeft(m.columns + 1);
    const long long between = table.cellSpacing + table.cellBorder;
    long long x = table.border + table.cellSpacing + table.cellBorder / 2;
    for (int c = 0; c < m.columns; ++c) {
        columnLeft[c] = x;
        x += columnWidths[c] + between;
    }
    columnLeft[m.columns] = x;
    const int tableWidth =
        Clamped(m.overhead + std::accumulate(columnWidths.begin(), columnWidths.end(), 0LL));

    // Cells at their widths, straight into the flow's list, each at its own origin for now.
    DisplayList& out = context.Output();
    const auto firstBox = static_cast<std::uint32_t>(out.boxes.size());
    const auto firstLine = static_cast<std::uint32_t>(out.lines.size());
    const auto firstTextLine = static_cast<std::uint32_t>(out.textLines.size());
    std::deque<std::string>& texts = context.TextStore();
    std::vector<CellResult> results;
    results.reserve(m.grid.size());
    for (const GridCell& grid : m.grid) {
        const long long cellWidth =
            columnLeft[grid.column + grid.columns] - columnLeft[grid.column] - between;
        results.push_back(
            LayoutCell(table, *table.cells[grid.cell], Clamped(cellWidth), out, texts));
    }

    // Row heights: first the cells of one row, baseline cells lined up, then the spanning ones.
    std::vector<long long> rowHeight(m.rows, 0);
    std::vector<int> rowBaseline(m.rows, 0);
    for (std::size_t i = 0; i < m.grid.size(); ++i) {
        if (table.cells[m.grid[i].cell]->vertical == html::kAlignBaseline)
            rowBaseline[m.grid[i].row] = std::max(rowBaseline[m.grid[i].row], results[i].baseline);
    }
    const auto shiftOf = [&](std::size_t i) {
        return table.cells[m.grid[i].cell]->vertical == html::kAlignBaseline
                   ? rowBaseline[m.grid[i].row] - results[i].baseline
                   : 0;
    };
    for (std::size_t i = 0; i < m.grid.size(); ++i) {
        if (m.grid[i].rows != 1) continue;
        rowHeight[m.grid[i].row] =
            std::max<long long>(rowHeight[m.grid[i].row], results[i].height + shiftOf(i));
    }
    for (std::size_t i = 0; i < m.grid.size(); ++i) {
        const GridCell& grid = m.grid[i];
        if (grid.rows == 1) continue;
        long long spanned = between * (grid.rows - 1);
        for (int r = grid.row; r < grid.row + grid.rows; ++r) spanned += rowHeight[r];
        ShareOut(rowHeight, grid.row, grid.rows, results[i].height + shiftOf(i) - spanned);
    }
    std::vector<long long> rowTop(m.rows + 1);
    long long y = table.border + table.cellSpacing + table.cellBorder / 2;
    for (int r = 0; r < m.rows; ++r) {
        rowTop[r] = y;
        y += rowHeight[r] + between;
    }
    rowTop[m.rows] = y;
    const int tableHeight = Clamped(2LL * table.border + table.cellSpacing * (m.rows + 1LL) +
                                    static_cast<long long>(table.cellBorder) * m.rows + 1 +
                                    std::accumulate(rowHeight.begin(), rowHeight.end(), 0LL));

    // The caption: as wide as the table or its own minimum, centred over the table.
    std::optional<CellResult> caption;
    int captionWidth = 0;
    if (table.caption) {
        captionWidth = std::max(tableWidth, m.captionMinimum);
        caption = LayoutCell(table, *table.cells[*table.caption], captionWidth, out, texts);
    }
    const int blockWidth = std::max(tableWidth, captionWidth);
    const int tableX = (blockWidth - tableWidth) / 2;
    const int captionHeight = caption ? caption->height : 0;
    const int tableY = caption && !table.captionBelow ? captionHeight : 0;

    // Every cell moves to its place in its box; boxes go straight into the flow's list.
    const int blockHeight = tableHeight + captionHeight;
    const Point origin = context.BeginBlock(blockWidth, blockHeight, table.alignment);
    std::optional<int> scrollTargetY;
    const auto frame = [&](BoxKind kind, Rect rect) {
        rect.Offset(origin.x, origin.y);
        out.frames.push_back(static_cast<std::uint32_t>(out.boxes.size()));
        LayoutBox& box = out.boxes.emplace_back();
        box.kind = kind;
        box.rect = rect;
        box.line = -1;
        box.spaceX = static_cast<std::int16_t>(table.border);
    };
    if (table.drawBorders)
        frame(BoxKind::kTableFrame,
              Rect{tableX, tableY, tableX + tableWidth, tableY + tableHeight});
    for (std::size_t i = 0; i < m.grid.size(); ++i) {
        const GridCell& grid = m.grid[i];
        const CellResult& cell = results[i];
        const int left = tableX + Clamped(columnLeft[grid.column]);
        const int top = tableY + Clamped(rowTop[grid.row]);
        const int boxHeight = Clamped(rowTop[grid.row + grid.rows] - rowTop[grid.row] - between);
        const int boxWidth =
            Clamped(columnLeft[grid.column + grid.columns] - columnLeft[grid.column] - between);
        int shift = 0;
        switch (table.cells[grid.cell]->vertical) {
            case html::kAlignTop:
                break;
            case html::kAlignBottom:
                shift = std::max(0, boxHeight - cell.height);
                break;
            case html::kAlignBaseline:
                shift = static_cast<int>(shiftOf(i));
                break;
            default:
                shift = std::max(0, (boxHeight - cell.height) / 2);
                break;
        }
        OffsetCell(out, cell, origin.x + left, origin.y + top + shift);
        out.cells[cell.firstCell] = Rect{left, top, left + boxWidth, top + boxHeight};
        out.cells[cell.firstCell].Offset(origin.x, origin.y);
        if (cell.scrollTargetY && !scrollTargetY) scrollTargetY = top + shift + *cell.scrollTargetY;
        if (table.drawBorders && table.cellBorder != 0)
            frame(BoxKind::kCellFrame, Rect{left, top, left + boxWidth, top + boxHeight});
    }
    if (caption) {
        const int top = table.captionBelow ? tableHeight : 0;
        const int left = origin.x + (blockWidth - captionWidth) / 2;
        OffsetCell(out, *caption, left, origin.y + top);
        out.cells[caption->firstCell] =
            Rect{left, origin.y + top, left + captionWidth, origin.y + top + captionHeight};
        if (caption->scrollTargetY && !scrollTargetY) scrollTargetY = top + *caption->scrollTargetY;
        if (!table.captionBelow) ReadCaptionFirst(out, firstBox, firstTextLine, *caption);
    }
    OrderIntoBands(out, firstBox, firstLine);
    context.EndBlock(Rect{origin.x, origin.y, origin.x + blockWidth, origin.y + blockHeight},
                     scrollTargetY);
}

}  // namespace corvane::render
