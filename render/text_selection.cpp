#include "render/text_selection.h"

#include <algorithm>
#include <climits>

#include "platform/utf8.h"

namespace corvane::render {
namespace {

constexpr std::uint32_t kNoLine = UINT32_MAX;

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

// The boxes of a line: a closed line's range, or those after the last closed line.
std::pair<std::uint32_t, std::uint32_t> BoxesOfLine(const DisplayList& list, std::uint32_t line) {
    if (line < list.lines.size()) return {list.lines[line].firstBox, list.lines[line].endBox};
    const std::uint32_t open = list.lines.empty() ? 0 : list.lines.back().endBox;
    return {open, static_cast<std::uint32_t>(list.boxes.size())};
}

}  // namespace

SelectionEnd SelectionEndAt(const DisplayList& list, Point point) {
    const auto line = std::partition_point(list.lines.begin(), list.lines.end(),
                                           [&](const LineBox& l) { return l.bottom <= point.y; });
    const auto index = static_cast<std::uint32_t>(line - list.lines.begin());
    if (line != list.lines.end() && point.y < line->top) return {index, INT_MIN};
    return {index, point.x};
}

OrderedSelection OrderSelection(const DisplayList& list, Point a, Point b) {
    SelectionEnd first = SelectionEndAt(list, a);
    SelectionEnd second = SelectionEndAt(list, b);
    if (second < first) std::swap(first, second);
    return {first, second};
}

std::uint32_t LineOf(const DisplayList& list, const LayoutBox& box) {
    if (box.line >= 0) return static_cast<std::uint32_t>(box.line);
    return IsFloat(box) ? kNoLine : static_cast<std::uint32_t>(list.lines.size());
}

TextRange SelectedPart(const DisplayList& list, const LayoutBox& box,
                       const OrderedSelection& selection) {
    if (!HoldsText(box) || selection.IsEmpty()) return {};
    const std::uint32_t line = LineOf(list, box);
    if (line == kNoLine || line < selection.start.line || line > selection.end.line) return {};
    TextRange range{0, box.text.size()};
    if (line == selection.start.line) range.first = OffsetAt(box, selection.start.x);
    if (line == selection.end.line) range.last = OffsetAt(box, selection.end.x);
    return range;
}

std::string SelectedText(const DisplayList& list, const OrderedSelection& selection) {
    std::string text;  // grows geometrically, so a huge selection costs one walk
    if (selection.IsEmpty()) return text;
    const auto lastLine =
        std::min<std::uint32_t>(selection.end.line, static_cast<std::uint32_t>(list.lines.size()));
    bool anyLine = false;
    for (std::uint32_t line = selection.start.line; line <= lastLine; ++line) {
        const auto [first, end] = BoxesOfLine(list, line);
        bool lineStarted = false;
        int previousRight = 0;
        for (std::uint32_t i = first; i < end; ++i) {
            const LayoutBox& box = list.boxes[i];
            const TextRange part = SelectedPart(list, box, selection);
            if (part.IsEmpty()) continue;
            if (!lineStarted && anyLine) text += '\n';
            if (lineStarted && box.rect.left > previousRight) text += ' ';
            text.append(box.text.substr(part.first, part.last - part.first));
            previousRight = box.rect.right;
            lineStarted = anyLine = true;
        }
    }
    return text;
}

Rect SelectionArea(const DisplayList& list, const OrderedSelection& selection) {
    if (selection.IsEmpty()) return {};
    constexpr int kWide = 1 << 24;
    const auto top = [&](std::uint32_t line) {
        if (line < list.lines.size()) return list.lines[line].top;
        return list.lines.empty() ? 0 : list.lines.back().bottom;
    };
    const auto bottom = [&](std::uint32_t line) {
        if (line < list.lines.size()) return list.lines[line].bottom;
        int deepest = top(line);
        const auto [first, end] = BoxesOfLine(list, line);
        for (std::uint32_t i = first; i < end; ++i)
            deepest = std::max(deepest, list.boxes[i].rect.bottom);
        return deepest;
    };
    return Rect{-kWide, top(selection.start.line), kWide, bottom(selection.end.line)};
}

}  // namespace corvane::render
