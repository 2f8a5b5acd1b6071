#pragma once
// A TABLE as the document keeps it: its attributes, its rows of cells, and for each cell the
// element list its content was built into. While the table is open its tokens are recorded per
// cell (CTableCollector); at its end they are replayed through the builder, one cell at a time,
// into each cell's own list, and only then is the table linked into the surrounding flow. Layout
// (render/) measures and places the cells.
//
// Memory: the document owns every table (CHTML::AddTable) and destroys it after the element
// list; a table destroys the elements of its cells' lists. Nested tables sit in their cell's list
// as elements like any other, owned by the document all the same. The recorded tokens are freed
// once they are replayed.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <deque>

#include "html/element.h"
#include "html/parse_context.h"

namespace corvane::html {

// Limits of the attributes a page gives; larger values are taken as these.
inline constexpr std::int32_t kMaxColumnSpan = 1000;
inline constexpr std::int32_t kMaxRowSpan = 65534;
inline constexpr std::int32_t kMaxColumns = 1000;
// Pixels: keeps every sum of widths far from overflowing.
inline constexpr std::int32_t kMaxTableLength = 1 << 20;
inline constexpr std::int32_t kMaxTableSpacing = 1 << 10;

// A token kept for replay: its code (tag number plus kEndTagFlag, or a text token code) and
// where its text lies in the table's text buffer. A nested table is one token of the code
// kNestedTableToken whose offset indexes the table's nested tables.
struct RecordedToken {
    std::int32_t token;
    std::uint32_t offset;
    std::uint32_t length;
};
inline constexpr std::int32_t kNestedTableToken = -1;

struct CHTMLTableCell {
    CHTMLTableCell() {
        sentinel.next = &sentinel;
        sentinel.previous = &sentinel;
    }
    CHTMLTableCell(const CHTMLTableCell&) = delete;
    CHTMLTableCell& operator=(const CHTMLTableCell&) = delete;

    bool Empty() const { return sentinel.next == &sentinel; }
    const CHTMLElement* First() const { return sentinel.next; }
    const CHTMLElement* End() const { return &sentinel; }

    // The cell's own circular element list, filled by the replay.
    CHTMLElement sentinel{kElementSentinel};
    // The recorded tokens [firstToken, endToken) of the table's token list.
    std::uint32_t firstToken = 0;
    std::uint32_t endToken = 0;
    bool header = false;  // TH: bold, centred by default
    bool noWrap = false;
    std::int32_t alignment = kAlignLeft;   // 3 left, 4 centre, 5 right
    std::int32_t vertical = kAlignMiddle;  // 0 top, 1 middle, 2 bottom, 6 baseline
    std::int32_t columnSpan = 1;
    std::int32_t rowSpan = 1;
    std::optional<std::int32_t> width;  // negative: percent
};

struct CHTMLTableRow {
    std::int32_t alignment = kAlignLeft;
    std::int32_t vertical = kAlignMiddle;
    std::vector<std::uint32_t> cells;  // indexes into the table's cells, in document order
};

class CHTMLTable;

// Where a replay that ran out of its budget goes on: one frame per table being replayed, the
// outermost first.
struct TableReplayFrame {
    CHTMLTable* table = nullptr;
    std::vector<std::uint32_t> order;  // cells in replay order
    std::size_t cell = 0;              // position in order
    std::uint32_t next = 0;            // the next token of that cell
    bool cellStarted = false;
    CParseContext context;  // the cell's, fresh for each cell
};

// Type 9.
class CHTMLTable : public CHTMLElement {
  public:
    CHTMLTable() : CHTMLElement(kElementTable) {}
    ~CHTMLTable() override;

    std::int32_t border = 1;
    std::int32_t cellBorder = 2;
    bool drawBorders = false;
    std::int32_t cellSpacing = 2;
    std::int32_t cellPadding = 1;
    std::int32_t alignment = kAlignLeft;
    std::optional<std::int32_t> width;  // negative: percent
    bool captionBelow = false;

    // Every cell, in document order (the caption among them); rows refer to them by index.
    std::vector<std::unique_ptr<CHTMLTableCell>> cells;
    std::vector<CHTMLTableRow> rows;
    std::optional<std::uint32_t> caption;  // index into cells

    // Cells in replay order: a caption above first, then row by row, a caption below last.
    std::vector<std::uint32_t> ReplayOrder() const;
    // Whether the table has anything to lay out.
    bool HasCells() const;

    // Collection state, used until the replay is done.
    std::vector<RecordedToken> tokens;
    std::string text;
    std::vector<CHTMLTable*> nested;
    CHTMLTable* parent = nullptr;  // the table whose open cell this one started in
    CHTMLTable* innermost = this;  // on the outermost table: the open table deepest inside
    std::optional<std::uint32_t> openCell;
    bool rowEnded = true;       // the next cell starts a row
    std::int32_t preDepth = 0;  // of the open cell, for the tokenizer
    // A deque: the builder holds a pointer to the top frame's context while it replays.
    std::deque<TableReplayFrame> replay;  // on the outermost table
};

}  // namespace corvane::html
