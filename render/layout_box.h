#pragma once
// What layout produces: a display list of boxes in document order, grouped into lines. Drawing,
// hit testing, the text dump and selection all walk it; boxes of one line are contiguous, so
// closing a line only touches that line's boxes.

#include <climits>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "html/element.h"
#include "render/drawing_surface.h"
#include "render/geometry.h"
#include "render/style_word.h"

namespace corvane::html {
class CHTMLElement;
}

namespace corvane::render {

enum class BoxKind : std::uint8_t {
    kText,        // a fragment of a text run
    kNumber,      // a numbered list item's label
    kBullet,      // a bulleted list item's marker
    kRule,        // a horizontal rule
    kImage,       // an image or its placeholder
    kTableFrame,  // a table's raised frame; spaceX holds its width
    kCellFrame,   // the sunken rule around a table cell's box
    kControl,     // a form control: its window covers the box; `text` is how the text dump shows it
};

// Alignment codes are the element model's, shared by all layout.
using html::Alignment;
using html::kAlignBaseline;
using html::kAlignBottom;
using html::kAlignCentre;
using html::kAlignLeft;
using html::kAlignMiddle;
using html::kAlignRight;
using html::kAlignTop;

struct LayoutBox {
    BoxKind kind = BoxKind::kText;
    // Bullets: shape 1 disc, 2 circle, 3 square. Rules: 1 when shaded. Images: the alignment.
    std::uint8_t variant = 0;
    StyleWord style = 0;
    Rect rect;
    // Distance from the top of the box to the line's baseline once the line is closed; boxes
    // that do not sit on the baseline (floats) use -1.
    int ascent = 0;
    int line = -1;  // index into the line list; -1 for floating images
    // Index into the text lines; kNoTextLine for floats and while the line is still open.
    std::uint32_t textLine = UINT32_MAX;
    // Images: HSPACE and VSPACE included in the rectangle.
    std::int16_t spaceX = 0;
    std::int16_t spaceY = 0;
    std::string_view text;
    const SurfaceFont* font = nullptr;
    const html::CHTMLElement* element = nullptr;  // the element the box was made for
    const html::CHTMLElement* anchor = nullptr;   // the link it belongs to, or none
};

inline bool IsFrame(const LayoutBox& box) {
    return box.kind == BoxKind::kTableFrame || box.kind == BoxKind::kCellFrame;
}

// Left and right images float at the margin, outside every line.
inline bool IsFloat(const LayoutBox& box) {
    return box.kind == BoxKind::kImage && (box.variant == kAlignLeft || box.variant == kAlignRight);
}

struct LineBox {
    int top = 0;
    int bottom = 0;
    int baseline = 0;
    std::uint32_t firstBox = 0;  // boxes [firstBox, next line's firstBox)
    std::uint32_t endBox = 0;
};

inline constexpr std::uint32_t kNoTextLine = UINT32_MAX;

inline constexpr std::uint32_t kNoCell = UINT32_MAX;

// A line as its own block laid it out, before a table's cells were merged into bands: the text
// lines are in document order (cell by cell, row by row), which selection follows.
struct TextLine {
    int top = 0;
    int bottom = 0;
    std::uint32_t cell = kNoCell;  // the table cell (or caption) it stands in, if any
};

struct DisplayList {
    // A deque: a long document's boxes grow without a moment where the old and the new copy of
    // them both sit in memory.
    std::deque<LayoutBox> boxes;
    std::vector<LineBox> lines;
    std::vector<TextLine> textLines;
    // The boxes of table cells and captions, nested ones after the cell holding them.
    std::vector<Rect> cells;
    // Texts made by layout (number labels, preformatted lines with tabs expanded); a deque so
    // the boxes' views stay valid while it grows.
    std::deque<std::string> madeText;
    // Indices of the floating images, which lie outside the line order.
    std::vector<std::uint32_t> floats;
    // Indices of the table frames and cell rules, outside every line: painted before the lines.
    std::vector<std::uint32_t> frames;
    // Indices of the form control boxes, whose windows follow the layout.
    std::vector<std::uint32_t> controls;
    void Clear() {
        boxes.clear();
        floats.clear();
        frames.clear();
        controls.clear();
        lines.clear();
        textLines.clear();
        cells.clear();
        madeText.clear();
    }
};

}  // namespace corvane::render
