// The view over real documents built from HTML, laid out with the fixed-metrics surface (body
// font 16 high, 8 per character; lines 18 apart; the flow starts at x 10, y 20).
#include "render/html_view.h"

#include <functional>

#include <gtest/gtest.h>

#include "html/form_elements.h"
#include "platform/scripted_host_services.h"
#include "tests/html/build_document.h"
#include "tests/support/fixed_metrics_surface.h"

namespace corvane::render {
namespace {

using html::testing::BuildDocument;

class RecordingWindow : public CViewWindow {
  public:
    void SetScrollSizes(const ScrollSizes& s) override { sizes = s; }
    void Repaint(const Rect&) override { ++repaints; }
    void PostRelayout() override { ++posted; }
    void SetCursor(CursorKind c) override { cursor = c; }
    void ScrollToY(int y) override { scrollY = y; }

    ScrollSizes sizes;
    int repaints = 0;
    int posted = 0;
    CursorKind cursor = CursorKind::kArrow;
    int scrollY = -1;
};

class HtmlViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(view.ApplySettings(ViewSettings{}));
        view.OnSize(620, 400);  // a 600-pixel flow
        view.OnRelayout();
    }
    std::string Show(std::string_view html, int width = 620) {
        view.SetDocument(nullptr, "", "");  // the view lets go before the document goes
        built = BuildDocument(html);
        view.OnSize(width, 400);
        view.OnRelayout();
        view.SetDocument(built.document.get(), built.document->url(), "");
        view.Finish();
        return view.DumpText();
    }
    // Feeds the page to the view a byte at a time, laying it out every `every` bytes (then
    // calling `afterUpdate`), and answers its text: written out as it is laid out when
    // `streamed`, else dumped at the end.
    std::string LayInPieces(html::CHTML& document, std::string_view page, bool streamed,
                            std::size_t every, const std::function<void()>& afterUpdate = {}) {
        html::CHTMLBuilder builder(document);
        html::CHTMLTokenizer tokenizer;
        view.SetDocument(&document, document.url(), "");
        std::string text;
        CTextStream stream(view.TextMetrics(), [&text](std::string_view line) { text += line; });
        if (streamed) view.StreamTextTo(&stream);
        const auto feed = [&](int ch) {
            const int token = tokenizer.Feed(ch, builder.Preformatted());
            if (token != html::kTokenNone) html::HandleTokenNow(builder, token, tokenizer.Text());
        };
        for (std::size_t i = 0; i < page.size(); ++i) {
            feed(static_cast<unsigned char>(page[i]));
            if (i % every != 0) continue;
            view.Update();
            if (afterUpdate) afterUpdate();
        }
        feed(0);
        html::EndOfDataNow(builder);
        view.Finish();
        if (!streamed) text = view.DumpText();
        view.StreamTextTo(nullptr);
        view.SetDocument(nullptr, "", "");
        return text;
    }
    const LayoutBox& BoxWithText(std::string_view text) {
        for (const LayoutBox& box : view.Layout().Display().boxes) {
            if (box.text == text) return box;
        }
        ADD_FAILURE() << "no box " << text;
        return view.Layout().Display().boxes.front();
    }

    testing::FixedMetricsSurface surface;
    platform::ScriptedHostServices host;
    RecordingWindow window;
    CHTMLView view{surface, host, window};
    html::testing::Built built;
};

