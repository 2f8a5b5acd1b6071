#include "html/tokenizer.h"

#include <gtest/gtest.h>

#include "html/entities.h"
#include "platform/utf8.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace corvane::html {
namespace {

using Token = std::pair<int, std::string>;
using Tokens = std::vector<Token>;

// Feeds the whole input and the final 0; `preformatted` stands for the builder being in PRE.
// `inRuns`: as the convertor does, runs of plain bytes through FeedPlainRun, the rest by Feed.
Tokens Tokenize(std::string_view input, bool preformatted = false, bool inRuns = false) {
    CHTMLTokenizer tokenizer;
    Tokens tokens;
    auto feed = [&](int ch) {
        const int token = tokenizer.Feed(ch, preformatted);
        // A line break carries no text; the buffer may already hold the next line's first byte.
        if (token == TOKEN_LINE_BREAK)
            tokens.emplace_back(token, "");
        else if (token != kTokenNone)
            tokens.emplace_back(token, std::string(tokenizer.Text()));
    };
    const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (inRuns) i += tokenizer.FeedPlainRun(bytes + i, input.size() - i, preformatted);
        if (i < input.size()) feed(bytes[i]);
    }
    feed(0);
    return tokens;
}

// Drops the empty text tokens that a tag boundary produces.
Tokens WithoutEmptyText(Tokens tokens) {
    std::erase_if(tokens,
                  [](const Token& t) { return t.first != TOKEN_LINE_BREAK && t.second.empty(); });
    return tokens;
}

struct SequenceCase {
    const char* name;
    std::string input;
    Tokens expected;
    bool preformatted = false;
};

class TokenSequence : public testing::TestWithParam<SequenceCase> {};

TEST_P(TokenSequence, MatchesExpected) {
    const SequenceCase& c = GetParam();
    EXPECT_EQ(WithoutEmptyText(Tokenize(c.input, c.preformatted)), c.expected);
    EXPECT_EQ(WithoutEmptyText(Tokenize(c.input, c.preformatted, true)), c.expected);
}

const Tokens kEmpty;

