// Tables as the builder leaves them: every cell's content built into the cell's own list, the
// table linked into the flow where it ended. Tables read as "table[a|b/c]": cells separated by
// "|", rows by "/", a caption first as "^text" (above) or last as "_text" (below).
#include <gtest/gtest.h>

#include "build_document.h"
#include "html/table.h"

namespace corvane::html {
namespace {

using testing::BuildDocument;
using Words = std::vector<std::string>;

std::string Flow(const CHTMLElement* first, const CHTMLElement* end);

std::string CellText(const CHTMLTableCell& cell) {
    return Flow(cell.First(), cell.End());
}

std::string TableText(const CHTMLTable& table) {
    std::string out = "table[";
    if (table.caption && !table.captionBelow)
        out += "^" + CellText(*table.cells[*table.caption]) + " ";
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        if (r > 0) out += "/";
        for (std::size_t c = 0; c < table.rows[r].cells.size(); ++c) {
            if (c > 0) out += "|";
            out += CellText(*table.cells[table.rows[r].cells[c]]);
        }
    }
    if (table.caption && table.captionBelow) out += "_" + CellText(*table.cells[*table.caption]);
    return out + "]";
}

// Texts and tables only, joined by spaces.
std::string Flow(const CHTMLElement* first, const CHTMLElement* end) {
    std::string out;
    for (const CHTMLElement* e = first; e != end; e = e->next) {
        std::string word;
        if (e->type == kElementText) word = std::string(static_cast<const CHTMLText*>(e)->text);
        if (e->type == kElementTable) word = TableText(*static_cast<const CHTMLTable*>(e));
        if (word.empty()) continue;
        if (!out.empty()) out += ' ';
        out += word;
    }
    return out;
}

std::string Built(std::string_view html) {
    const auto built = BuildDocument(html);
    return Flow(built.document->First(), built.document->End());
}

TEST(Tables, CellsRowsCaptionsAndNesting) {
    struct Case {
        const char* name;
        const char* html;
        const char* flow;
    };
    const Case cases[] = {
        {"rows and cells", "x<table><tr><td>a<td>b<tr><th>c</table>y", "x table[a|b/c] y"},
        {"cells before any TR make a row", "<table><td>a<td>b</tr><td>c</table>", "table[a|b/c]"},
        {"end tags close cells", "<table><tr><td>a</td>stray<td>b</td></tr></table>",
         "stray table[a|b]"},
        {"caption above and below",
         "<table><caption>t</caption><tr><td>a</table><table><caption align=bottom>u"
         "</caption><tr><td>b</table>",
         "table[^t a] table[b_u]"},
        {"a nested table stays in its cell",
         "<table><tr><td>a<table><tr><td>b</table>c<td>d</table>", "table[a table[b] c|d]"},
        {"text between a nested table's cells lands in the outer cell",
         "<table><tr><td><table>in<tr><td>b</table></table>", "table[in table[b]]"},
        {"a TABLE end in a nested cell closes only the nested table",
         "<table><tr><td><table><tr><td>a</table>b<td>c</table>d", "table[table[a] b|c] d"},
        {"a table never closed keeps its cells", "<table><tr><td>a<td><table><tr><td>b",
         "table[a|table[b]]"},
        // Found by the HTML fuzzer: the closing end tags went into the open title, forever. The
        // title still open takes the replayed text too, and shows it at the end.
        {"a table and a title never closed", "<table><tr><td>a<title>t", "table[] ta"},
        {"a table without cells is dropped, its text stays", "<table>lost?</table>x", "lost?x"},
        {"table parts outside any table are ignored", "<tr><td>a</td></tr><caption>b", "ab"},
        {"a TABLE between cells is ignored", "<table><table><tr><td>a</table>b", "table[a] b"},
        {"HTML, HEAD and BODY inside a table change nothing",
         "<table><tr><td><body>a</body><html>b</table>", "table[ab]"},
    };
    for (const Case& c : cases) EXPECT_EQ(Built(c.html), c.flow) << c.name;
}

TEST(Tables, CellsTakeTheirAttributesAndTheRowsDefaults) {
    const auto built = BuildDocument(
        "<table border=0 cellspacing=5 cellpadding=3 width=50% align=center>"
        "<tr align=right valign=top><td>a<th>b<td align=left valign=baseline nowrap colspan=3 "
        "rowspan=2 width=40>c<td colspan=2147483647 rowspan=99999999 width=10%>d</table>");
    ASSERT_EQ(built.document->tables.size(), 1u);
    const CHTMLTable& table = *built.document->tables[0];
    EXPECT_EQ(table.border, 0);
    EXPECT_EQ(table.cellBorder, 0);
    EXPECT_FALSE(table.drawBorders);
    EXPECT_EQ(table.cellSpacing, 5);
    EXPECT_EQ(table.cellPadding, 3);
    EXPECT_EQ(table.width, -50);
    EXPECT_EQ(table.alignment, kAlignCentre);
    ASSERT_EQ(table.cells.size(), 4u);
    const CHTMLTableCell& a = *table.cells[0];
    EXPECT_EQ(a.alignment, kAlignRight);
    EXPECT_EQ(a.vertical, kAlignTop);
    const CHTMLTableCell& b = *table.cells[1];
    EXPECT_TRUE(b.header);
    EXPECT_EQ(b.alignment, kAlignCentre);
    const CHTMLTableCell& c = *table.cells[2];
    EXPECT_EQ(c.alignment, kAlignLeft);
    EXPECT_EQ(c.vertical, kAlignBaseline);
    EXPECT_TRUE(c.noWrap);
    EXPECT_EQ(c.columnSpan, 3);
    EXPECT_EQ(c.rowSpan, 2);
    EXPECT_EQ(c.width, 40);
    // Spans past what browsers allow are capped.
    const CHTMLTableCell& d = *table.cells[3];
    EXPECT_EQ(d.columnSpan, kMaxColumnSpan);
    EXPECT_EQ(d.rowSpan, kMaxRowSpan);
    EXPECT_EQ(d.width, -10);
}

TEST(Tables, BorderAndSpacingValuesAreBounded) {
    const auto built = BuildDocument(
        "<table border cellspacing=-4 cellpadding=2147483647 width=99999999999><tr><td>a"
        "</table><table border=7><tr><td>b</table>");
    ASSERT_EQ(built.document->tables.size(), 2u);
    const CHTMLTable& bare = *built.document->tables[0];
    EXPECT_EQ(bare.border, 1);
    EXPECT_EQ(bare.cellBorder, 2);
    EXPECT_TRUE(bare.drawBorders);
    EXPECT_EQ(bare.cellSpacing, 0);
    EXPECT_EQ(bare.cellPadding, kMaxTableSpacing);
    EXPECT_EQ(bare.width, kMaxTableLength);
    EXPECT_EQ(built.document->tables[1]->border, 7);
}

// TITLE and META inside a cell are taken at once, while the table is still being collected.
TEST(Tables, TitleAndMetaInACellAreHandledAtOnce) {
    struct Host : DocumentHost {
        void ShowTitle(std::string_view title) override { titles.emplace_back(title); }
        void RequestRefresh(std::int32_t seconds, std::string_view) override {
            refreshes.push_back(seconds);
        }
        Words titles;
        std::vector<std::int32_t> refreshes;
    } host;
    const auto built =
        BuildDocument("<table><tr><td><title>T</title><meta http-equiv=refresh content=5>x</table>",
                      BuilderServices{&host});
    EXPECT_EQ(host.titles, Words{"T"});
    EXPECT_EQ(host.refreshes, std::vector<std::int32_t>{5});
    EXPECT_EQ(Flow(built.document->First(), built.document->End()), "table[x]");
}

// The tokenizer sees a cell's PRE while the table is collected, so line ends in it survive.
TEST(Tables, PreformattedCellsKeepTheirLines) {
    const auto built = BuildDocument("<table><tr><td><pre>a\nb</pre>c\nd</table>");
    const CHTMLTableCell& cell = *built.document->tables[0]->cells[0];
    Words words;
    for (const CHTMLElement* e = cell.First(); e != cell.End(); e = e->next)
        words.push_back(testing::Describe(*e));
    EXPECT_EQ(words, (Words{"break:1", "align:3", "pre:a", "break:0", "pre:b", "text:0:c d",
                            "break:2", "cellend"}));
}

// Each level is collected and replayed once: ten thousand levels build in linear time.
TEST(Tables, DeepNestingBuildsEveryLevel) {
    constexpr int kLevels = 10000;
    std::string page;
    for (int i = 0; i < kLevels; ++i) page += "<table><tr><td>x";
    const auto built = BuildDocument(page);
    ASSERT_EQ(built.document->tables.size(), static_cast<std::size_t>(kLevels));
    const CHTMLTable* table = built.document->tables[0];
    int depth = 1;
    for (;;) {
        const CHTMLTableCell& cell = *table->cells[0];
        const CHTMLElement* e = cell.First();
        ASSERT_EQ(testing::Describe(*e), "text:0:x");
        if (e->next->type != kElementTable) break;
        table = static_cast<const CHTMLTable*>(e->next);
        ++depth;
    }
    EXPECT_EQ(depth, kLevels);
}

}  // namespace
}  // namespace corvane::html
