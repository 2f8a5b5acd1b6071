#include "render/text_selection.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "html/form_elements.h"
#include "platform/utf8.h"
#include "render/control_boxes.h"

namespace corvane::render {
namespace {

bool HoldsText(const LayoutBox& box) {
    return box.kind == BoxKind::kText || box.kind == BoxKind::kNumber;
}

// The first byte of the box's text whose character's middle lies right of x.
std::size_t OffsetAt(const LayoutBox& box, int x) {
    if (x <= box.rect.left || box.text.empty()) return 0;
    if (x >= box.rect.right || box.font == nullptr) return box.text.size();
    double pen = box.rect.left;
    for (std::size_t at = 0; at < box.text.size();) {
        std::size_t length = 1;
        DecodeUtf8(box.text.substr(at), &length);
        length = std::max<std::size_t>(length, 1);
        const double width = box.font->TextAdvance(box.text.substr(at, length));
        if (pen + width / 2 > x) return at;
        pen += width;
        at += length;
    }
    return box.text.size();
}

// How far v lies outside [low, high); 0 inside.
long long Distance(int v, int low, int high) {
    if (v < low) return static_cast<long long>(low) - v;
    return v >= high ? static_cast<long long>(v) - high + 1 : 0;
}

// The boxes of a band: a closed one's range, or those after the last closed band.
std::pair<std::uint32_t, std::uint32_t> BoxesOfBand(const DisplayList& list, std::size_t band) {
    if (band < list.lines.size()) return {list.lines[band].firstBox, list.lines[band].endBox};
    const std::uint32_t open = list.lines.empty() ? 0 : list.lines.back().endBox;
    return {open, static_cast<std::uint32_t>(list.boxes.size())};
}

// In a table, the innermost cell holding the point, and of its lines the nearest up or down
// (the earlier on a tie), so that a point in a cell's empty part stays with that cell.
std::uint32_t LineInCellAt(const DisplayList& list, Point point) {
    std::uint32_t cell = kNoCell;
    for (std::uint32_t i = 0; i < list.cells.size(); ++i) {
        if (list.cells[i].Contains(point)) cell = i;  // nested cells come after their holder
    }
    if (cell == kNoCell) return kNoTextLine;
    std::uint32_t best = kNoTextLine;
    long long bestDistance = 0;
    for (std::uint32_t i = 0; i < list.textLines.size(); ++i) {
        const TextLine& line = list.textLines[i];
        if (line.cell != cell) continue;
        const long long distance = Distance(point.y, line.top, line.bottom);
        if (best == kNoTextLine || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

// Elsewhere, the band under the point or the next one below, and in it the text line of the box
// nearest across.
std::uint32_t LineInBandAt(const DisplayList& list, Point point) {
    auto band = std::partition_point(list.lines.begin(), list.lines.end(),
                                     [&](const LineBox& l) { return l.bottom <= point.y; });
    for (; band != list.lines.end(); ++band) {
        std::uint32_t best = kNoTextLine;
        long long bestDistance = 0;
        for (std::uint32_t i = band->firstBox; i < band->endBox; ++i) {
            const LayoutBox& box = list.boxes[i];
            if (box.textLine >= list.textLines.size()) continue;
            const long long distance = Distance(point.x, box.rect.left, box.rect.right);
            if (best == kNoTextLine || distance < bestDistance) {
                best = box.textLine;
                bestDistance = distance;
            }
        }
        if (best != kNoTextLine) return best;
    }
    return kNoTextLine;
}

}  // namespace

SelectionEnd SelectionEndAt(const DisplayList& list, Point point) {
    const auto open = static_cast<std::uint32_t>(list.textLines.size());
    std::uint32_t line = LineInCellAt(list, point);
    if (line == kNoTextLine) line = LineInBandAt(list, point);
    // Below every closed line: the line still open, or the end.
    if (line == kNoTextLine) return {open, point.x};
    const TextLine& text = list.textLines[line];
    if (point.y < text.top) return {line, INT_MIN};
    if (point.y >= text.bottom) return {line, INT_MAX};
    return {line, point.x};
}

OrderedSelection OrderSelection(const DisplayList& list, Point a, Point b) {
    SelectionEnd first = SelectionEndAt(list, a);
    SelectionEnd second = SelectionEndAt(list, b);
    if (second < first) std::swap(first, second);
    return {first, second};
}

std::uint32_t LineOf(const DisplayList& list, const LayoutBox& box) {
    if (box.textLine != kNoTextLine) return box.textLine;
    return IsFloat(box) || IsFrame(box) ? kNoTextLine
                                        : static_cast<std::uint32_t>(list.textLines.size());
}

TextRange SelectedPart(const DisplayList& list, const LayoutBox& box,
                       const OrderedSelection& selection) {
    const bool control = box.kind == BoxKind::kControl;
    if ((!HoldsText(box) && !control) || selection.IsEmpty()) return {};
    const std::uint32_t line = LineOf(list, box);
    if (line == kNoTextLine || line < selection.start.line || line > selection.end.line) return {};
    if (control) {
        // One character wide: in when its middle is.
        const int middle = box.rect.left + (box.rect.right - box.rect.left) / 2;
        const bool in = (line != selection.start.line || middle >= selection.start.x) &&
                        (line != selection.end.line || middle < selection.end.x);
        return in ? TextRange{0, box.text.size()} : TextRange{};
    }
    TextRange range{0, box.text.size()};
    if (line == selection.start.line) range.first = OffsetAt(box, selection.start.x);
    if (line == selection.end.line) range.last = OffsetAt(box, selection.end.x);
    return range;
}

std::string SelectedText(const DisplayList& list, const OrderedSelection& selection) {
    std::string text;  // grows geometrically, so a huge selection costs one walk
    if (selection.IsEmpty()) return text;
    // The selected boxes, from the bands the selection covers, put in reading order: by text
    // line, and along a line as laid out.
    const Rect area = SelectionArea(list, selection);
    std::vector<std::uint32_t> picked;
    auto band = static_cast<std::size_t>(
        std::partition_point(list.lines.begin(), list.lines.end(),
                             [&](const LineBox& l) { return l.bottom <= area.top; }) -
        list.lines.begin());
    for (; band <= list.lines.size(); ++band) {
        if (band < list.lines.size() && list.lines[band].top >= area.bottom) break;
        const auto [first, end] = BoxesOfBand(list, band);
        for (std::uint32_t i = first; i < end; ++i) {
            if (!SelectedPart(list, list.boxes[i], selection).IsEmpty()) picked.push_back(i);
        }
    }
    const auto byLine = [&](std::uint32_t a, std::uint32_t b) {
        return LineOf(list, list.boxes[a]) < LineOf(list, list.boxes[b]);
    };
    if (!std::is_sorted(picked.begin(), picked.end(), byLine))
        std::stable_sort(picked.begin(), picked.end(), byLine);

    std::uint32_t lastLine = kNoTextLine;
    int previousRight = 0;
    for (const std::uint32_t index : picked) {
        const LayoutBox& box = list.boxes[index];
        std::string shown;
        std::string_view piece;
        if (box.kind == BoxKind::kControl) {
            shown = ControlShownText(static_cast<const html::CHTMLControl&>(*box.element));
            piece = shown;
        } else {
            const TextRange part = SelectedPart(list, box, selection);
            piece = box.text.substr(part.first, part.last - part.first);
        }
        if (piece.empty()) continue;
        const std::uint32_t line = LineOf(list, box);
        if (lastLine != kNoTextLine && line != lastLine) text += '\n';
        // Pieces that stand apart are joined by one space, unless one of them holds it.
        if (line == lastLine && box.rect.left > previousRight && text.back() != ' ' &&
            piece.front() != ' ')
            text += ' ';
        text.append(piece);
        previousRight = box.rect.right;
        lastLine = line;
    }
    return text;
}

Rect SelectionArea(const DisplayList& list, const OrderedSelection& selection) {
    if (selection.IsEmpty()) return {};
    constexpr int kWide = 1 << 24;
    const auto closed = static_cast<std::uint32_t>(list.textLines.size());
    int top = INT_MAX;
    int bottom = INT_MIN;
    // Text lines follow the page down except inside tables, so every line in between counts.
    for (std::uint32_t line = selection.start.line; line <= selection.end.line && line < closed;
         ++line) {
        top = std::min(top, list.textLines[line].top);
        bottom = std::max(bottom, list.textLines[line].bottom);
    }
    if (selection.end.line >= closed) {
        // The open line: below the closed ones, as deep as its boxes.
        const int openTop = list.lines.empty() ? 0 : list.lines.back().bottom;
        top = std::min(top, openTop);
        bottom = std::max(bottom, openTop);
        const auto [first, end] = BoxesOfBand(list, list.lines.size());
        for (std::uint32_t i = first; i < end; ++i)
            bottom = std::max(bottom, list.boxes[i].rect.bottom);
    }
    return Rect{-kWide, top, kWide, bottom};
}

}  // namespace corvane::render