INSTANTIATE_TEST_SUITE_P(
    Inputs, TokenSequence,
    testing::Values(
        // A '<' that starts no tag ends the text chunk but stays text.
        SequenceCase{"LessThanInText", "a < b", {{1, "a "}, {1, "< b"}}},
        SequenceCase{"TagBetweenWords", "a <b> c", {{1, "a "}, {4, "<b"}, {1, " c"}}},
        SequenceCase{"EndTag", "</b>", {{4 + kEndTagFlag, "</b"}}},
        SequenceCase{"UnknownTagYieldsNothing", "<blah>x", {{1, "x"}}},
        SequenceCase{"Comment", "<!-- c -->x", {{1, "x"}}},
        // Only "-->" ends a comment: markup commented out stays hidden.
        SequenceCase{"CommentHoldingGreater", "<!-- a > b -->x", {{1, "x"}}},
        SequenceCase{"CommentHoldingLink", "<!--<a href=x>y</a>-- >-->z", {{1, "z"}}},
        SequenceCase{"ProcessingInstruction", "<?xml version=\"1.0\"?>x", {{1, "x"}}},
        // XML-style empty tags are the tags themselves; a slash ending an unquoted value stays.
        SequenceCase{"EmptyBr", "<br/><hr />", {{8, "<br"}, {26, "<hr "}}},
        SequenceCase{"EmptyImg", "<img src=\"a.gif\"/>", {{29, "<img src=\"a.gif\""}}},
        SequenceCase{"SlashEndingValue", "<a href=d/>", {{2, "<a href=d/"}}},
        // STYLE and SCRIPT content is never text, whatever tags it seems to hold.
        SequenceCase{"StyleHidden",
                     "<style>p{}</s</styl</STYLE >x",
                     {{74, "<style"}, {74 + kEndTagFlag, "</STYLE "}, {1, "x"}}},
        SequenceCase{"ScriptHidden",
                     "<script>if(a<b)f('</p>');</script>x",
                     {{73, "<script"}, {73 + kEndTagFlag, "</script"}, {1, "x"}}},
        SequenceCase{"EmptyScriptHidesNothing", "<script/>x", {{73, "<script"}, {1, "x"}}},
        SequenceCase{"LessSlashSpace", "</ x", {{1, "</ x"}}},
        SequenceCase{"UnterminatedTagIsText", "a<b c", {{1, "a"}, {1, "<b c"}}},
        SequenceCase{
            "NulInsideDataDoesNotRepeatText", std::string("ab\0cd", 5), {{1, "ab"}, {1, "cd"}}},
        SequenceCase{"EntityInAttributeValue", "<a href=\"x?a&lt;b\">", {{2, "<a href=\"x?a<b\""}}},
        SequenceCase{"TagCrLfFolded", "<a\r\nhref=x>", {{2, "<a\nhref=x"}}},
        // Inside XMP other tags are text; only its own end tag counts.
        SequenceCase{"XmpSwallowsTags",
                     "<xmp><b>x</b></xmp>",
                     {{60, "<xmp"}, {1, "<b>x"}, {1, "</b>"}, {60 + kEndTagFlag, "</xmp"}}},
        SequenceCase{"TextareaSwallowsTags",
                     "<textarea>\n<b>a\nb</textarea>",
                     {{51, "<textarea"}, {66, "<b>a\r\nb"}, {51 + kEndTagFlag, "</textarea"}}},
        SequenceCase{"TextareaInsideTextareaIsATag",
                     "<textarea><textarea>",
                     {{51, "<textarea"}, {51, "<textarea"}}},
        SequenceCase{"SelectDropsOtherTags",
                     "<select><b>x\r\ny<option>z</select>",
                     {{45, "<select"},
                      {67, "x y"},
                      {40, "<option"},
                      {67, "z"},
                      {45 + kEndTagFlag, "</select"}}},
        SequenceCase{"LineEndAfterPreDropped", "<pre>\r\nx", {{43, "<pre"}, {1, "x"}}},
        SequenceCase{"OnlyOneLineEndDropped", "<pre>\r\rx", {{43, "<pre"}, {1, "\rx"}}},
        SequenceCase{"LineEndAfterOtherTagKept", "<b>\nx", {{4, "<b"}, {1, "\nx"}}},
        SequenceCase{"PreformattedLineEnds", "a\r\nb", {{1, "a"}, {69, ""}, {1, "b"}}, true},
        SequenceCase{
            "PreformattedBlankLine", "a\n\nb", {{1, "a"}, {69, ""}, {69, ""}, {1, "b"}}, true},
        SequenceCase{"PlaintextRunsToTheEnd",
                     "<plaintext>\na<b>\r\n</plaintext>",
                     {{42, "<plaintext"}, {1, "a<b>"}, {69, ""}, {1, "</plaintext>"}}},
        SequenceCase{"PlaintextBlankLine",
                     "<plaintext>a\n\nb",
                     {{42, "<plaintext"}, {1, "a"}, {69, ""}, {69, ""}, {1, "b"}}}),
    [](const testing::TestParamInfo<SequenceCase>& info) { return info.param.name; });

TEST(Tokenizer, ChunksAreCutAtTheFirstSpaceAfter256Characters) {
    const std::string noSpace(300, 'x');
    EXPECT_EQ(Tokenize(noSpace), (Tokens{{1, noSpace}}));

    const std::string spaced = std::string(260, 'x') + " " + std::string(40, 'y');
    EXPECT_EQ(Tokenize(spaced),
              (Tokens{{1, std::string(260, 'x') + " "}, {1, std::string(40, 'y')}}));
    // Fed in runs, the cut falls at the same space, wherever the spaces lie around the limit.
    for (std::size_t before = 250; before < 260; ++before) {
        const std::string text = std::string(before, 'x') + "  y z <b> w " + std::string(300, 'v');
        EXPECT_EQ(Tokenize(text, false, true), Tokenize(text)) << before;
    }
}

