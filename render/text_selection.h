#pragma once
// The text selection of a view: two points in document coordinates, put in reading order
// against the text lines (in a table: cell by cell, row by row). A box of text (or a list item's
// number) belongs to the selection when its text line lies between the start and end lines; on
// the start line only the characters right of the start, on the end line only those left of the
// end. A character counts when its middle lies inside, so a selection never cuts one in half;
// a form control counts as one character, whose text is what it shows.

#include <cstddef>
#include <cstdint>
#include <string>

#include "render/layout_box.h"

namespace corvane::render {

// One end of a selection: a text line and an x on it. A point in a table cell stands on the
// cell's line nearest up or down; elsewhere on the line of the box nearest across in the band
// under it (or the next band below). Above that line it stands before its start, below it after
// its end.
struct SelectionEnd {
    std::uint32_t line = 0;  // textLines.size() for the line still open at the end
    int x = 0;
    friend auto operator<=>(const SelectionEnd&, const SelectionEnd&) = default;
};

struct OrderedSelection {
    SelectionEnd start;
    SelectionEnd end;
    bool IsEmpty() const { return !(start < end); }
};

// A byte range of a box's text.
struct TextRange {
    std::size_t first = 0;
    std::size_t last = 0;
    bool IsEmpty() const { return last <= first; }
};

SelectionEnd SelectionEndAt(const DisplayList& list, Point point);
// The two points in reading order, whichever was pressed first.
OrderedSelection OrderSelection(const DisplayList& list, Point a, Point b);

// The text line a box sits on; floats have none (kNoTextLine).
std::uint32_t LineOf(const DisplayList& list, const LayoutBox& box);
// The selected part of a text or number box; for a control, its whole dump text when selected.
// Empty for every other box.
TextRange SelectedPart(const DisplayList& list, const LayoutBox& box,
                       const OrderedSelection& selection);
// The selected text in reading order: lines end with a line feed, and pieces of one line that
// stand apart are joined by one space (pieces of one word touch and join without one).
std::string SelectedText(const DisplayList& list, const OrderedSelection& selection);
// The area covering every selected box, to repaint; empty when nothing is selected.
Rect SelectionArea(const DisplayList& list, const OrderedSelection& selection);

}  // namespace corvane::render
