// Layout with the fixed-metrics surface at 96 dpi: the 12-point body font is 16 pixels high with
// an ascent of 12 and 8 pixels per character; lines are 18 apart (16 + the 2-pixel gap). The flow
// starts at x 10, y 20.
#include "render/layout_context.h"

#include <gtest/gtest.h>

#include "platform/scripted_host_services.h"
#include "render/list_label.h"
#include "render/text_dump.h"
#include "tests/support/fixed_metrics_surface.h"

namespace corvane::render {
namespace {

class LayoutContextTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(fonts.Create(FontSettings{}), CFontTable::Result::kOk); }

    // A new flow over an empty display list.
    CLayoutContext& Flow(int width) {
        list.Clear();
        context.emplace(fonts, list, CLayoutContext::kLeftMargin, CLayoutContext::kTopMargin,
                        width);
        return *context;
    }
    void Text(std::string_view text, StyleWord style = 0) {
        context->PlaceText(nullptr, text, style, nullptr);
    }
    std::string Dump() {
        context->Finish();
        return DumpText(list, DumpMetrics{});
    }
    // Boxes as "text@x,y" for quick comparison.
    std::vector<std::string> Placed() {
        std::vector<std::string> placed;
        for (const LayoutBox& box : list.boxes) {
            placed.push_back(std::string(box.text) + "@" + std::to_string(box.rect.left) + "," +
                             std::to_string(box.rect.top));
        }
        return placed;
    }

    testing::FixedMetricsSurface surface;
    platform::ScriptedHostServices host;
    CFontTable fonts{surface, host};
    DisplayList list;
    std::optional<CLayoutContext> context;
};

using Strings = std::vector<std::string>;

// A word wider than the line overflows alone.
TEST_F(LayoutContextTest, WordsWrapAtTheRightEdge) {
    Flow(80);  // ten characters
    Text("aaaa bbbb cccc");
    Text(" dd");
    context->Finish();
    // The space that starts " dd" stays outside its box.
    EXPECT_EQ(Placed(), (Strings{"aaaa bbbb@10,20", "cccc@10,38", "dd@50,38"}));
    EXPECT_EQ(list.boxes[0].rect.right, 82);  // the space ending the line is not shown
    Flow(40);
    Text("ab abcdefghij cd");
    context->Finish();
    EXPECT_EQ(Placed(), (Strings{"ab@10,20", "abcdefghij@10,38", "cd@10,56"}));
    EXPECT_EQ(list.boxes[1].rect.right, 90);  // past the right edge at 50
}