TEST_F(HtmlViewTest, PagesDumpAsText) {
    struct Case {
        const char* name;
        const char* html;
        const char* text;
    };
    const Case cases[] = {
        {"heading", "<h1>Title</h1>text", "Title\n\ntext\n"},
        {"list", "<ul><li>one<li>two</ul>after", "   * one\n   * two\n\nafter\n"},
        {"numbered list", "<ol><li>x<li>y</ol>", "   1. x\n   2. y\n"},
        {"nested lists", "<ul><li>a<ul><li>b</ul></ul>", "   * a\n         * b\n"},
        {"rule", "a<hr width=80 align=left>b", "a\n----------\nb\n"},
        {"pre", "<pre>x\ty\n\nz</pre>", "x       y\n\nz\n"},
        {"image", "<img alt=Logo> and <img src=x.gif>", "[Logo] and [IMAGE]\n"},
        {"link text", "see <a href=x>this page</a>.", "see this page.\n"},
        {"entities and UTF-8", "caf&eacute; \u00e9 &#x65E5;", "caf\u00e9 \u00e9 \u65E5\n"},
        {"blockquote", "<blockquote>q</blockquote>", "      q\n"},
        {"terms after definitions", "<dl><dt>a<dd>b<dt>c<dd>d</dl>", "a\n      b\nc\n      d\n"},
        {"P opening an item", "<ul><li><p>one<li>\n<p>two</ul>", "   * one\n   * two\n"},
        {"P opening a term and data", "<dl><dt><p>t<dd><p>d</dl>", "t\n      d\n"},
        {"XML-style empty tags", "a<br/>b<p/>c", "a\nb\n\nc\n"},
        {"hidden content", "<style>p{}</style><!-- <a>x</a> > -->a<?x y?><script>z</script>",
         "a\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Show(c.html), c.text);
    }
}

TEST_F(HtmlViewTest, PlaceholderTextLiesInsideItsFrames) {
    using Call = testing::FixedMetricsSurface::Call;
    for (const int border : {0, 1, 4}) {
        SCOPED_TRACE(border);
        Show("<img alt=Logo border=" + std::to_string(border) + ">");
        surface.calls.clear();
        view.Paint(surface, Rect{0, 0, 620, 400});
        std::vector<Rect> frames;
        std::vector<Rect> texts;
        for (const Call& call : surface.calls) {
            if (call.kind == Call::kRect) frames.push_back(call.rect);
            if (call.kind == Call::kText) texts.push_back(call.rect);
        }
        // The frames, then the icon's own picture frame.
        const auto count = static_cast<std::size_t>(std::max(1, border));
        ASSERT_EQ(frames.size(), count + 1);
        ASSERT_EQ(texts.size(), 1u);
        const Rect& innermost = frames[count - 1];
        EXPECT_GE(texts[0].left, innermost.left + 1 + 32);  // past the icon
        EXPECT_LE(texts[0].right, innermost.right - 1 - kImageAltGap);
        EXPECT_EQ(frames.front(), BoxWithText("Logo").rect);
    }
}

// The same page arriving in pieces, laid out after each piece, reads the same as laid out
// whole, also when its text is written out (and dropped) as it is laid out.
TEST_F(HtmlViewTest, PartialLayoutMatchesWholeLayout) {
    const std::string page =
        "<h2>Head</h2><p>Some words that wrap across the line more than once, "
        "with <b>bold</b> and <a href=x>links</a>, 1 < 2 <<< 3.<ul><li>one<li>two</ul>"
        "<img align=left alt=float><pre>a\tb</pre>end";
    const std::string whole = Show(page, 200);

    for (const bool streamed : {false, true}) {
        SCOPED_TRACE(streamed);
        html::CHTML document{std::string(html::testing::kPageUrl)};
        EXPECT_EQ(LayInPieces(document, page, streamed, 7), whole);
    }
}

// A long page written out as it is laid out, its elements let go behind the written lines,
// reads the same as the page laid out whole, and is never held whole.
TEST_F(HtmlViewTest, StreamedTextLetsGoOfWhatWasWritten) {
    std::string page = "<title>T</title><a name=top></a>";
    for (int i = 0; i < 150; ++i) {
        const std::string n = std::to_string(i);
        page += "<h3>Part " + n + "</h3><p>Words <a href=p" + std::to_string(i % 7) +
                ".html>link " + n + "</a>, <blink>blink</blink> &amp; <b>bold</b> text" +
                "<a name=n" + n + "></a> that runs on past the end of one line at least." +
                "<ul><li>item<li><p>para<dl><dt>term<dd>data " + n + "</dl></ul>" +
                (i % 10 == 0 ? "<pre>a\tb\n  c</pre>" : "");
    }
    const std::string url = "http://example.org/page.html#n75";
    const auto lay = [&](bool streamed, std::size_t& mostElements) {
        html::CHTML document(url);
        mostElements = 0;
        return LayInPieces(document, page, streamed, 300, [&] {
            if (streamed) document.ReleaseBefore(view.Layout().FirstElementInUse());
            mostElements = std::max(mostElements, document.ElementCount());
        });
    };
    std::size_t whole = 0;
    std::size_t streamed = 0;
    const std::string expected = lay(false, whole);
    EXPECT_EQ(lay(true, streamed), expected);
    EXPECT_LT(streamed * 20, whole);
}

TEST_F(HtmlViewTest, HoverShowsTheLinkAndClickFollowsIt) {
    Show("go <a href=next.html>there</a> now<p><a href=map><img ismap alt=Map></a>");
    const LayoutBox& link = BoxWithText("there");
    const Point inside{link.rect.left + 2, link.rect.top + 2};

    view.MouseMove(inside);
    EXPECT_EQ(host.statusTexts.back(), "http://example.org/dir/next.html");
    EXPECT_EQ(window.cursor, CursorKind::kLink);
    view.MouseMove(Point{2, 2});
    EXPECT_EQ(host.statusTexts.back(), "");
    EXPECT_EQ(window.cursor, CursorKind::kArrow);
    view.MouseMove(inside);
    view.MouseLeave();
    EXPECT_EQ(host.statusTexts.back(), "");

    std::vector<LinkRequest> followed;
    view.onFollowLink = [&](const LinkRequest& r) { followed.push_back(r); };
    view.LeftButtonDown(inside);
    EXPECT_EQ(window.cursor, CursorKind::kPressedLink);
    view.LeftButtonUp(inside);
    ASSERT_EQ(followed.size(), 1u);
    EXPECT_EQ(followed[0].url, "http://example.org/dir/next.html");
    EXPECT_EQ(followed[0].referrer, html::testing::kPageUrl);
    EXPECT_EQ(followed[0].method, 0);

    // An ISMAP image adds the point's offset from its top-left corner.
    const LayoutBox* map = nullptr;
    for (const LayoutBox& box : view.Layout().Display().boxes) {
        if (box.kind == BoxKind::kImage) map = &box;
    }
    ASSERT_NE(map, nullptr);
    const Point point{map->rect.left + 10, map->rect.top + 5};
    view.MouseMove(point);
    EXPECT_EQ(host.statusTexts.back(), "http://example.org/dir/map?10,5");
    view.LeftButtonDown(point);
    view.LeftButtonUp(point);
    ASSERT_EQ(followed.size(), 2u);
    EXPECT_EQ(followed[1].url, "http://example.org/dir/map?10,5");
    EXPECT_EQ(followed[1].method, 1);

    // A press outside any link follows nothing.
    view.LeftButtonDown(Point{2, 2});
    view.LeftButtonUp(inside);
    EXPECT_EQ(followed.size(), 2u);
}

TEST_F(HtmlViewTest, OnlyAWidthChangeLaysOutAgain) {
    Show("text");
    const int layouts = view.LayoutCount();
    const int posted = window.posted;
    view.OnSize(620, 100);
    EXPECT_EQ(window.posted, posted);
    EXPECT_EQ(view.LayoutCount(), layouts);
    EXPECT_EQ(window.sizes.pageHeight, 100);

    view.OnSize(300, 100);
    view.OnSize(310, 100);  // a drag: one posted relayout
    EXPECT_EQ(window.posted, posted + 1);
    EXPECT_EQ(view.LayoutCount(), layouts);
    view.OnRelayout();
    EXPECT_EQ(view.LayoutCount(), layouts + 1);
}

TEST_F(HtmlViewTest, ScrollsToTheFragmentsAnchor) {
    built = BuildDocument("<p>a<p>b<p><a name=here>c</a>", {}, "http://example.org/p#here");
    view.SetDocument(built.document.get(), built.document->url(), "");
    view.Finish();
    EXPECT_GT(window.scrollY, 20);
}

// Images as the window's loads describe them: a known size reserves its box (stretched to WIDTH
// and HEIGHT where given); a click on the icon square of one not shown yet asks for it.
TEST_F(HtmlViewTest, ImagesTakeTheirSizeAndLoadFromTheirIconSquare) {
    ImageInfo sized;
    sized.naturalWidth = 120;
    sized.naturalHeight = 70;
    view.SetImageSource([&](const html::CHTMLElement*) { return sized; });
    Show("<img src=a.gif><img src=b.gif width=30>");
    std::vector<Rect> boxes;
    for (const LayoutBox& box : view.Layout().Display().boxes)
        if (box.kind == BoxKind::kImage) boxes.push_back(box.rect);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].Width(), 120);
    EXPECT_EQ(boxes[0].Height(), 70);
    EXPECT_EQ(boxes[1].Width(), 30);
    EXPECT_EQ(boxes[1].Height(), 70);

    std::vector<const html::CHTMLElement*> asked;
    view.onLoadImage = [&](const html::CHTMLElement* image) { asked.push_back(image); };
    const Point inSquare{boxes[0].left + 5, boxes[0].top + 5};
    const Point pastSquare{boxes[0].left + 40, boxes[0].top + 5};
    view.LeftButtonUp(inSquare);
    view.LeftButtonUp(pastSquare);
    EXPECT_EQ(asked.size(), 1u);
    sized.state = ImageState::kDecoded;
    view.LeftButtonUp(inSquare);
    EXPECT_EQ(asked.size(), 1u);
    view.SetImageSource(nullptr);
}

