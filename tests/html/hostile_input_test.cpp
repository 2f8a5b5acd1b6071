// Hostile documents must cost time and memory in proportion to their size. Sizes here are kept
// small enough for sanitizer builds; a quadratic path would still take minutes on them.
#include <gtest/gtest.h>

#include "build_document.h"

namespace corvane::html {
namespace {

using testing::BuildDocument;

constexpr std::size_t kLarge = 4 << 20;

std::string Repeat(std::string_view piece, std::size_t count) {
    std::string result;
    result.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i) result.append(piece);
    return result;
}

struct TextBytes {
    std::size_t longest = 0, total = 0;
};

TextBytes CountText(const CHTML& document) {
    TextBytes bytes;
    for (const CHTMLElement* e = document.First(); e != document.End(); e = e->next) {
        if (e->type != kElementText) continue;
        const std::size_t size = static_cast<const CHTMLText*>(e)->text.size();
        bytes.longest = std::max(bytes.longest, size);
        bytes.total += size;
    }
    return bytes;
}

struct RunCase {
    const char* name;
    std::string prefix;
    std::size_t textLength;  // of the longest text run expected
};

class LongRuns : public ::testing::TestWithParam<RunCase> {};

// Unending tags, comments and unbroken text become one text run each, never more.
TEST_P(LongRuns, StayOneElement) {
    const RunCase& c = GetParam();
    const auto built = BuildDocument(c.prefix + std::string(kLarge, 'x'));
    EXPECT_LE(built.document->ElementCount(), 8u);
    EXPECT_EQ(CountText(*built.document).longest, c.textLength);
}

INSTANTIATE_TEST_SUITE_P(Hostile, LongRuns,
                         ::testing::Values(RunCase{"TagWithoutEnd", "<a", kLarge + 2},
                                           RunCase{"UnclosedComment", "<!--", kLarge + 4},
                                           RunCase{"TextWithoutSpace", "", kLarge},
                                           RunCase{"InsideXmp", "<xmp>", kLarge},
                                           RunCase{"InsidePlaintext", "<plaintext>", kLarge}),
                         [](const ::testing::TestParamInfo<RunCase>& info) {
                             return info.param.name;
                         });

TEST(Hostile, TextareaContentGoesToTheControlOnly) {
    const auto built = BuildDocument("<textarea>" + Repeat("ab <i>\n", kLarge / 7));
    // Start, the form, the control and the final break.
    ASSERT_EQ(built.document->ElementCount(), 4u);
    const auto* control = static_cast<const CHTMLControl*>(built.document->First()->next->next);
    ASSERT_EQ(control->type, kControlTextArea);
    EXPECT_EQ(control->text.size(), (kLarge / 7) * 7);  // line ends kept as LF
    EXPECT_TRUE(control->complete);
}

TEST(Hostile, SpacedTextIsCutIntoSmallRuns) {
    const auto built = BuildDocument(Repeat("word ", kLarge / 5));
    EXPECT_LE(CountText(*built.document).longest, CHTMLTokenizer::kChunkLength + 5);
}

TEST(Hostile, LonePiecesOfTextJoinFewRuns) {
    // Every lone "<" is a text piece of its own; alike pieces join runs of a chunk or so.
    for (const std::string& page : {std::string(kLarge, '<'), Repeat("<b>x</b>", kLarge / 8)}) {
        const auto built = BuildDocument(page);
        EXPECT_EQ(CountText(*built.document).total, page.size() / (page[1] == '<' ? 1 : 8));
        EXPECT_LE(built.document->ElementCount(), page.size() / 200);
    }
}

TEST(Hostile, DeeplyNestedListsAndItems) {
    constexpr std::size_t kDepth = 100000;
    const auto built = BuildDocument(Repeat("<ul><li>x", kDepth) + Repeat("</ul>", kDepth));
    // End of line, list start, bullet and text per level, end of line and list end per end
    // tag; the outermost list adds a paragraph gap and alignment on each side; the document's
    // start and final break.
    EXPECT_EQ(built.document->ElementCount(), kDepth * 6 + 4 + 2);
    const auto* deepest =
        static_cast<const CHTMLBulletItem*>(built.document->texts.at(2 * (kDepth - 1)));
    EXPECT_EQ(deepest->shape, static_cast<std::int32_t>(kDepth));
}

TEST(Hostile, DeeplyNestedFontsWithStylesBuriedBelow) {
    constexpr std::size_t kDepth = 50000;
    // Every end tag removes an entry buried under the fonts, and every text asks for the style
    // word: both must be constant time. Line breaks keep each text a run of its own.
    const std::string html = Repeat("<b>", kDepth) + Repeat("<font size=+1>", kDepth) +
                             Repeat("</b>x<br>", kDepth) + Repeat("</font>y<br>", kDepth);
    const auto built = BuildDocument(html);
    const auto& texts = built.document->texts;
    ASSERT_EQ(texts.size(), 2 * kDepth);
    EXPECT_EQ(static_cast<const CHTMLText*>(texts[0])->style, 0x20 | 0xC);
    EXPECT_EQ(static_cast<const CHTMLText*>(texts[kDepth - 1])->style, 0xC);
    EXPECT_EQ(static_cast<const CHTMLText*>(texts[2 * kDepth - 1])->style, 0);
}

TEST(Hostile, ManyLinksToOneAddressShareOneAnchor) {
    constexpr std::size_t kLinks = 100000;
    const auto built = BuildDocument(Repeat("<a href=\"same.html\">x</a> ", kLinks));
    ASSERT_EQ(built.document->anchors.size(), 1u);
    EXPECT_EQ(built.document->anchors[0]->elements.size(), kLinks);
}

TEST(Hostile, MarkersAfterAListItemDoNotSlowHeadings) {
    // Each heading looks back for the last significant element past all earlier markers.
    constexpr std::size_t kCount = 100000;
    const auto built = BuildDocument("<ul><li>" + Repeat("<h1></h1>", kCount));
    EXPECT_EQ(built.document->ElementCount(), 7 + 2 * kCount);
}

}  // namespace
}  // namespace corvane::html
