// The dump of a display list built by hand: floats keep their place in document order around
// the line they interrupt, and each line reaches the sink as soon as it is complete.
#include "render/text_dump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane::render {
namespace {

LayoutBox Text(int line, Rect rect, std::string_view text) {
    LayoutBox box;
    box.line = line;
    box.rect = rect;
    box.text = text;
    return box;
}

LayoutBox LeftImage(Rect rect, std::string_view alt) {
    LayoutBox box;
    box.kind = BoxKind::kImage;
    box.variant = kAlignLeft;
    box.rect = rect;
    box.text = alt;
    return box;
}

TEST(TextDumpTest, FloatsFollowTheLineTheyInterruptAndLinesStreamOneByOne) {
    DisplayList list;
    list.lines = {LineBox{20, 36, 32, 1, 4}, LineBox{80, 96, 92, 4, 5}};
    list.boxes = {
        LeftImage({10, 0, 50, 10}, ""),              // before any line: first
        Text(0, {10, 20, 26, 36}, "Aa"),             //
        LeftImage({10, 20, 50, 60}, "pic"),          // inside line 0: after it
        Text(0, {50, 20, 74, 36}, "\u00e9t\u00e9"),  // a gap before it
        Text(1, {26, 80, 34, 96}, "C"),              // 20 pixels below the float: a blank line
    };
    std::vector<std::string> calls;
    WriteText(list, DumpMetrics{}, [&calls](std::string_view line) { calls.emplace_back(line); });
    EXPECT_EQ(calls, (std::vector<std::string>{"[IMAGE]\n", "Aa \xc3\xa9t\xc3\xa9\n", "[pic]\n",
                                               "\n  C\n"}));
    EXPECT_EQ(DumpText(list, DumpMetrics{}), "[IMAGE]\nAa \xc3\xa9t\xc3\xa9\n[pic]\n\n  C\n");
}

}  // namespace
}  // namespace corvane::render
