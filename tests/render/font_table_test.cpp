#include "render/font_table.h"

#include <gtest/gtest.h>

#include "platform/scripted_host_services.h"
#include "render/average_char_width.h"
#include "tests/support/fixed_metrics_surface.h"

namespace corvane::render {
namespace {

using testing::FixedMetricsSurface;

class FontTableTest : public ::testing::Test {
  protected:
    FixedMetricsSurface surface;
    platform::ScriptedHostServices host;
    CFontTable table{surface, host};
};

TEST_F(FontTableTest, FirstEntriesAndDerivedFonts) {
    ASSERT_EQ(table.Create(FontSettings{}), CFontTable::Result::kOk);
    EXPECT_EQ(table.Size(), 8u);

    struct Case {
        StyleWord style;
        FontSpec expected;
    };
    const Case cases[] = {
        {0, {"Times New Roman", 12, 400}},
        {0x406, {"Times New Roman", 24, 800}},               // H1
        {0x401, {"Times New Roman", 8, 800}},                // H6
        {0x406 | kStyleBold, {"Times New Roman", 24, 800}},  // a heading ignores bold
        {0x446, {"Times New Roman", 12, 700, true}},         // H1 in italics
        {0x200, {"Courier New", 10, 400}},
        {0x200 | kStyleBold, {"Courier New", 10, 700}},
        {0x8 | 7, {"Times New Roman", 36, 400}},  // FONT SIZE=7
        {0x8 | 1, {"Times New Roman", 8, 400}},   // FONT SIZE=1
        {0x8 | 5 | kStyleFixed, {"Courier New", 14, 400}},
        {0x3, {"Times New Roman", 12, 400}},  // BASEFONT never resizes
        {kStyleStrong, {"Times New Roman", 12, 700}},
        {kStyleStrike | kStyleUnderline, {"Times New Roman", 12, 400, false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        EXPECT_EQ(table.FontFor(c.style).Spec(), c.expected);
    }
}

TEST_F(FontTableTest, FontsAreMadeOncePerKey) {
    ASSERT_EQ(table.Create(FontSettings{}), CFontTable::Result::kOk);
    const int made = surface.fontsCreated;
    const SurfaceFont& italic = table.FontFor(kStyleItalic);
    EXPECT_EQ(&table.FontFor(kStyleItalic | kStyleUnderline | kStyleBlink), &italic);
    EXPECT_EQ(surface.fontsCreated, made + 1);
    EXPECT_EQ(&table.FontFor(0x406 | kStyleUnderline), &table.FontFor(0x406));
    EXPECT_EQ(surface.fontsCreated, made + 1);
}

TEST_F(FontTableTest, FailuresAreReported) {
    FontSettings settings;
    settings.fixedFace = "Missing Mono";
    surface.failingFaces.insert("Missing Mono");
    EXPECT_EQ(table.Create(settings), CFontTable::Result::kFixedFontFailed);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Fail to re-create fixed base font");

    // A derived font that cannot be made falls back to the body font, with one message.
    ASSERT_EQ(table.Create(FontSettings{}), CFontTable::Result::kOk);
    surface.failingFaces = {"Times New Roman"};
    const SurfaceFont& fallback = table.FontFor(kStyleItalic);
    EXPECT_EQ(&fallback, &table.FontFor(0));
    EXPECT_EQ(&table.FontFor(kStyleItalic), &fallback);
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].text, "Fail to create font");
}

// Indents are counted in the average of lower-case letters and the space, weighted by how
// often each occurs, whatever wide glyphs the font also has.
TEST(AverageCharWidth, WeighsLowerCaseLettersAndSpace) {
    struct Font : SurfaceFont {
        const FontSpec& Spec() const override { return spec; }
        const FontMetrics& Metrics() const override { return metrics; }
        double TextAdvance(std::string_view text) const override {
            double width = 0;
            for (char c : text) width += c == 'e' ? 20 : c == ' ' ? 5 : c == 'W' ? 1000 : 10;
            return width;
        }
        FontSpec spec;
        FontMetrics metrics;
    } font;
    // 834 thousandths are letters at 10, of which "e" (100) is 10 wider; 166 are spaces at 5.
    EXPECT_DOUBLE_EQ(WeightedAverageCharWidth(font), (834 * 10 + 100 * 10 + 166 * 5) / 1000.0);
}

}  // namespace
}  // namespace corvane::render
