#include <gtest/gtest.h>

#include "build_document.h"

namespace corvane::html {
namespace {

using testing::Texts;
using Words = std::vector<std::string>;

struct StyleCase {
    const char* name;
    const char* html;
    Words texts;
};

class StyleWords : public ::testing::TestWithParam<StyleCase> {};

TEST_P(StyleWords, OfTextRuns) {
    EXPECT_EQ(Texts(GetParam().html), GetParam().texts);
}

INSTANTIATE_TEST_SUITE_P(
    NestedTags, StyleWords,
    ::testing::Values(
        StyleCase{"Plain", "x", {"text:0:x"}},
        StyleCase{"HeadingInsideBoldClearsBold", "<b><h2>x", {"text:405:x"}},
        StyleCase{"BoldInsideHeadingIsCleared", "<h2><b>x", {"text:405:x"}},
        StyleCase{"StrongInsideHeadingIsCleared", "<h3><strong><i>x", {"text:444:x"}},
        StyleCase{"EveryHeadingLevel", "<h1>1</h1><h6>6</h6>", {"text:406:1", "text:401:6"}},
        StyleCase{"FontAboveHeadingKeepsItsSize", "<h1><font size=2>x", {"text:40a:x"}},
        StyleCase{"FontBelowHeadingIsHidden", "<font size=2><h1>x", {"text:406:x"}},
        StyleCase{"FontPlus", "<font size=+2>x", {"text:d:x"}},
        StyleCase{"FontMinus", "<font size=-1>x", {"text:a:x"}},
        StyleCase{"FontTooLarge", "<font size=9>x", {"text:f:x"}},
        StyleCase{"FontTooSmall", "<font size=-5>x", {"text:9:x"}},
        StyleCase{"FontWithoutDigitsIgnored", "<font size=2><font size=big>x", {"text:a:x"}},
        StyleCase{"SmallSubSupBig",
                  "<small>a</small><sub>b</sub><sup>c</sup><big>d</big>e",
                  {"text:a:abc", "text:c:d", "text:0:e"}},
        StyleCase{"BaseFontStoresEightMinusSize", "<basefont size=2>x", {"text:6:x"}},
        StyleCase{"BaseFontDefault", "<basefont>x", {"text:5:x"}},
        StyleCase{"ItalicKinds",
                  "<i>a</i><em>b</em><cite>c</cite><var>d</var><address>e</address>",
                  {"text:40:abcde"}},
        StyleCase{"FixedPitchKinds",
                  "<tt>a</tt><code>b</code><kbd>c</kbd><samp>d</samp>",
                  {"text:200:abcd"}},
        StyleCase{"Combined", "<b><u><strike>x", {"text:20a0:x"}},
        StyleCase{
            "EndTagRemovesInnermostOnly", "<b><i><b>x</b>y</b>z", {"text:60:xy", "text:40:z"}},
        StyleCase{"EndTagBelowTop", "<b><i>x</b>y", {"text:60:x", "text:40:y"}},
        StyleCase{"StrayEndTagIgnored", "</b></font></h1>x", {"text:0:x"}},
        StyleCase{"AnyHeadingClosesAnyHeading", "<h1>a</h3>b", {"text:406:a", "text:0:b"}},
        StyleCase{"Blink", "<blink>x", {"text:8000:x"}}),
    [](const ::testing::TestParamInfo<StyleCase>& info) { return info.param.name; });

struct CollapseCase {
    const char* name;
    const char* html;
    Words texts;
};

class TextRuns : public ::testing::TestWithParam<CollapseCase> {};

TEST_P(TextRuns, AreCleaned) {
    EXPECT_EQ(Texts(GetParam().html), GetParam().texts);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextRuns,
    ::testing::Values(
        CollapseCase{"BlankBetweenTagsDropped", "<b> \r\n\t </b>", {}},
        CollapseCase{"RunsCollapse", " a \t\r\n b ", {"text:0: a b "}},
        CollapseCase{"ControlAndDelBecomeSpaces",
                     "a\x01\x7f"
                     "b",
                     {"text:0:a b"}},
        CollapseCase{"NonBreakingSpaceIsText", "&nbsp;", {"text:0:\xA0"}},
        CollapseCase{"PreKeepsLinesAndTabs", "<pre>\na\tb\r\nc</pre>", {"pre:a\tb", "pre:c"}},
        CollapseCase{"PreControlCharacters",
                     "<pre>a\x01"
                     "b</pre>",
                     {"pre:a b"}},
        // TT inside PRE ends only the fixed pitch, not the preformatting.
        CollapseCase{"TeletypeEndInsidePre", "<pre><tt>a</tt>  b\nc</pre>", {"pre:a  b", "pre:c"}},
        CollapseCase{"XmpIsPreformatted",
                     "<xmp>\na  <b>\nc</xmp>d  e",
                     {"pre:a  <b>", "pre:c", "text:0:d e"}},
        CollapseCase{"PlaintextToTheEnd", "<plaintext>a  </plaintext>", {"pre:a  </plaintext>"}}),
    [](const ::testing::TestParamInfo<CollapseCase>& info) { return info.param.name; });

}  // namespace
}  // namespace corvane::html