struct EntityCase {
    std::string input;
    std::string expected;
};

class EntityExpansion : public testing::TestWithParam<EntityCase> {};

TEST_P(EntityExpansion, InText) {
    const Tokens tokens = Tokenize(GetParam().input);
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].second, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    References, EntityExpansion,
    testing::Values(
        EntityCase{"&lt;&GT;&amp;&quot;", "<>&\""}, EntityCase{"&Lt;", "&Lt;"},
        EntityCase{"&#65;", "A"}, EntityCase{"&#1070;", "\u042E"},
        EntityCase{"&#x2014;&#X2014;&#x1F600;", "\u2014\u2014\U0001F600"},
        EntityCase{"&#1114111;", "\U0010FFFF"},
        // Nothing that names no character: 0, surrogates, past U+10FFFF.
        EntityCase{"&#0;&#xD800;&#1114112;&#99999999999999999999993;", "\uFFFD\uFFFD\uFFFD\uFFFD"},
        // What old pages meant by 128 to 159.
        EntityCase{"&#150;&#x93;&#129;", "\u2013\u201C\u0081"},
        EntityCase{"&#x;&#xg;&#;", "&#x;&#xg;&#;"},
        // At the end of a chunk only the name or digits are read.
        EntityCase{"&copy2",
                   "\u00A9"
                   "2"},
        EntityCase{"&copy2;", "\u00A9"}, EntityCase{"&#65x", "Ax"}, EntityCase{"&#65x;", "A"},
        EntityCase{"&amp x", "& x"}, EntityCase{"AT&T", "AT&T"}, EntityCase{"a & b", "a & b"},
        EntityCase{"&eacute;t&eacute;", "\u00E9t\u00E9"}, EntityCase{"&;", "&;"},
        // Beyond Latin-1; a longer name is found before its prefix.
        EntityCase{"&rsquo;&mdash;&euro;&hellip;", "\u2019\u2014\u20AC\u2026"},
        EntityCase{"&notin;&not;&notit;", "\u2209\u00AC\u00AC"},
        EntityCase{"&sup2;&sup;&supe;&thetasym;&piv;", "\u00B2\u2283\u2287\u03D1\u03D6"},
        EntityCase{"&Alpha;&alpha;&ALPHA;", "\u0391\u03B1&ALPHA;"}));

TEST(Tokenizer, EveryEntityOfTheTableExpands) {
    std::set<std::string_view> names;
    for (const EntityRow& row : kEntityTable) {
        std::string text = "&" + std::string(row.name) + ";";
        ExpandEntities(text);
        std::string expected;
        AppendUtf8(expected, row.code);
        EXPECT_EQ(text, expected) << row.name;
        names.insert(row.name);
    }
    // The 252 names of HTML 4 and the seven upper-case spellings of the Latin-1 ones.
    EXPECT_EQ(names.size(), 259u);
}

TEST(Tokenizer, EntityAtTheEndOfALongChunk) {
    // The chunk ends at the space after 256 characters; the reference before it ends with it.
    const std::string input = std::string(252, 'x') + "&copy2 y";
    const Tokens tokens = Tokenize(input);
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0].second, std::string(252, 'x') + "\u00A9 ");
    EXPECT_EQ(tokens[1].second, "y");
}

TEST(Tokenizer, ManyAmpersandsWithoutTerminatorStayLinear) {
    // Every '&' would otherwise look for its terminator to the end of the chunk.
    std::string input;
    for (int i = 0; i < 50000; ++i) input += "&a";
    const Tokens tokens = Tokenize(input);
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].second, input);
}

}  // namespace
}  // namespace corvane::html
