// Tables laid out with the fixed-metrics surface at 96 dpi: the body font is 16 pixels high with
// an ascent of 12 and 8 pixels per character; lines are 18 apart. The flow starts at x 10, y 20
// and is 600 wide. Defaults: frame space 1, cell rules 2, spacing 2, padding 1, so a cell's text
// starts 5 pixels right of and below the table's corner, and one line makes a row 20 high.
#include "render/table_layout.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/scripted_host_services.h"
#include "render/flow_layout.h"
#include "render/text_dump.h"
#include "tests/html/build_document.h"
#include "tests/support/fixed_metrics_surface.h"

namespace corvane::render {
namespace {

using Strings = std::vector<std::string>;

class TableLayoutTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(fonts.Create(FontSettings{}), CFontTable::Result::kOk); }
    void TearDown() override { layout.SetDocument(nullptr); }

    const DisplayList& Lay(std::string_view html, int width = 620) {
        built = html::testing::BuildDocument(html);
        layout.SetDocument(built.document.get());
        layout.Restart(width);
        layout.Finish();
        return layout.Display();
    }
    // Text boxes as "text@x,y".
    Strings Placed(std::string_view html, int width = 620) {
        Strings placed;
        for (const LayoutBox& box : Lay(html, width).boxes) {
            if (box.kind != BoxKind::kText) continue;
            placed.push_back(std::string(box.text) + "@" + std::to_string(box.rect.left) + "," +
                             std::to_string(box.rect.top));
        }
        return placed;
    }
    std::string Dump(std::string_view html, int width = 620) {
        return DumpText(Lay(html, width), DumpMetrics{});
    }
    // Frames as "table:l,t,r,b" or "cell:l,t,r,b".
    Strings Frames() {
        Strings frames;
        for (const std::uint32_t index : layout.Display().frames) {
            const LayoutBox& box = layout.Display().boxes[index];
            const Rect& r = box.rect;
            frames.push_back(std::string(box.kind == BoxKind::kTableFrame ? "table:" : "cell:") +
                             std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                             std::to_string(r.right) + "," + std::to_string(r.bottom));
        }
        return frames;
    }

    testing::FixedMetricsSurface surface;
    platform::ScriptedHostServices host;
    CFontTable fonts{surface, host};
    CFlowLayout layout{fonts};
    html::testing::Built built;
};

TEST_F(TableLayoutTest, WidthsFollowTheCellsAndTheTableWidth) {
    struct Case {
        const char* name;
        const char* html;
        Strings placed;
    };
    const Case cases[] = {
        // Cells of 20 + 2 pixels; overhead 2 * 1 + 3 * 2 + 2 * 2 = 12: 56 wide, not 600.
        {"two small cells", "<table><tr><td>a<td>b</table>", {"a@15,25", "b@41,25"}},
        // 588 pixels for maxima 22 and 50: shares 157 and 358 plus the pixel lost to rounding.
        {"a full width table shares by the maxima",
         "<table width=100%><tr><td>a<td>bbbbbb</table>",
         {"a@15,25", "bbbbbb@198,25"}},
        // 288 pixels: the fixed column keeps 50, the other takes the rest.
        {"a fixed column takes no extra width",
         "<table width=300><tr><td width=50>a<td>b</table>",
         {"a@15,25", "b@69,25"}},
        // The spanning cell needs 82 over 22 + 4 + 26: 30 more, 13 and 17 by the maxima.
        {"a spanning cell widens its columns in proportion",
         "<table><tr><td colspan=2>wwwwwwwwww<tr><td>a<td>bbb</table>",
         {"wwwwwwwwww@15,25", "a@15,49", "bbb@54,49"}},
        // No frame, no rules, no space for them.
        {"BORDER=0", "<table border=0><tr><td>a<td>b</table>", {"a@13,23", "b@37,23"}},
        {"a bare BORDER", "<table border><tr><td>a<td>b</table>", {"a@15,25", "b@41,25"}},
        // Table width 56 in a flow of 600.
        {"centred", "<table align=center><tr><td>a<td>b</table>", {"a@287,25", "b@313,25"}},
        {"right", "<table align=right><tr><td>a<td>b</table>", {"a@559,25", "b@585,25"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Placed(c.html), c.placed) << c.name;
}

TEST_F(TableLayoutTest, BordersDrawAFrameAndCellRulesOnlyWhenAsked) {
    Lay("<table><tr><td>a</table>");
    EXPECT_TRUE(Frames().empty());
    Lay("<table border=0><tr><td>a</table>");
    EXPECT_TRUE(Frames().empty());
    Lay("<table border><tr><td>a<td>b</table>");
    EXPECT_EQ(Frames(), (Strings{"table:10,20,66,49", "cell:14,24,36,44", "cell:40,24,62,44"}));
}

TEST_F(TableLayoutTest, CellsOfARowDumpSideBySide) {
    EXPECT_EQ(Dump("<p>before<table><tr><th>Name<th>Size<tr><td>alpha<td>1<tr><td>b<td>22"
                   "</table>after"),
              "before\n Name Size\nalpha 1\nb 22\nafter\n");
}

}  // namespace
}  // namespace corvane::render
