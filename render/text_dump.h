#pragma once
// The laid-out document as UTF-8 text: one output line per laid-out line, boxes left to right
// with one space wherever a horizontal gap separates two of them, each line indented by the
// average character widths its first box stands from the left margin, and one empty line for
// each vertical gap of at least a line height. Bullets read "*", rules a row of "-", images
// "[" ALT "]" or "[IMAGE]".

#include <functional>
#include <string>
#include <string_view>

#include "render/layout_box.h"

namespace corvane::render {

struct DumpMetrics {
    int leftMargin = 10;
    int averageCharWidth = 8;
    int lineHeight = 16;
};

// Receives the dump a line at a time, each line with its newline.
using TextSink = std::function<void(std::string_view)>;

void WriteText(const DisplayList& list, const DumpMetrics& metrics, const TextSink& sink);
std::string DumpText(const DisplayList& list, const DumpMetrics& metrics);

}  // namespace corvane::render
