#pragma once
// The text selection of a view: two points in document coordinates, put in reading order
// against the laid-out lines. A box of text (or a list item's number) belongs to the selection
// when its line lies between the start and end lines; on the start line only the characters
// right of the start, on the end line only those left of the end. A character counts when its
// middle lies inside, so a selection never cuts one in half.

#include <cstddef>
#include <cstdint>
#include <string>

#include "render/layout_box.h"

namespace corvane::render {

// One end of a selection: a line and an x on it. A point between lines (or above the first)
// stands before the start of the next line below it.
struct SelectionEnd {
    std::uint32_t line = 0;  // lines.size() for the line still open at the end
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

// The line a box sits on in reading order; floats have none (UINT32_MAX).
std::uint32_t LineOf(const DisplayList& list, const LayoutBox& box);
// The selected part of a text or number box; empty for every other box.
TextRange SelectedPart(const DisplayList& list, const LayoutBox& box,
                       const OrderedSelection& selection);
// The selected text in reading order: lines end with a line feed, and pieces of one line that
// stand apart are joined by one space (pieces of one word touch and join without one).
std::string SelectedText(const DisplayList& list, const OrderedSelection& selection);
// The area covering every selected box, to repaint; empty when nothing is selected.
Rect SelectionArea(const DisplayList& list, const OrderedSelection& selection);

}  // namespace corvane::render
