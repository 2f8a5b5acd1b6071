// Page geometry, page breaks and the printed page, with the fixed-metrics surface (body lines 18
// apart from y 20, header and footer in a face of their own).
#include "render/print_pages.h"

#include <gtest/gtest.h>

#include "platform/scripted_host_services.h"
#include "render/html_view.h"
#include "tests/html/build_document.h"
#include "tests/support/fixed_metrics_surface.h"

namespace corvane::render {
namespace {

TEST(PrintGeometry, ScreenUnitsOfThePrintablePage) {
    struct Case {
        const char* name;
        PrinterPage printer;
        int layoutWidth;
        PrintGeometry expected;
    };
    const Case cases[] = {
        // 8 by 10.5 inches printable at 600 dpi: an inch less for header and footer.
        {"letter at 600 dpi", {4800, 6300, 600, 600}, 700, {96, 768, 912}},
        {"the same at 300 dpi", {2400, 3150, 300, 300}, 700, {96, 768, 912}},
        {"anisotropic printer", {2400, 6300, 300, 600}, 700, {96, 768, 912}},
        // A layout wider than the paper is shown smaller, nothing cut off.
        {"wide layout", {4800, 6300, 600, 600}, 1536, {192, 1536, 1824}},
        {"no room below the inch", {4800, 500, 600, 600}, 700, {96, 768, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PrintGeometry g = ComputePrintGeometry(c.printer, 96, c.layoutWidth);
        EXPECT_EQ(g.inch, c.expected.inch);
        EXPECT_EQ(g.pageWidth, c.expected.pageWidth);
        EXPECT_EQ(g.pageHeight, c.expected.pageHeight);
    }
}

// A single image fills one page: by its height, or by its width when it is the wider.
TEST(PrintGeometry, ASingleImageIsOnePage) {
    const PrinterPage letter{4800, 6300, 600, 600};  // 768 by 912 screen units of body
    const struct {
        Rect image;
        PrintGeometry expected;
    } cases[] = {
        {{8, 8, 408, 1808}, {190, 1522, 1808}},
        {{8, 8, 3008, 308}, {376, 3008, 3572}},
    };
    for (const auto& c : cases) {
        const PrintGeometry g = ComputeImagePrintGeometry(letter, 96, c.image);
        EXPECT_EQ(g.inch, c.expected.inch);
        EXPECT_EQ(g.pageWidth, c.expected.pageWidth);
        EXPECT_EQ(g.pageHeight, c.expected.pageHeight);
        DisplayList list;
        list.boxes.push_back(LayoutBox{});
        list.boxes.back().rect = c.image;
        EXPECT_EQ(PageStarts(list, g.pageHeight).size(), 1u);
    }
}

TEST(PrintGeometry, PagesBreakAboveACutLine) {
    DisplayList list;
    for (int i = 0; i < 10; ++i) list.lines.push_back(LineBox{20 + 18 * i, 38 + 18 * i});
    // Lines end at 200: page ends 100 and 192 fall inside lines 4 (92..110) and 9 (182..200).
    EXPECT_EQ(PageStarts(list, 100), (std::vector<int>{0, 92, 182}));
    EXPECT_EQ(PageStarts(DisplayList{}, 100), (std::vector<int>{0}));
    // A line taller than a page cannot move: the page cuts it.
    DisplayList tall;
    tall.lines.push_back(LineBox{0, 250});
    EXPECT_EQ(PageStarts(tall, 100), (std::vector<int>{0, 100, 200}));
}

class PrintPageTest : public ::testing::Test {
  protected:
    void Show(const std::string& html) {
        ASSERT_TRUE(view.ApplySettings(ViewSettings{}));
        view.OnSize(620, 400);
        view.OnRelayout();
        built = html::testing::BuildDocument(html);
        view.SetDocument(built.document.get(), built.document->url(), "");
        view.Finish();
    }
    testing::FixedMetricsSurface surface;
    platform::ScriptedHostServices host;
    CHiddenViewWindow window;
    CHTMLView view{surface, host, window};
    html::testing::Built built;
};

TEST_F(PrintPageTest, FortyOnePagesEachWithHeaderAndFooter) {
    std::string page;
    for (int i = 0; i < 203; ++i) page += "line " + std::to_string(i) + "<br>";
    Show(page);
    // Five lines of 18 a page, three on the first below the top margin.
    const PrintGeometry geometry{96, 620, 90};
    const std::vector<int> starts = PageStarts(view.Layout().Display(), geometry.pageHeight);
    ASSERT_EQ(starts.size(), 41u);
    std::tm date{};
    date.tm_year = 126;
    date.tm_mon = 11;
    date.tm_mday = 7;
    const PageFrame frame{"Title", "http://example.org/long", PrintDate(date)};
    EXPECT_EQ(frame.date, "12/7/2026");

    surface.calls.clear();
    PrintPage(surface, view, geometry, starts, 41, frame);
    const std::vector<std::string> texts = surface.Texts();
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[0], "Title");
    EXPECT_EQ(texts[1], "http://example.org/long");
    EXPECT_EQ(texts[2], "Page 41 of 41");
    EXPECT_EQ(texts[3], "12/7/2026");
    // The body of the last page: its lines, below the header's half inch.
    EXPECT_NE(std::find(texts.begin(), texts.end(), "line 202"), texts.end());
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "line 197"), texts.end());
    for (const auto& call : surface.calls) {
        if (call.text == "line 202") {
            EXPECT_GE(call.rect.top, geometry.BodyTop());
        }
        if (call.text == "12/7/2026") {
            EXPECT_EQ(call.rect.right, 620);
            EXPECT_EQ(call.rect.top, geometry.FooterTop());
        }
    }
}

}  // namespace
}  // namespace corvane::render