// Pieces of text in different styles or links: (text, bold) pairs laid out ten characters wide.
TEST_F(LayoutContextTest, LinesBreakOnlyAtWhiteSpaceAndSpacesCollapseAcrossPieces) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, bool>> pieces;
        Strings placed;
    };
    const Case cases[] = {
        {"a word split by a style moves down whole",
         {{"aaaa bbb(", false}, {"portmap", true}},
         {"aaaa@10,20", "bbb(@10,38", "portmap@42,38"}},
        {"a word of several pieces moves down whole",
         {{"aaaa b", false}, {"b", true}, {"bbbbb", false}},
         {"aaaa@10,20", "b@10,38", "b@18,38", "bbbbb@26,38"}},
        {"a word that fills its line overflows",
         {{"abcdefghi", false}, {"jkl", true}},
         {"abcdefghi@10,20", "jkl@82,20"}},
        {"a space ending one piece and starting the next counts once",
         {{"of ", false}, {" The", true}},
         {"of @10,20", "The@34,20"}},
        {"a leading space is a gap outside the box",
         {{"of", false}, {" The", true}},
         {"of@10,20", "The@34,20"}},
        {"a blank-only piece between words",
         {{"a", false}, {" ", true}, {" b", false}},
         {"a@10,20", "b@26,20"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Flow(80);
        for (const auto& [text, bold] : c.pieces) Text(text, bold ? kStyleBold : 0);
        context->Finish();
        EXPECT_EQ(Placed(), c.placed);
    }
}

TEST_F(LayoutContextTest, DeepNestingKeepsAMinimumLineWidth) {
    struct Case {
        int width;
        int left;  // 20 average characters (160) or a quarter of the width, whichever is less
    };
    for (const Case c : {Case{620, 10 + 620 - 155}, Case{2000, 10 + 2000 - 160}}) {
        Flow(c.width);
        context->SetListDepth(1000);
        for (int i = 0; i < 1000; ++i) context->BlockQuote(false);
        Text("deep");
        context->Finish();
        EXPECT_EQ(list.boxes.back().rect.left, c.left) << c.width;
    }
}

TEST_F(LayoutContextTest, TabStopsCountFromTheStartOfThePreformattedLine) {
    Flow(600);
    context->SetListDepth(2);  // the line starts 96 pixels in, at no multiple of 8 columns
    context->PlacePreformatted(nullptr, "\tx\nab", 0, nullptr);
    context->PlacePreformatted(nullptr, "c\td", kStyleBold, nullptr);
    context->Finish();
    EXPECT_EQ(Placed(), (Strings{"        x@106,20", "ab@106,38", "c     d@122,38"}));
}

TEST_F(LayoutContextTest, ADocumentTooTallForPositionsEndsWithANotice) {
    Flow(600);
    const RulePlacement rule{std::nullopt, 1024, kAlignCentre, true};
    for (int i = 0; i < 1'100'000; ++i) {
        context->PlaceRule(nullptr, rule);
        context->Break(BreakKind::kEndOfLine);
    }
    Text("after");
    context->Finish();
    EXPECT_LT(list.boxes.size(), 1'100'000u);
    EXPECT_EQ(list.boxes.back().text, "[The rest of the document is too long to show.]");
    EXPECT_GT(context->Bottom(), 1 << 29);
    for (const LineBox& line : list.lines) ASSERT_LE(line.top, line.bottom);
}

TEST_F(LayoutContextTest, IdeographsWrapWithoutSpacesAndMultiByteTextNeverSplits) {
    struct Case {
        std::string text;
        int width;  // in characters of 8 pixels; an ideograph takes two
        Strings lines;
    };
    const Case cases[] = {
        // Between ideographs, but not before the closing mark nor after the opening bracket.
        {"\u65E5\u672C\u8A9E\u306E\u6587\u7AE0\u3002",
         7,
         {"\u65E5\u672C\u8A9E", "\u306E\u6587", "\u7AE0\u3002"}},
        {"\u6F22\u300C\u5B57\u300D", 5, {"\u6F22", "\u300C\u5B57\u300D"}},
        {"Linux\u7CFB\u7EDF", 6, {"Linux", "\u7CFB\u7EDF"}},
        // Other scripts break at spaces only and are measured by characters, not bytes.
        {"\u041F\u0440\u0438\u0432\u0435\u0442 \u03BA\u03CC\u03C3\u03BC\u03B5",
         12,
         {"\u041F\u0440\u0438\u0432\u0435\u0442 \u03BA\u03CC\u03C3\u03BC\u03B5"}},
    };
    for (const Case& c : cases) {
        list = DisplayList{};
        Flow(c.width * 8);
        Text(c.text);
        std::string expected;
        for (const std::string& line : c.lines) expected += line + "\n";
        EXPECT_EQ(Dump(), expected) << c.text;
    }
}

TEST_F(LayoutContextTest, BreaksAndGaps) {
    struct Case {
        const char* name;
        std::vector<BreakKind> breaks;
        int secondLineTop;
        const char* dump;
    };
    const Case cases[] = {
        {"two paragraph gaps make one",
         {BreakKind::kParagraphGap, BreakKind::kParagraphGap},
         54,
         "a\n\nb\n"},
        {"two line breaks make one blank line",
         {BreakKind::kLineBreak, BreakKind::kLineBreak},
         54,
         "a\n\nb\n"},
        {"one line break", {BreakKind::kLineBreak}, 38, "a\nb\n"},
        {"ends of line never add space",
         {BreakKind::kEndOfLine, BreakKind::kEndOfLine, BreakKind::kEndOfLine},
         38,
         "a\nb\n"},
        {"three line breaks",
         {BreakKind::kLineBreak, BreakKind::kLineBreak, BreakKind::kLineBreak},
         70,
         "a\n\nb\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Flow(600);
        Text("a");
        for (BreakKind kind : c.breaks) context->Break(kind);
        Text("b");
        EXPECT_EQ(Dump(), c.dump);
        ASSERT_EQ(list.boxes.size(), 2u);
        EXPECT_EQ(list.boxes[1].rect.top, c.secondLineTop);
    }
    // A paragraph gap at the top of the document adds nothing.
    Flow(600);
    context->DocumentStart();
    context->Break(BreakKind::kParagraphGap);
    Text("a");
    context->Finish();
    EXPECT_EQ(Placed(), (Strings{"a@10,20"}));
}

TEST_F(LayoutContextTest, ListsIndentAndLabelTheirItems) {
    Flow(600);
    context->SetListDepth(1);
    context->PlaceBullet(nullptr, 1);
    Text("one");
    context->Break(BreakKind::kEndOfLine);
    context->SetListDepth(2);
    context->PlaceNumber(nullptr, NumberLabel(NumberStyle::kLowerAlpha, 27), 0);
    Text("two");
    context->Break(BreakKind::kEndOfLine);
    context->SetListDepth(0);
    Text("after");
    context->Finish();

    ASSERT_EQ(list.boxes.size(), 5u);
    // Depth 1 indents 6 average widths (48); the 11-pixel bullet starts 3 widths left of the
    // pen and is centred in the 16-pixel line.
    EXPECT_EQ(list.boxes[0].kind, BoxKind::kBullet);
    EXPECT_EQ(list.boxes[0].rect, (Rect{34, 22, 45, 33}));
    EXPECT_EQ(list.boxes[1].rect.left, 58);
    // The label ends one average width left of the pen at depth 2 (x 106).
    EXPECT_EQ(list.boxes[2].text, "aa.");
    EXPECT_EQ(list.boxes[2].rect, (Rect{74, 38, 98, 54}));
    EXPECT_EQ(list.boxes[3].rect.left, 106);
    EXPECT_EQ(list.boxes[4].rect.left, 10);
    EXPECT_EQ(DumpText(list, DumpMetrics{}), "   * one\n        aa. two\nafter\n");

    // An item outside any list indents its text three average widths past the bullet.
    Flow(600);
    context->PlaceBullet(nullptr, 1);
    Text("item");
    context->Finish();
    ASSERT_EQ(list.boxes.size(), 2u);
    EXPECT_EQ(list.boxes[0].rect.left, 10);
    EXPECT_EQ(list.boxes[1].rect.left, 34);
}

TEST_F(LayoutContextTest, NumberLabels) {
    struct Case {
        NumberStyle style;
        int number;
        const char* label;
    };
    const Case cases[] = {
        {NumberStyle::kDecimal, 1, "1."},       {NumberStyle::kDecimal, 12, "12."},
        {NumberStyle::kUpperRoman, 4, "4."},    {NumberStyle::kLowerRoman, 9, "9."},
        {NumberStyle::kLowerAlpha, 1, "a."},    {NumberStyle::kLowerAlpha, 26, "z."},
        {NumberStyle::kLowerAlpha, 27, "aa."},  {NumberStyle::kUpperAlpha, 28, "AB."},
        {NumberStyle::kUpperAlpha, 702, "ZZ."}, {NumberStyle::kUpperAlpha, 703, "AAA."},
        {NumberStyle::kLowerAlpha, 0, "0."},
    };
    for (const Case& c : cases) EXPECT_EQ(NumberLabel(c.style, c.number), c.label);
}

TEST_F(LayoutContextTest, RulesTakeTheirWidthAndAlignment) {
    struct Case {
        RulePlacement rule;
        Rect expected;
    };
    const Case cases[] = {
        {{-50, std::nullopt, kAlignCentre, true}, {160, 28, 460, 31}},
        {{std::nullopt, std::nullopt, kAlignCentre, true}, {10, 28, 610, 31}},
        {{100, 1, kAlignRight, false}, {510, 28, 610, 29}},
        {{100, 5, kAlignLeft, true}, {10, 28, 110, 34}},
    };
    for (const Case& c : cases) {
        Flow(600);
        context->PlaceRule(nullptr, c.rule);
        context->Finish();
        ASSERT_EQ(list.boxes.size(), 1u);
        EXPECT_EQ(list.boxes[0].rect, c.expected);
    }
}

TEST_F(LayoutContextTest, LinesAlignCentreAndRight) {
    Flow(600);
    context->SetAlignment(kAlignCentre);
    Text("abc");
    context->Break(BreakKind::kEndOfLine);
    context->SetAlignment(kAlignRight);
    Text("abc");
    context->Break(BreakKind::kEndOfLine);
    context->SetAlignment(kAlignLeft);
    context->Centre(false);
    Text("abcd");
    context->Break(BreakKind::kEndOfLine);
    context->Centre(true);
    context->Finish();
    EXPECT_EQ(Placed(), (Strings{"abc@298,20", "abc@586,38", "abcd@294,56"}));
}

// Text flows beside a float until below it; a float met mid-line starts below that line.
TEST_F(LayoutContextTest, FloatsNarrowTheLinesBesideThem) {
    struct Case {
        const char* name;
        ImagePlacement image;
        const char* before;  // text placed ahead of the image on its line
        const char* after;
        Strings placed;
    };
    const Case cases[] = {
        // Twelve characters fit beside the image, 25 below it.
        {"left",
         {100, 50, 0, 0, kAlignLeft, "pic"},
         "",
         "aaaaaaaaaaa bbbbbbbbbbb ccccccccccc ddddddddddd",
         {"pic@10,20", "aaaaaaaaaaa@110,20", "bbbbbbbbbbb@110,38", "ccccccccccc@110,56",
          "ddddddddddd@10,74"}},
        {"right",
         {80, 20, 0, 0, kAlignRight, {}},
         "",
         "aaaaaaaaaaaaaa bb",
         {"@130,20", "aaaaaaaaaaaaaa@10,20", "bb@10,38"}},
        {"mid-line",
         {40, 30, 0, 0, kAlignLeft, {}},
         "ab ",
         "cd",
         {"ab @10,20", "cd@34,20", "@10,38"}},
    };
    for (const Case& c : cases) {
        Flow(200);
        Text(c.before);
        context->PlaceImage(nullptr, c.image, nullptr);
        Text(c.after);
        context->Finish();
        EXPECT_EQ(Placed(), c.placed) << c.name;
        if (c.image.alt == "pic") {
            EXPECT_EQ(Dump(),
                      "[pic]\n            aaaaaaaaaaa\n            bbbbbbbbbbb\n"
                      "            ccccccccccc\nddddddddddd\n");
        }
    }
}

TEST_F(LayoutContextTest, MixedFontsShareTheBaseline) {
    Flow(600);
    Text("big", 0x406);  // H1: 24 points, 32 high, ascent 24
    Text("small");
    Text("huge", 0x8 | 7);  // FONT SIZE=7: 36 points, 48 high, ascent 36
    context->Finish();
    EXPECT_EQ(list.boxes[0].font->Spec(), (FontSpec{"Times New Roman", 24, 800}));
    EXPECT_EQ(list.boxes[2].font->Spec().points, 36);
    // Baseline at 20 + 36.
    EXPECT_EQ(Placed(), (Strings{"big@10,32", "small@58,44", "huge@98,20"}));
    EXPECT_EQ(list.lines[0].baseline, 56);
    EXPECT_EQ(list.lines[0].bottom, 20 + 48 + 2);
}

TEST_F(LayoutContextTest, ImagesSitOnTheBaselineOrTheLineTop) {
    Flow(600);
    Text("a");
    context->PlaceImage(nullptr, ImagePlacement{32, 32, 2, 3, kAlignBottom, {}}, nullptr);
    context->PlaceImage(nullptr, ImagePlacement{10, 10, 0, 0, kAlignTop, {}}, nullptr);
    context->Finish();
    // The 36x38 box's bottom is the baseline at 20 + 38; the text's ascent sits on it too.
    EXPECT_EQ(Placed(), (Strings{"a@10,46", "@18,20", "@54,20"}));
}

TEST_F(LayoutContextTest, NoWrapRecordsTheWidestWord) {
    Flow(40);
    context->SetNoWrap(true);
    context->SetListDepth(1);
    Text("ab abcdefgh abc");
    context->Finish();
    EXPECT_EQ(list.lines.size(), 1u);
    EXPECT_EQ(context->WidestWord(), 64 + 48);
    // Ideographs (two columns each) are words of their own.
    Flow(40);
    context->SetNoWrap(true);
    context->SetListDepth(1);
    Text("\u65E5\u672C\u8A9E\u65E5\u672C\u8A9E");
    context->Finish();
    EXPECT_EQ(context->WidestWord(), 16 + 48);
}

}  // namespace
}  // namespace corvane::render