// Lines of the body font: the first at y 20..38, then 18 apart; characters 8 wide from x 10.
constexpr int Column(int n) {
    return 10 + 8 * n;
}
constexpr int LineY(int n) {
    return 25 + 18 * n;
}

TEST_F(HtmlViewTest, SelectionTextBetweenTwoPoints) {
    struct Case {
        const char* name;
        Point from;
        Point to;
        const char* text;
        const char* html = "alpha beta gamma<br>delta epsilon<br>zeta";
    };
    const Case cases[] = {
        {"one word", {Column(6), LineY(0)}, {Column(10), LineY(0)}, "beta"},
        {"dragged back", {Column(10), LineY(0)}, {Column(6), LineY(0)}, "beta"},
        {"half a character is none", {Column(6) + 5, LineY(0)}, {Column(10) - 3, LineY(0)}, "eta"},
        {"across lines", {Column(6), LineY(0)}, {Column(5), LineY(1)}, "beta gamma\ndelta"},
        {"upward across lines", {Column(5), LineY(1)}, {Column(6), LineY(0)}, "beta gamma\ndelta"},
        {"from above the page to below it",
         {0, 0},
         {0, 1000},
         "alpha beta gamma\ndelta epsilon\nzeta"},
        {"pieces of one word join",
         {0, LineY(0)},
         {600, LineY(0)},
         "bold text",
         "bo<b>ld</b> <i>text</i>"},
        {"number labels", {0, 0}, {600, 1000}, "1. x\n2. y", "<ol><li>x<li>y</ol>"},
        {"whole characters",
         {Column(1), LineY(0)},
         {Column(7), LineY(0)},
         "\u00e9llo \u65e5",
         "h\u00e9llo \u65e5\u672c"},
        {"a point alone", {Column(6), LineY(0)}, {Column(6), LineY(0)}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Show(c.html);
        view.Select(c.from, c.to);
        EXPECT_EQ(view.SelectedText(), c.text);
    }
}

TEST_F(HtmlViewTest, DraggingSelectsAndCopyFillsTheClipboard) {
    Show("alpha beta gamma<br>delta epsilon<br>zeta");
    std::vector<std::string> offered;
    view.onSelectionMade = [&](const std::string& text) { offered.push_back(text); };
    const auto drag = [&](Point from, Point to) {
        view.LeftButtonDown(from);
        view.MouseMove(Point{(from.x + to.x) / 2, from.y});
        view.MouseMove(to);
        view.LeftButtonUp(to);
        return view.SelectedText();
    };
    const std::string down = drag({Column(6), LineY(0)}, {Column(5), LineY(2) - 3});
    const std::string up = drag({Column(5), LineY(2) - 3}, {Column(6), LineY(0)});
    EXPECT_EQ(down, "beta gamma\ndelta epsilon\nzeta");
    EXPECT_EQ(up, down);
    EXPECT_EQ(offered, (std::vector<std::string>{down, down}));

    EXPECT_TRUE(view.Copy());
    EXPECT_EQ(host.clipboard, down);
    // A press without a drag clears the selection; Copy then leaves the clipboard alone.
    view.LeftButtonDown({Column(2), LineY(1)});
    view.LeftButtonUp({Column(2), LineY(1)});
    EXPECT_FALSE(view.HasSelection());
    EXPECT_FALSE(view.Copy());
    EXPECT_EQ(host.clipboard, down);
    EXPECT_EQ(offered.size(), 2u);
}

TEST_F(HtmlViewTest, SelectedTextIsDrawnOnTheHighlight) {
    using Call = testing::FixedMetricsSurface::Call;
    view.SetSelectionColors(MakeColor(4, 5, 6), MakeColor(1, 2, 3));
    Show("alpha beta gamma");
    view.Select({Column(6), LineY(0)}, {Column(10), LineY(0)});
    surface.calls.clear();
    view.Paint(surface, Rect{0, 0, 620, 400});
    std::vector<Call> highlights;
    std::vector<Call> selected;
    for (const Call& call : surface.calls) {
        if (call.kind == Call::kFillRect && call.color == MakeColor(1, 2, 3))
            highlights.push_back(call);
        if (call.kind == Call::kText && call.color == MakeColor(4, 5, 6)) selected.push_back(call);
    }
    ASSERT_EQ(highlights.size(), 1u);
    EXPECT_EQ(highlights[0].rect, (Rect{Column(6), 20, Column(10), 36}));
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0].text, "beta");
    EXPECT_EQ(selected[0].rect.left, Column(6));
}

