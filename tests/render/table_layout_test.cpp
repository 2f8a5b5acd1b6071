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

TEST_F(TableLayoutTest, WidthsCaptionsAndFloatsPlaceTheCells) {
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
        // The table is 30 wide; the caption as wide, its text centred in it.
        {"caption above",
         "<table><caption>cap</caption><tr><td>a</table>",
         {"cap@13,21", "a@15,45"}},
        {"caption below",
         "<table><caption align=bottom>cap</caption><tr><td>a</table>",
         {"a@15,25", "cap@13,50"}},
        // A caption wider than the table is centred over it, the table under its middle.
        {"wide caption",
         "<table><caption>caption</caption><tr><td>a</table>",
         {"caption@11,21", "a@29,45"}},
        // The placeholder floats at 10..42 and 20..52.
        {"beside a float", "<img align=left><table><tr><td>a</table>", {"a@47,25"}},
        {"too wide beside a float goes below it",
         "<img align=left><table width=590><tr><td>a</table>",
         {"a@15,57"}},
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

// Worked out by hand (boxes come in lines from the top): widths 22, 39, 39 (the spanning cell's 82
// shared over columns 1 and 2), row tops 24, 48, 90 with heights 20, 38, 20; the spanning "a" sits
// in the middle of its 62.
TEST_F(TableLayoutTest, SpansAndVerticalAlignment) {
    EXPECT_EQ(Placed("<table><tr><td rowspan=2>a<td colspan=2>bbbbbbbbbb"
                     "<tr><td valign=bottom>c<td valign=top>d<br>d<tr><td>e<td>f<td>g</table>"),
              (Strings{"bbbbbbbbbb@41,25", "a@15,46", "d@84,49", "c@41,67", "d@84,67", "e@15,91",
                       "f@41,91", "g@84,91"}));
    // The size 7 "X" is 48 high with an ascent of 36: the "y" moves down 24 to share its
    // baseline.
    EXPECT_EQ(Placed("<table><tr><td valign=baseline><font size=7>X</font>"
                     "<td valign=baseline>y</table>"),
              (Strings{"X@15,25", "y@45,49"}));
}

// Widths from the page are bounded, so no sum overflows and the page still lays out.
TEST_F(TableLayoutTest, HugeAttributesStayBounded) {
    const DisplayList& list =
        Lay("<table width=2147483647 cellspacing=2147483647 border=99999><tr>"
            "<td colspan=2147483647 width=2147483647>a<td width=200%>b</table>");
    ASSERT_EQ(list.boxes.size(), 2u + 3u);  // the texts, the frame and two cell rules
    for (const LayoutBox& box : list.boxes) {
        EXPECT_GE(box.rect.left, 0);
        EXPECT_LT(box.rect.right, 1 << 30);
    }
}

// Hostile tables: all of them lay out with every cell's text in the dump.
TEST_F(TableLayoutTest, HostileTablesKeepEveryCell) {
    const auto count = [](const std::string& text, char c) {
        return static_cast<int>(std::count(text.begin(), text.end(), c));
    };
    std::string wide = "<table><tr>";
    for (int i = 0; i < 100000; ++i) wide += "<td>x";
    // Past 1000 columns the cells go on in rows of their own.
    EXPECT_EQ(count(Dump(wide), 'x'), 100000);
    EXPECT_EQ(layout.Display().lines.size(), 100u);

    std::string tall = "<table>";
    for (int i = 0; i < 100000; ++i) tall += "<tr><td>y";
    EXPECT_EQ(count(Dump(tall), 'y'), 100000);

    std::string deep;
    for (int i = 0; i < 1000; ++i) deep += "<table border><tr><td>z";
    EXPECT_EQ(count(Dump(deep), 'z'), 1000);

    // A cell over every column and all the rows there are: the next cell goes below it, and the
    // table is as tall as its two rows, not the 65534 the cell asked for.
    EXPECT_EQ(Dump("<table><tr><td colspan=1000 rowspan=65534>x<tr><td>y</table>"), "x\ny\n");
    EXPECT_LT(layout.DocumentHeight(), 200);

    const std::string word(1 << 20, 'w');
    EXPECT_EQ(count(Dump("<table><tr><td>" + word + "<td>v</table>"), 'w'), 1 << 20);
}

}  // namespace
}  // namespace corvane::render
