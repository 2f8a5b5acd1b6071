// Pages built to hurt: every one must lay out in time linear in its size, with boxes where the
// layout promises them.
#include <gtest/gtest.h>

#include "platform/scripted_host_services.h"
#include "render/flow_layout.h"
#include "render/text_dump.h"
#include "tests/html/build_document.h"
#include "tests/support/fixed_metrics_surface.h"

namespace corvane::render {
namespace {

class HostileLayoutTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(fonts.Create(FontSettings{}), CFontTable::Result::kOk); }
    const DisplayList& Lay(const std::string& html, int width = 620) {
        built = html::testing::BuildDocument(html);
        layout.SetDocument(built.document.get());
        layout.Restart(width);
        layout.Finish();
        return layout.Display();
    }
    void TearDown() override { layout.SetDocument(nullptr); }

    testing::FixedMetricsSurface surface;
    platform::ScriptedHostServices host;
    CFontTable fonts{surface, host};
    CFlowLayout layout{fonts};
    html::testing::Built built;
};

TEST_F(HostileLayoutTest, ThousandsOfFloatsStackDownThePage) {
    std::string page;
    for (int i = 0; i < 20000; ++i) page += "<img align=left alt=x>";
    const DisplayList& list = Lay(page + "text");
    ASSERT_EQ(list.floats.size(), 20000u);
    for (std::uint32_t index : list.floats) {
        const Rect& r = list.boxes[index].rect;
        EXPECT_LE(r.right, 610) << r.left;  // never past the right edge
        if (r.right > 610) break;
    }
    EXPECT_GT(list.boxes[list.floats.back()].rect.top, 20000 / 32 * 32);
}

TEST_F(HostileLayoutTest, DeepListsAndLongWordsOverflowButFinish) {
    std::string page;
    for (int i = 0; i < 3000; ++i) page += "<ul><li>x";
    page += std::string(1 << 20, 'w');
    const DisplayList& list = Lay(page);
    EXPECT_EQ(list.lines.size(), 3000u);  // one item per line; the word joins the last "x"
    EXPECT_EQ(list.boxes.back().text.size(), (1u << 20) + 1);
    // Indents stop where a line would keep less than a quarter of the flow (155 pixels).
    EXPECT_EQ(list.boxes.back().rect.left, 10 + 600 - 150);
    EXPECT_EQ(layout.DocumentWidth(), 10 + 600 - 150 + 8 * ((1 << 20) + 1) + 10);
    // The dump does not repeat the indents: its size grows with the page.
    EXPECT_LT(DumpText(list, DumpMetrics{}).size(), 3000u * (620 / 8 + 2) + (1u << 20));
}

TEST_F(HostileLayoutTest, HugeAttributesAreBounded) {
    const DisplayList& list =
        Lay("<hr width=2147483647 size=2147483647><hr width=-2147483647%>"
            "<img width=2147483647 height=2147483647 hspace=2147483647 vspace=-5>");
    for (const LayoutBox& box : list.boxes) {
        EXPECT_GE(box.rect.Width(), 0);
        EXPECT_GE(box.rect.Height(), 0);
        EXPECT_LT(box.rect.right, 1 << 24);
        EXPECT_LT(box.rect.bottom, 1 << 24);
    }
}

}  // namespace
}  // namespace corvane::render