TEST_F(HtmlViewTest, CopyOfALongSelectionKeepsEveryLine) {
    std::string page;
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        const std::string line = "line number " + std::to_string(i);
        page += line + "<br>";
        expected += (i ? "\n" : "") + line;
    }
    Show(page);
    view.Select({0, 0}, {0, 1 << 30});
    ASSERT_TRUE(view.Copy());
    EXPECT_EQ(host.clipboard, expected);
}

TEST_F(HtmlViewTest, FindWalksThroughTheMatches) {
    using Outcome = CHTMLView::FindOutcome;
    Show("Find <b>the</b> word, and th<i>e</i> next: The end.<ol><li>item</ol>");
    const auto lastMessage = [&] {
        return host.messages.empty() ? std::string() : host.messages.back().text;
    };
    EXPECT_EQ(view.FindNext("", false, false), Outcome::kEmptyPattern);
    EXPECT_EQ(lastMessage(), "Enter the string to be searched!");
    EXPECT_EQ(host.messages.back().icon, platform::MessageIcon::kExclamation);

    // Matches run across text runs; the position moves past each one.
    std::vector<Point> found;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(view.FindNext("the", false, false), Outcome::kFound) << i;
        EXPECT_EQ(view.SelectedText(), i < 2 ? "the" : "The");
        found.push_back(view.Selection().start.line == 0
                            ? Point{view.Selection().start.x, view.Selection().end.x}
                            : Point{});
    }
    EXPECT_LT(found[0].x, found[1].x);
    EXPECT_LT(found[1].x, found[2].x);
    host.messages.clear();
    EXPECT_EQ(view.FindNext("the", false, false), Outcome::kFinished);
    EXPECT_EQ(lastMessage(), "Finished searching this page!");
    // It stays at the end until a search starts from the top, which applies to that one only.
    EXPECT_EQ(view.FindNext("Find", false, false), Outcome::kFinished);
    EXPECT_EQ(view.FindNext("the", true, true), Outcome::kFound);
    EXPECT_EQ(view.FindNext("the", false, true), Outcome::kFound);
    EXPECT_EQ(view.FindNext("the", false, true), Outcome::kFinished);
    // A match that would run past the end of the text list is none.
    EXPECT_EQ(view.FindNext("item and more", true, false), Outcome::kFinished);
    // Number labels are searched too.
    EXPECT_EQ(view.FindNext("1.", true, false), Outcome::kFound);
    EXPECT_EQ(view.SelectedText(), "1.");
}

