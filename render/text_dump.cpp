#include "render/text_dump.h"

#include <algorithm>
#include <vector>

namespace corvane::render {
namespace {

struct Row {
    int top = 0;
    int bottom = 0;
    std::vector<const LayoutBox*> boxes;
};

void AppendBox(std::string& out, const LayoutBox& box, const DumpMetrics& metrics) {
    switch (box.kind) {
        case BoxKind::kText:
        case BoxKind::kNumber:
            AppendLatin1AsUtf8(out, box.text);
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
                AppendLatin1AsUtf8(out, box.text);
            }
            out += ']';
            break;
    }
}

void AppendRow(std::string& out, Row& row, const DumpMetrics& metrics) {
    std::stable_sort(
        row.boxes.begin(), row.boxes.end(),
        [](const LayoutBox* a, const LayoutBox* b) { return a->rect.left < b->rect.left; });
    const int indent =
        (row.boxes.front()->rect.left - metrics.leftMargin) / std::max(1, metrics.averageCharWidth);
    std::string line(std::max(0, indent), ' ');
    int right = row.boxes.front()->rect.left;
    for (const LayoutBox* box : row.boxes) {
        if (box->rect.left > right && !line.empty() && line.back() != ' ') line += ' ';
        AppendBox(line, *box, metrics);
        right = std::max(right, box->rect.right);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line;
    out += '\n';
}

}  // namespace

void AppendLatin1AsUtf8(std::string& out, std::string_view latin1) {
    for (unsigned char c : latin1) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

std::string DumpText(const DisplayList& list, const DumpMetrics& metrics) {
    // Rows in document order: every line, and every floating image on its own.
    std::vector<Row> rows;
    size_t nextLine = 0;
    size_t lineRow = 0;
    for (size_t i = 0; i < list.boxes.size(); ++i) {
        const LayoutBox& box = list.boxes[i];
        if (IsFloat(box)) {
            rows.push_back(Row{box.rect.top, box.rect.bottom, {&box}});
            continue;
        }
        if (box.line < 0) continue;  // on the line still open
        if (static_cast<size_t>(box.line) >= nextLine) {
            const LineBox& line = list.lines[box.line];
            rows.push_back(Row{line.top, line.bottom, {}});
            nextLine = box.line + 1;
            lineRow = rows.size() - 1;
        }
        rows[lineRow].boxes.push_back(&box);
    }

    std::string out;
    const Row* previous = nullptr;
    for (Row& row : rows) {
        if (previous && row.top - previous->bottom >= metrics.lineHeight) out += '\n';
        AppendRow(out, row, metrics);
        previous = &row;
    }
    return out;
}

}  // namespace corvane::render
