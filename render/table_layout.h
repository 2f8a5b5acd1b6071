#pragma once
// CTableLayout places a TABLE element in the flow, in named passes:
//   grid      cells get their row and column (ROWSPAN keeps later cells out of the slots it
//             covers; a table has at most 1000 columns, cells beyond them start a new row);
//   measure   each cell is laid out once without wrapping: its minimum width is its widest word
//             (or image, or preformatted line), its maximum its widest line, both at least 20
//             pixels, plus the padding on both sides;
//   columns   column minima and maxima from the cells, spans shared out in proportion, fixed
//             and percent WIDTHs of single-column cells;
//   width     the table's width from its WIDTH or the width available, shared out among the
//             columns;
//   cells     each cell laid out at its width, with wrapping, its alignment and TH bold;
//   rows      row heights, spanning cells sharing their extra height out, VALIGN;
//   block     the cells' lines merged into bands of lines at the same height, so a row reads
//             left to right, with the frame and the cell rules beside them.
// A table's measures are kept until Forget (fonts or images changed), so a nested table is
// measured once and laid out once however deep it sits: the work is linear in the page.

#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "html/table.h"
#include "render/font_table.h"
#include "render/layout_box.h"
#include "render/layout_context.h"

namespace corvane::render {

// Lays out one element into a context: the flow layout's own dispatch, used for cell contents.
using ElementPlacer = std::function<void(CLayoutContext&, const html::CHTMLElement&)>;

// Minimum width of every cell's content.
inline constexpr int kMinimumCellWidth = 20;

class CTableLayout {
  public:
    // Tables nested deeper than this are laid out as their cells' contents one after another:
    // each level of a laid-out table costs stack, and no real page nests this deep.
    static constexpr int kMaxNesting = 48;

    CTableLayout(CFontTable& fonts, ElementPlacer place)
        : fonts_(fonts), place_(std::move(place)) {}

    void Forget() { measures_.clear(); }
    // Places the table at the pen of the context (only reserves its widths while measuring).
    void Place(CLayoutContext& context, const html::CHTMLTable& table);

    // The measures of a table: public for tests, which check them by hand.
    struct GridCell {
        std::uint32_t cell = 0;  // index into the table's cells
        int row = 0;
        int column = 0;
        int rows = 1;
        int columns = 1;
        int minimum = 0;
        int maximum = 0;
    };
    struct Measures {
        std::vector<GridCell> grid;
        int rows = 0;
        int columns = 0;
        std::vector<long long> columnMinimum, columnMaximum, columnFixed, columnPercent;
        long long tableMinimum = 0;
        long long tableMaximum = 0;
        long long overhead = 0;
        int captionMinimum = 0;
        int captionMaximum = 0;
    };
    const Measures& MeasuresOf(const html::CHTMLTable& table);
    // Column widths for a table width (without the overhead).
    static std::vector<int> DistributeWidth(const Measures& measures, long long width);

  private:
    struct CellResult;
    void PlaceNested(CLayoutContext& context, const html::CHTMLTable& table);
    void PlaceFlattened(CLayoutContext& context, const html::CHTMLTable& table);
    void BuildGrid(const html::CHTMLTable& table, Measures& measures) const;
    void MeasureCells(const html::CHTMLTable& table, Measures& measures);
    std::pair<int, int> MeasureCell(const html::CHTMLTable& table,
                                    const html::CHTMLTableCell& cell);
    CellResult LayoutCell(const html::CHTMLTable& table, const html::CHTMLTableCell& cell,
                          int width, DisplayList& out, std::deque<std::string>& texts);

    CFontTable& fonts_;
    ElementPlacer place_;
    std::unordered_map<const html::CHTMLTable*, Measures> measures_;
    int depth_ = 0;
};

}  // namespace corvane::render
