#include "render/document_painter.h"

#include <gtest/gtest.h>

#include <deque>

#include "platform/scripted_host_services.h"
#include "render/layout_context.h"
#include "tests/support/fixed_metrics_surface.h"

namespace corvane::render {
namespace {

using Call = testing::FixedMetricsSurface::Call;

// Stand-ins for elements: painting only compares their addresses.
const auto* const kLink = reinterpret_cast<const html::CHTMLElement*>(0x1000);
const auto* const kVisitedLink = reinterpret_cast<const html::CHTMLElement*>(0x2000);

class DocumentPainterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(fonts.Create(FontSettings{}), CFontTable::Result::kOk);
        queries.isVisited = [](const html::CHTMLElement* a) { return a == kVisitedLink; };
    }
    void Paint(const Rect& area) {
        surface.calls.clear();
        CDocumentPainter painter(surface, colors, queries, fonts.FontFor(0));
        painter.PaintBoxes(list, area);
    }
    std::vector<Call> CallsOf(Call::Kind kind) const {
        std::vector<Call> found;
        for (const Call& call : surface.calls) {
            if (call.kind == kind) found.push_back(call);
        }
        return found;
    }

    testing::FixedMetricsSurface surface;
    platform::ScriptedHostServices host;
    CFontTable fonts{surface, host};
    DisplayList list;
    CLayoutContext context{fonts, list, 10, 20, 600};
    ColorScheme colors;
    PaintQueries queries;
};

TEST_F(DocumentPainterTest, LinksTakeTheirColoursAndUnderlines) {
    context.PlaceText(nullptr, "plain ", 0, nullptr);
    context.PlaceText(nullptr, "link ", 0, kLink);
    context.PlaceText(nullptr, "seen ", kStyleBold, kVisitedLink);
    context.PlaceText(nullptr, "under", kStyleUnderline, nullptr);
    context.Finish();

    queries.pressedAnchor = nullptr;
    Paint(Rect{0, 0, 800, 600});
    const auto texts = CallsOf(Call::kText);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].color, colors.text);
    EXPECT_EQ(texts[1].color, colors.link);
    EXPECT_EQ(texts[2].color, colors.visitedLink);
    EXPECT_EQ(texts[3].color, colors.text);
    // One underline for the link and the underlined text, two for the bold link; 3 and 2 pixels
    // above the fragment's bottom (36).
    const auto lines = CallsOf(Call::kLine);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].rect, (Rect{58, 33, 98, 33}));
    EXPECT_EQ(lines[1].rect.top, 33);
    EXPECT_EQ(lines[2].rect.top, 34);
    EXPECT_EQ(lines[3].color, colors.text);

    queries.pressedAnchor = kLink;
    Paint(Rect{0, 0, 800, 600});
    EXPECT_EQ(CallsOf(Call::kText)[1].color, colors.activeLink);

    colors.underlineLinks = false;
    Paint(Rect{0, 0, 800, 600});
    EXPECT_EQ(CallsOf(Call::kLine).size(), 1u);
}

TEST_F(DocumentPainterTest, OnlyLinesMeetingTheClipArePainted) {
    std::deque<std::string> texts;  // the boxes keep views of their element's text
    for (int i = 0; i < 100; ++i) {
        context.PlaceText(nullptr, texts.emplace_back("line " + std::to_string(i)), 0, nullptr);
        context.Break(BreakKind::kEndOfLine);
    }
    context.Finish();
    // Line i spans 20 + 18 i to 38 + 18 i.
    Paint(Rect{0, 20 + 18 * 10 + 5, 800, 20 + 18 * 12});
    std::vector<std::string> drawn;
    for (const Call& call : CallsOf(Call::kText)) drawn.push_back(call.text);
    EXPECT_EQ(drawn, (std::vector<std::string>{"line 10", "line 11"}));
}

TEST_F(DocumentPainterTest, AHugeWordIsDrawnOnlyWhereItMeetsTheClip) {
    std::string word(5 << 20, ' ');
    for (std::size_t i = 0; i < word.size(); ++i) word[i] = static_cast<char>('a' + i % 26);
    context.PlaceText(nullptr, word, 0, nullptr);
    context.Finish();
    // 8 pixels a character from x 10; the body font is 16 high.
    for (const int left : {0, 80'000, 8 * (5 << 20) - 400}) {
        const Rect area{left, 0, left + 800, 600};
        surface.SetClip(area);
        Paint(area);
        const auto texts = CallsOf(Call::kText);
        ASSERT_EQ(texts.size(), 1u);
        const Call& drawn = texts[0];
        EXPECT_LE(drawn.text.size(), 2 * 1024 + 800 / 8 + 4);
        EXPECT_LE(drawn.rect.left, std::max(10, left - 16));
        EXPECT_GE(drawn.rect.right, std::min(10 + 8 * (5 << 20), left + 800 + 16));
        const std::size_t first = static_cast<std::size_t>(drawn.rect.left - 10) / 8;
        EXPECT_EQ(drawn.text, word.substr(first, drawn.text.size()));
    }
}

// A 2-pixel frame: the outer rectangle light grey and black, the inner one white and grey, so
// it stands out; a cell's rule sits just outside its box, grey and white, so the cell sinks in.
TEST_F(DocumentPainterTest, TableFramesAreRaisedAndCellsSunken) {
    LayoutBox& frame = list.boxes.emplace_back();
    frame.kind = BoxKind::kTableFrame;
    frame.rect = Rect{10, 20, 110, 70};
    frame.spaceX = 2;
    LayoutBox& cell = list.boxes.emplace_back();
    cell.kind = BoxKind::kCellFrame;
    cell.rect = Rect{20, 30, 60, 50};
    list.frames = {0, 1};
    Paint(Rect{0, 0, 800, 600});
    const Color light = MakeColor(192, 192, 192);
    const Color grey = MakeColor(128, 128, 128);
    struct Line {
        Rect at;
        Color color;
    };
    const std::vector<Line> expected = {
        {{10, 20, 110, 20}, light},   {{10, 20, 10, 70}, light},   {{10, 69, 110, 69}, kBlack},
        {{109, 20, 109, 70}, kBlack}, {{11, 21, 109, 21}, kWhite}, {{11, 21, 11, 69}, kWhite},
        {{11, 68, 109, 68}, grey},    {{108, 21, 108, 69}, grey},  {{19, 29, 61, 29}, grey},
        {{19, 29, 19, 51}, grey},     {{19, 50, 61, 50}, kWhite},  {{60, 29, 60, 51}, kWhite},
    };
    const auto lines = CallsOf(Call::kLine);
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rect, expected[i].at) << i;
        EXPECT_EQ(lines[i].color, expected[i].color) << i;
    }
    // Nothing of them is painted when the area lies elsewhere.
    Paint(Rect{200, 200, 300, 300});
    EXPECT_TRUE(surface.calls.empty());
}

}  // namespace
}  // namespace corvane::render
