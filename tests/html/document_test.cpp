#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "build_document.h"

namespace corvane::html {
namespace {

using testing::BuildDocument;
using testing::Elements;
using Words = std::vector<std::string>;

class RecordingHost : public DocumentHost,
                      public VisitedLookup,
                      public TableHooks {
  public:
    void ShowTitle(std::string_view title) override { titles.emplace_back(title); }
    void RepaintBackground() override { ++repaints; }
    void RequestRefresh(std::int32_t seconds, std::string_view url) override {
        refreshes.emplace_back(std::to_string(seconds) + " " + std::string(url));
    }
    void RequestImage(CHTMLImage& image) override { images.push_back(image.url); }
    bool IsVisited(std::string_view url) const override { return url.ends_with("seen.html"); }
    int HandleTableToken(CHTMLBuilder&, int token, std::string_view) override {
        tableTokens.push_back(token);
        return 1;
    }
    BuilderServices Services() { return {this, this, this}; }

    Words titles, refreshes, images;
    int repaints = 0;
    std::vector<int> tableTokens;
};

TEST(Title, IsCleanedAndShownOnceOrShownAsTextWhenLeftOpen) {
    RecordingHost host;
    const auto built = BuildDocument("<title>\r\n  A\tb<i>c\r\nrest</title><title>Second</title>x",
                                     host.Services());
    EXPECT_EQ(built.document->title, "A b<ic");
    EXPECT_EQ(host.titles, Words{"A b<ic"});
    EXPECT_EQ(Elements(*built.document), Words{"text:0:x"});

    RecordingHost open;
    EXPECT_EQ(Elements(*BuildDocument("<title>Never closed", open.Services()).document),
              Words{"pre:Never closed"});
    EXPECT_TRUE(open.titles.empty());
}

TEST(ScrollTarget, IsTheAnchorNamedByTheFragmentOrTheTop) {
    const auto built = BuildDocument("<a name=top>a</a><a name=sec>b</a><a name=sec>c</a>", {},
                                     "http://example.org/page.html#sec");
    const CHTML& document = *built.document;
    ASSERT_NE(document.scrollTarget, nullptr);
    ASSERT_EQ(document.scrollTarget->type, kElementAnchorName);
    EXPECT_EQ(static_cast<const CHTMLAnchorName*>(document.scrollTarget)->name, "sec");
    EXPECT_EQ(testing::Describe(*document.scrollTarget->next), "text:0:b");
    EXPECT_FALSE(document.targetIsTop);
    // No anchor of that name: the top.
    const auto missing = BuildDocument("<a name=other>a</a>", {}, "http://example.org/p#missing");
    EXPECT_EQ(missing.document->scrollTarget, missing.document->First());
    EXPECT_EQ(missing.document->First()->type, kElementDocumentStart);
    EXPECT_TRUE(missing.document->targetIsTop);
}

TEST(Anchors, SameAddressSharesOneAnchor) {
    RecordingHost host;
    const auto built = BuildDocument(
        "<a href=x.html>a</a> <a href=x.html>b<img src=i.gif></a>c<a href=seen.html>d</a>",
        host.Services());
    const CHTML& document = *built.document;
    ASSERT_EQ(document.anchors.size(), 2u);
    const CHTMLAnchor& first = *document.anchors[0];
    EXPECT_EQ(first.url, "http://example.org/dir/x.html");
    EXPECT_FALSE(first.visited);
    ASSERT_EQ(first.elements.size(), 3u);
    EXPECT_EQ(testing::Describe(*first.elements[2]), "image:http://example.org/dir/i.gif");
    EXPECT_EQ(static_cast<const CHTMLImage*>(first.elements[2])->anchor, &first);
    EXPECT_TRUE(document.anchors[1]->visited);
    EXPECT_EQ(document.linkedElements.size(), 4u);
    // The blank between the two links stays a word separator outside both; "c" too lies outside
    // every link.
    const auto* blank = static_cast<const CHTMLText*>(document.texts[1]);
    EXPECT_EQ(blank->text, " ");
    EXPECT_EQ(blank->anchor, nullptr);
    const auto* c = static_cast<const CHTMLText*>(document.texts[3]);
    EXPECT_EQ(c->text, "c");
    EXPECT_EQ(c->anchor, nullptr);
}

TEST(Anchors, BaseChangesResolutionOnlyOnce) {
    const auto built = BuildDocument(
        "<base href=\"http://other.org/a/\"><base href=http://ignored/><a href=b.html>x</a>");
    ASSERT_EQ(built.document->anchors.size(), 1u);
    EXPECT_EQ(built.document->anchors[0]->url, "http://other.org/a/b.html");
    EXPECT_EQ(built.document->anchors[0]->base, "http://other.org/a/");
    EXPECT_EQ(built.document->base, "http://other.org/a/");
}

TEST(Anchors, EndTagAndNewAnchorEndTheLink) {
    const auto built = BuildDocument("<a href=a>1</a>2<a href=b>3<a name=n>4");
    const auto& texts = built.document->texts;
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_NE(static_cast<const CHTMLText*>(texts[0])->anchor, nullptr);
    EXPECT_EQ(static_cast<const CHTMLText*>(texts[1])->anchor, nullptr);
    EXPECT_NE(static_cast<const CHTMLText*>(texts[2])->anchor, nullptr);
    EXPECT_EQ(static_cast<const CHTMLText*>(texts[3])->anchor, nullptr);
}

TEST(Body, ColoursAndTheFirstBackground) {
    RecordingHost host;
    const auto built = BuildDocument(
        "<body bgcolor=#fff text=\"#102030\" link=00ff00 vlink=#12 alink=#zz9900 "
        "background=bg.gif><body background=other.gif>",
        host.Services());
    const CHTML& document = *built.document;
    EXPECT_EQ(document.backgroundColour, 0x000FFFu);
    EXPECT_EQ(document.textColour, 0x302010u);
    EXPECT_EQ(document.linkColour, 0x00FF00u);
    EXPECT_EQ(document.visitedColour, 0u);
    EXPECT_EQ(document.activeColour, 0x009900u);
    EXPECT_EQ(host.repaints, 1);
    ASSERT_NE(document.background, nullptr);
    EXPECT_EQ(document.background->url, "http://example.org/dir/bg.gif");
    EXPECT_EQ(host.images, Words{"http://example.org/dir/bg.gif"});
}

TEST(Meta, RefreshGoesToTheLoad) {
    RecordingHost host;
    BuildDocument(
        "<meta http-equiv=Refresh content=\"5; URL=next.html\">"
        "<meta http-equiv=refresh content=0>"
        "<meta http-equiv=refresh content=soon>"
        "<meta http-equiv=expires content=5>",
        host.Services());
    EXPECT_EQ(host.refreshes, (Words{"5 http://example.org/dir/next.html", "0 "}));
}

TEST(Images, TakeTheirAttributes) {
    const auto built = BuildDocument(
        "<img src=a.gif align=left width=10 height=20 hspace=3 vspace=4 border=2 ismap "
        "alt=\"A picture\"><fig src=b.gif align=Middle hspace=-5><img alt=none>");
    const auto& images = built.document->images;
    ASSERT_EQ(images.size(), 3u);
    const CHTMLImage& a = *images[0];
    EXPECT_EQ(std::tuple(a.source, a.alignment, a.width, a.height, a.hspace, a.vspace, a.border),
              std::tuple("a.gif", kAlignLeft, 10, 20, 3, 4, 2));
    EXPECT_TRUE(a.isMap);
    EXPECT_EQ(a.alt, "A picture");
    EXPECT_EQ(std::tuple(images[1]->alignment, images[1]->isMap, images[1]->hspace),
              std::tuple(kAlignMiddle, false, 0));
    EXPECT_EQ(images[2]->url, "");
}

struct BlockCase {
    const char* name;
    const char* html;
    Words elements;
};

class Blocks : public ::testing::TestWithParam<BlockCase> {};

TEST_P(Blocks, ElementSequence) {
    EXPECT_EQ(Elements(GetParam().html), GetParam().elements);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, Blocks,
    ::testing::Values(
        BlockCase{"Paragraphs",
                  "<p align=center>a</p>",
                  {"break:1", "align:4", "text:0:a", "break:1", "align:3"}},
        BlockCase{"Heading",
                  "<h1 align=right>a</h1>",
                  {"break:1", "align:5", "text:406:a", "break:1", "align:3"}},
        BlockCase{"HeadingAfterListItemHasNoGap",
                  "<ul><li><h2>a</h2></ul>",
                  {"break:2", "break:1", "align:3", "ul+1", "bullet:1", "align:3", "text:405:a",
                   "break:1", "align:3", "break:2", "break:1", "align:3", "ul-0"}},
        BlockCase{
            "Breaks",
            "a<br>b<pre>c<br>d</pre>",
            {"text:0:a", "break:0", "text:0:b", "break:1", "align:3", "pre:c", "break:2", "pre:d"}},
        BlockCase{"Centre",
                  "<center>a</center>",
                  {"break:2", "align:3", "centre+", "text:0:a", "break:2", "align:3", "centre-"}},
        BlockCase{"BlockQuote",
                  "<blockquote>a</blockquote>",
                  {"break:1", "align:3", "quote+", "text:0:a", "break:1", "align:3", "quote-"}},
        BlockCase{
            "Plaintext", "<plaintext>a\nb", {"break:1", "align:3", "pre:a", "break:0", "pre:b"}},
        BlockCase{
            "BlankBetweenStyledWordsSeparatesThem",
            "<b>a</b> <i>b</i>\n<p> <i>c</i>",
            {"text:20:a", "text:0: ", "text:40:b", "text:0: ", "break:1", "align:3", "text:40:c"}},
        BlockCase{
            "IgnoredTags", "<link rel=x><nextid n=1><listing>a</listing><blah>b", {"text:0:ab"}}),
    [](const ::testing::TestParamInfo<BlockCase>& info) { return info.param.name; });

TEST(Hooks, TableTagsGoToTheirBuilder) {
    RecordingHost host;
    const auto built = BuildDocument(
        "<form><input name=q><select><option>a</select><textarea>t</textarea><isindex></form>"
        "<table><caption>c</caption><tr><th>h<td>d</table>after",
        host.Services());
    EXPECT_EQ(host.tableTokens,
              (std::vector<int>{50, 9, 9 + kEndTagFlag, 55, 53, 52, 50 + kEndTagFlag}));
    const Words elements = Elements(*built.document);
    ASSERT_FALSE(elements.empty());
    EXPECT_TRUE(elements.back().ends_with("after")) << elements.back();
}

// A document written out as it is read lets go of its head: the list, the side lists and the
// anchors then start at the element kept; images and tables stop it.
TEST(ReleaseBefore, DropsTheHeadOfTheListAndEveryPointerToIt) {
    const auto built = BuildDocument(
        "<a name=top>x</a><p><a href=b.html>bee</a> <a href=a.html>one</a> <blink>b</blink>"
        "<ul><li>item</ul>"
        "<a href=a.html>two</a> tail<img src=i.gif>after <a href=a.html>three</a>",
        {}, "http://example.org/page.html#top");
    CHTML& document = *built.document;
    CHTMLElement* two = document.First();
    while (two->type != kElementText || static_cast<CHTMLText*>(two)->text != "two")
        two = two->next;
    CHTMLAnchor* link = static_cast<CHTMLText*>(two)->anchor;
    const std::size_t count = document.ElementCount();

    const std::size_t released = document.ReleaseBefore(two);
    EXPECT_GT(released, 5u);
    EXPECT_EQ(document.ElementCount(), count - released);
    EXPECT_EQ(document.First(), two);
    EXPECT_EQ(two->previous, document.End());
    EXPECT_EQ(document.texts.front(), two);
    EXPECT_EQ(document.linkedElements.front(), two);
    EXPECT_TRUE(document.blinkingTexts.empty());
    ASSERT_EQ(link->elements.size(), 2u);  // two, three
    EXPECT_EQ(link->elements.front(), two);
    // The link whose text all went goes too; a later link to it would make a new one.
    EXPECT_EQ(document.anchors, std::vector<CHTMLAnchor*>{link});
    EXPECT_EQ(document.FindAnchor("a.html", link->base), link);
    EXPECT_EQ(document.FindAnchor("b.html", link->base), nullptr);
    // The target was passed: no later anchor of its name takes its place.
    EXPECT_EQ(document.scrollTarget, document.End());
    EXPECT_EQ(document.ReleaseBefore(two), 0u);

    document.ReleaseBefore(document.End());
    EXPECT_EQ(testing::Describe(*document.First()), "image:http://example.org/i.gif");

    // A link still open keeps its anchor, elements or none.
    const auto open = BuildDocument("<a href=c.html>cee<br><br>");
    EXPECT_GT(open.document->ReleaseBefore(open.document->End()), 1u);
    EXPECT_EQ(open.document->anchors.size(), 1u);

    const auto table = BuildDocument("a<table><tr><td>x</table>b<p>c");
    EXPECT_EQ(table.document->ReleaseBefore(table.document->End()), 0u);
}

}  // namespace
}  // namespace corvane::html