TEST_F(HtmlViewTest, FindScrollsToAMatchOutOfSight) {
    std::string page;
    for (int i = 0; i < 100; ++i) page += "line<br>";
    Show(page + "needle");
    window.scrollY = -1;
    ASSERT_EQ(view.FindNext("needle", false, false), CHTMLView::FindOutcome::kFound);
    // A line above the match stays in sight.
    EXPECT_LT(window.scrollY, 20 + 100 * 18);
    EXPECT_GE(window.scrollY, 20 + 99 * 18);
    EXPECT_EQ(view.SelectedText(), "needle");
}

TEST_F(HtmlViewTest, TablesAreSelectedCellByCellAndRowByRow) {
    const char* grid =
        "<table border><tr><td>a1<br>a2<br>a3</td><td>b1</td></tr>"
        "<tr><td>c1</td><td>d1<br>d2</td></tr></table>after";
    const char* tall = "<table><tr><td valign=top>left</td><td>r1<br>r2<br>r3</td></tr></table>";
    const char* nested =
        "<table border><tr><td>o1<table border><tr><td>i1<br>i2</td><td>j1</td></tr></table>"
        "o2</td><td>p1</td></tr></table>";
    struct Case {
        const char* name;
        const char* html;
        const char* from;  // the box a point lies in, and where in it
        Point fromAt;
        const char* to;
        Point toAt;
        const char* text;
    };
    const Case cases[] = {
        // Within a cell's second line to the start of the next cell of the row.
        {"rest of a cell into the next", grid, "a2", {4, 1}, "b1", {5, 1}, "2\na3\nb"},
        {"the same dragged upward", grid, "b1", {5, 1}, "a2", {4, 1}, "2\na3\nb"},
        {"into the next row", grid, "b1", {0, 1}, "c1", {20, 1}, "b1\nc1"},
        // A point in the left cell, level with the right cell's last line, stays with the
        // left cell: after its text.
        {"a cell's empty part", tall, "left", {2, 40}, "r2", {0, 1}, "r1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Show(c.html);
        const auto at = [&](const char* box, Point offset) {
            const Rect& r = BoxWithText(box).rect;
            return Point{r.left + offset.x, r.top + offset.y};
        };
        view.Select(at(c.from, c.fromAt), at(c.to, c.toAt));
        EXPECT_EQ(view.SelectedText(), c.text);
    }
    // Whole tables, from above the page to below it.
    const std::pair<const char*, const char*> whole[] = {
        {grid, "a1\na2\na3\nb1\nc1\nd1\nd2\nafter"},
        {nested, "o1\ni1\ni2\nj1\no2\np1"},
        {"<table><caption>cap</caption><tr><td>x</td></tr></table>", "cap\nx"},
    };
    for (const auto& [html, text] : whole) {
        Show(html);
        view.Select({0, 0}, {0, 1000});
        EXPECT_EQ(view.SelectedText(), text) << html;
    }
}

TEST_F(HtmlViewTest, FormControlsAreSelectedAndSearchedByWhatTheyShow) {
    using Outcome = CHTMLView::FindOutcome;
    Show(
        "<form>Name <input name=n value=\"Ada Lovelace\"> <input type=password value=secret> "
        "<select name=s><option>x<option selected>why</select> <input type=checkbox>"
        "<br><textarea>t1\nt2</textarea> <input type=submit value=Go> end</form>"
        "<table><tr><td>cell <input value=inside></td></tr></table>");
    view.Select({0, 0}, {0, 1000});
    // Passwords and check boxes show no text.
    EXPECT_EQ(view.SelectedText(), "Name Ada Lovelace why\nt1\nt2 Go end\ncell inside");

    // A control is one piece: a selection that ends in its left half leaves it out.
    const LayoutBox* field = nullptr;
    for (const LayoutBox& box : view.Layout().Display().boxes) {
        if (box.kind == BoxKind::kControl && field == nullptr) field = &box;
    }
    ASSERT_NE(field, nullptr);
    view.Select({0, field->rect.top}, {field->rect.left + 3, field->rect.top});
    EXPECT_EQ(view.SelectedText(), "Name ");
    // Selected controls get the highlight around their windows.
    view.SetSelectionColors(MakeColor(4, 5, 6), MakeColor(1, 2, 3));
    view.Select({0, field->rect.top}, {field->rect.right, field->rect.top});
    surface.calls.clear();
    view.Paint(surface, Rect{0, 0, 620, 400});
    bool framed = false;
    for (const auto& call : surface.calls) {
        framed |= call.kind == testing::FixedMetricsSurface::Call::kFillRect &&
                  call.color == MakeColor(1, 2, 3) && call.rect.left < field->rect.left &&
                  call.rect.right > field->rect.right;
    }
    EXPECT_TRUE(framed);

    // Find reads what the controls show now, in document order, and selects the control.
    EXPECT_EQ(view.FindNext("love", true, false), Outcome::kFound);
    EXPECT_EQ(view.SelectedText(), "Ada Lovelace");
    EXPECT_EQ(view.FindNext("secret", true, false), Outcome::kFinished);
    static_cast<const html::CHTMLControl*>(field->element)->text = "typed later";
    for (const char* word : {"later", "why", "t2", "go", "inside"}) {
        SCOPED_TRACE(word);
        EXPECT_EQ(view.FindNext(word, word == std::string("later"), false), Outcome::kFound);
    }
    EXPECT_EQ(view.SelectedText(), "inside");
}

}  // namespace
}  // namespace corvane::render
