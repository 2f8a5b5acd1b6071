#pragma once
// The laid-out document as UTF-8 text: one output line per laid-out line, boxes left to right
// with one space wherever a horizontal gap separates two of them, each line indented by the
// average character widths its first box stands from the left margin, and one empty line for
// each vertical gap of at least a line height. Bullets read "*", rules a row of "-", images
// "[" ALT "]" or "[IMAGE]".

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "render/layout_box.h"

namespace corvane::render {

struct DumpMetrics {
    int leftMargin = 10;
    int averageCharWidth = 8;
    int lineHeight = 16;
};

// Receives the dump a line at a time, each line with its newline.
using TextSink = std::function<void(std::string_view)>;

// Writes the closed lines of a display list that grows as a document is laid out. Between two
// calls to Write, the layout drops what was written (so a long document is not held whole);
// the blank lines between rows are reckoned across calls.
class CTextStream {
  public:
    CTextStream(const DumpMetrics& metrics, TextSink sink)
        : metrics_(metrics), sink_(std::move(sink)) {}
    // Writes every closed line and the floating images among them; the open line waits.
    void Write(const DisplayList& list);

  private:
    struct Row {
        int top = 0;
        int bottom = 0;
        std::vector<const LayoutBox*> boxes;
    };
    void WriteRow(Row& row);
    void WriteLine(int top, std::vector<const LayoutBox*>& boxes);

    DumpMetrics metrics_;
    TextSink sink_;
    std::string line_;
    bool written_ = false;
    int previousBottom_ = 0;
};

void WriteText(const DisplayList& list, const DumpMetrics& metrics, const TextSink& sink);
std::string DumpText(const DisplayList& list, const DumpMetrics& metrics);

}  // namespace corvane::render
