#include "render/text_dump.h"

#include <algorithm>
#include <vector>

namespace corvane::render {
namespace {

void AppendBox(std::string& out, const LayoutBox& box, const DumpMetrics& metrics) {
    switch (box.kind) {
        case BoxKind::kText:
        case BoxKind::kNumber:
        case BoxKind::kControl:
            out += box.text;
            break;
        case BoxKind::kBullet:
            out += '*';
            break;
        case BoxKind::kRule:
            out.append(std::max(1, box.rect.Width() / std::max(1, metrics.averageCharWidth)), '-');
            break;
        case BoxKind::kImage:
            out += '[';
            if (box.text.empty()) {
                out += "IMAGE";
            } else {
                out += box.text;
            }
            out += ']';
            break;
        case BoxKind::kTableFrame:
        case BoxKind::kCellFrame:
            break;
    }
}

// Where a box sits on its line: its baseline, or for a box aligned by its top, where the
// baseline of text at that top would be.
int BaselineOf(const LayoutBox& box, const DumpMetrics& metrics) {
    return box.rect.top + (box.ascent >= 0 ? box.ascent : metrics.lineHeight * 3 / 4);
}

}  // namespace

// Writes rows as they close, so a long document never sits in memory a second time as text. A
// band of table cells holds lines at several heights: each height becomes a line of its own.
void CTextStream::WriteRow(Row& row) {
    const int apart = std::max(1, metrics_.lineHeight / 2);
    const auto baseline = [&](const LayoutBox* box) { return BaselineOf(*box, metrics_); };
    const auto [low, high] = std::minmax_element(
        row.boxes.begin(), row.boxes.end(),
        [&](const LayoutBox* a, const LayoutBox* b) { return baseline(a) < baseline(b); });
    if (baseline(*high) - baseline(*low) < apart) {
        WriteLine(row.top, row.boxes);
    } else {
        std::stable_sort(
            row.boxes.begin(), row.boxes.end(),
            [&](const LayoutBox* a, const LayoutBox* b) { return baseline(a) < baseline(b); });
        std::vector<const LayoutBox*> part;
        int top = row.top;
        for (std::size_t i = 0; i < row.boxes.size();) {
            const int first = baseline(row.boxes[i]);
            part.clear();
            while (i < row.boxes.size() && baseline(row.boxes[i]) - first < apart)
                part.push_back(row.boxes[i++]);
            WriteLine(top, part);
            top = previousBottom_;
        }
    }
    previousBottom_ = row.bottom;
}

void CTextStream::WriteLine(int top, std::vector<const LayoutBox*>& boxes) {
    line_.clear();
    if (written_ && top - previousBottom_ >= metrics_.lineHeight) line_ += '\n';
    const auto byLeft = [](const LayoutBox* a, const LayoutBox* b) {
        return a->rect.left < b->rect.left;
    };
    // Boxes mostly come left to right; sorting them anyway would allocate for every line.
    if (!std::is_sorted(boxes.begin(), boxes.end(), byLeft))
        std::stable_sort(boxes.begin(), boxes.end(), byLeft);
    const int indent =
        (boxes.front()->rect.left - metrics_.leftMargin) / std::max(1, metrics_.averageCharWidth);
    line_.append(std::max(0, indent), ' ');
    const std::size_t textStart = line_.size();
    int right = boxes.front()->rect.left;
    for (const LayoutBox* box : boxes) {
        if (box->rect.left > right && line_.size() > textStart && line_.back() != ' ') line_ += ' ';
        AppendBox(line_, *box, metrics_);
        right = std::max(right, box->rect.right);
    }
    while (!line_.empty() && line_.back() == ' ') line_.pop_back();
    line_ += '\n';
    sink_(line_);
    written_ = true;
    previousBottom_ = top;
}

void WriteText(const DisplayList& list, const DumpMetrics& metrics, const TextSink& sink) {
    CTextStream(metrics, sink).Write(list);
}

void CTextStream::Write(const DisplayList& list) {
    // Rows in document order: every line, and every floating image on its own. A line is
    // written when the next one starts; floats met inside it follow it.
    Row line;
    bool lineOpen = false;
    std::vector<const LayoutBox*> floatsInLine;
    const auto closeLine = [&] {
        if (lineOpen) WriteRow(line);
        lineOpen = false;
        for (const LayoutBox* box : floatsInLine) {
            Row row{box->rect.top, box->rect.bottom, {box}};
            WriteRow(row);
        }
        floatsInLine.clear();
    };
    size_t nextLine = 0;
    for (const LayoutBox& box : list.boxes) {
        if (IsFloat(box)) {
            floatsInLine.push_back(&box);
            if (!lineOpen) closeLine();
            continue;
        }
        if (box.line < 0) continue;  // on the line still open
        if (static_cast<size_t>(box.line) >= nextLine) {
            closeLine();
            const LineBox& lineBox = list.lines[box.line];
            line.top = lineBox.top;
            line.bottom = lineBox.bottom;
            line.boxes.clear();
            lineOpen = true;
            nextLine = box.line + 1;
        }
        line.boxes.push_back(&box);
    }
    closeLine();
}

std::string DumpText(const DisplayList& list, const DumpMetrics& metrics) {
    std::string out;
    WriteText(list, metrics, [&out](std::string_view line) { out += line; });
    return out;
}

}  // namespace corvane::render
