// The generated news pages and the data under them, without a server: the group tree with its
// list page and cache file, news addresses and ranges, overview lines, threading, the article
// list and the article page.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/address.h"
#include "news/article_list_page.h"
#include "news/article_page.h"
#include "news/article_threads.h"
#include "news/group_list_cache.h"
#include "news/group_list_page.h"
#include "news/news_url.h"
#include "news/nntp_lines.h"
#include "news/overview.h"
#include "tests/support/scratch_directory.h"

namespace corvane::news {
namespace {

std::string Drain(protocols::GeneratedUnits& units) {
    std::string out;
    char block[7];  // small, so units are handed out in pieces
    for (int n; (n = units.Fill(block, sizeof block)) > 0;) out.append(block, n);
    return out;
}

std::shared_ptr<GroupTree> Tree(const std::vector<std::string>& groups) {
    auto tree = std::make_shared<GroupTree>();
    for (const std::string& group : groups) tree->AddGroup(group);
    tree->FinishLoading();
    return tree;
}

std::string GroupPage(const std::shared_ptr<GroupTree>& tree, std::string hierarchy,
                      std::string fragment) {
    GroupListPage page(tree, {"srv", "news:", std::move(hierarchy), std::move(fragment)});
    return Drain(page);
}

std::string Entry(const std::string& name) {
    return "<dd><a href=\"news:" + name + "\">" + name + "</a>\r\n";
}

const std::vector<std::string> kGroups = {"comp.lang.c", "comp.lang.java", "comp.os.linux.misc",
                                          "alt.test",    "comp.lang",      "comp.arch",
                                          "misc.a.b.c"};

TEST(GroupListPage, AllGroupsHierarchiesFragmentsAndSingleChildChains) {
    const std::string page = GroupPage(Tree(kGroups), "", "");
    EXPECT_TRUE(page.starts_with("<TITLE>Newsgroup List for srv</TITLE>\r\n<body "));
    // Children in case-insensitive order; a chain of single children down to a group is one
    // dotted name; a node with several children links to its own partial list.
    const std::string expected = "<H1>Newsgroup List for srv</H1>\r\n<hr><dl>\r\n" +
                                 Entry("alt.test") + Entry("comp.*") + Entry("misc.a.b.c") +
                                 "</dl>\r\n";
    EXPECT_TRUE(page.ends_with(expected)) << page;
    // A hierarchy, and one with a name fragment.
    const auto tree = Tree(kGroups);
    EXPECT_TRUE(GroupPage(tree, "comp", "")
                    .ends_with("<dd><b><font size=+2>comp.*</font></b><dl>\r\n" +
                               Entry("comp.arch") + Entry("comp.lang.*") +
                               Entry("comp.os.linux.misc") + "</dl>\r\n</dl>\r\n"));
    // comp.lang is a group and a hierarchy: its heading, its entry, then its children.
    EXPECT_TRUE(GroupPage(tree, "comp", "l")
                    .ends_with("<hr><dl>\r\n<dd><b><font size=+2>comp.lang</font></b><dl>\r\n" +
                               Entry("comp.lang.*") + Entry("comp.lang.c") +
                               Entry("comp.lang.java") + "</dl>\r\n</dl>\r\n"));
    EXPECT_TRUE(GroupPage(tree, "nothere", "").ends_with("<hr><dl>\r\n</dl>\r\n"));
}

TEST(GroupListPage, ServerTextIsEscapedInTextAndLinks) {
    const std::string page = GroupPage(Tree({"a.<script>&\"x"}), "", "");
    EXPECT_NE(
        page.find("<dd><a href=\"news:a.%3Cscript%3E%26%22x\">a.&lt;script&gt;&amp;&quot;x</a>"),
        std::string::npos)
        << page;
    EXPECT_EQ(page.find("<script"), std::string::npos);
}

// Loading looks children up by exact name (the last child directly, the others through the
// index, which grows past its first size here): every group gets one node, in any order.
TEST(GroupTree, LoadingFindsEveryChildByExactNameInAnyOrder) {
    GroupTree tree;
    std::size_t added = 0;
    for (int round = 0; round < 2; ++round) {  // the second round adds no node
        for (int i = 0; i < 3000; ++i) {
            const int j = (i * 7919) % 3000;  // neither sorted nor grouped by parent
            added += tree.AddListLine("h" + std::to_string(j % 40) + ".g" + std::to_string(j) +
                                      " 10 1 y");
        }
    }
    EXPECT_TRUE(tree.AddGroup("H0.G0"));  // differs in case: a node of its own
    EXPECT_TRUE(tree.AddGroup("h0.g0"));
    tree.FinishLoading();
    EXPECT_EQ(added, 6000u);
    std::size_t nodes = 0, groups = 0;
    for (const auto& top : tree.Root().children) {
        for (const auto& child : top->children) {
            ++nodes;
            groups += child->IsGroup();
        }
    }
    EXPECT_EQ(tree.Root().children.size(), 41u);
    EXPECT_EQ(nodes, 3001u);
    EXPECT_EQ(groups, 3001u);
    EXPECT_EQ(tree.Root().children[0]->name, "H0");  // equal but for case: byte order
}

// Nodes read from the cache file are found again when groups are added after them; 20,000
// children (several blocks of nodes) come out in name order also where their first eight bytes
// agree; a cleared tree loads anew (ASan sees whether the long names were released).
TEST(GroupTree, NodesOfEitherSourceAreFoundSortedAndReleased) {
    GroupTree tree;
    GroupNode* comp = tree.AddNode(tree.Root(), "comp", 0);
    tree.AddNode(*comp, "lang", 0);
    EXPECT_TRUE(tree.AddGroup("comp.lang"));
    const std::vector<std::string> near = {"abcdefghi", "ABCDEFGH", "abcdefg", "abcdefgh", "b"};
    for (const std::string& name : near) EXPECT_TRUE(tree.AddGroup("comp.lang." + name));
    for (int i = 0; i < 20000; ++i)
        tree.AddGroup("comp.lang.a-long-shared-start-" + std::to_string((i * 7919) % 20000));
    tree.FinishLoading();
    ASSERT_EQ(comp->children.size(), 1u);
    const GroupNode& lang = *comp->children[0];
    EXPECT_TRUE(lang.IsGroup());
    ASSERT_EQ(lang.children.size(), 20005u);
    for (std::size_t i = 1; i < lang.children.size(); ++i)
        ASSERT_TRUE(GroupNameLess(lang.children[i - 1]->name, lang.children[i]->name))
            << lang.children[i - 1]->name << " before " << lang.children[i]->name;
    EXPECT_NE(tree.Find("comp.lang.A-LONG-SHARED-START-19999"), nullptr);
    tree.Clear();
    EXPECT_TRUE(tree.AddGroup("x.y"));
    tree.FinishLoading();
    EXPECT_EQ(tree.Find("comp"), nullptr);
    ASSERT_EQ(tree.Root().children.size(), 1u);
    EXPECT_TRUE(tree.Find("x.y")->IsGroup());
}

TEST(GroupListCache, RoundTripKeepsFlagsOrderAndLongNames) {
    testing::ScratchDirectory scratch;
    auto tree = Tree({"b.x", "a.y.z", std::string(300, 'n') + ".q"});
    const_cast<GroupNode*>(tree->Find("a.y"))->flags |= 0x24;
    const std::string text = FormatGroupListCache(*tree, "Srv");
    EXPECT_TRUE(text.starts_with("1-00a\n2-24y\n3-01z\n1-00b\n2-01x\n1-00nnn")) << text;
    EXPECT_TRUE(text.ends_with("0-00Srv1.00\n"));
    scratch.Write("c.NG", text);
    EXPECT_TRUE(IsCompleteGroupListCache(scratch.File("c.NG"), "srv"));
    EXPECT_FALSE(IsCompleteGroupListCache(scratch.File("c.NG"), "other"));
    GroupTree read;
    EXPECT_EQ(ReadGroupListCache(scratch.File("c.NG"), read), 8);
    EXPECT_EQ(FormatGroupListCache(read, "Srv"), text);

    scratch.Write("cut.NG", text.substr(0, text.size() - 1));
    EXPECT_FALSE(IsCompleteGroupListCache(scratch.File("cut.NG"), "srv"));
    // Lines without a parent, with bad flags or absurd depths are skipped.
    scratch.Write("bad.NG", "2-01orphan\n1-0Gbad\n1-01ok\n99999999999999999999-01deep\n3-01gap\n");
    EXPECT_EQ(ReadGroupListCache(scratch.File("bad.NG"), read), 5);
    EXPECT_EQ(FormatGroupListCache(read, "s"), "1-01ok\n0-00s1.00\n");
    EXPECT_EQ(ReadGroupListCache(scratch.File("missing"), read), -1);

    const std::string made = NewGroupListCachePath(scratch.path());
    EXPECT_TRUE(made.starts_with(scratch.path() + "/CVT") && made.ends_with(".NG")) << made;
}

TEST(NewsAddress, PathsSelectThePage) {
    struct Case {
        std::string path, anchor;
        NewsMode mode;
        std::string group, range, id, hierarchy, fragment;
    };
    const std::vector<Case> cases = {
        {"", "", NewsMode::kGroupList, "", "", "", "", ""},
        {"comp*", "", NewsMode::kGroupList, "", "", "", "", "comp"},
        {"comp.*", "", NewsMode::kGroupList, "", "", "", "comp", ""},
        {"comp.l*", "", NewsMode::kGroupList, "", "", "", "comp", "l"},
        {"alt.test", "", NewsMode::kArticleList, "alt.test", "", "", "", ""},
        {"alt.test/1-100", "", NewsMode::kArticleList, "alt.test", "1-100", "", "", ""},
        {"a@b", "", NewsMode::kArticle, "", "", "<a@b>", "", ""},
        {"a@b", "x", NewsMode::kArticle, "", "", "<a@b#x>", "", ""},
    };
    for (const Case& c : cases) {
        const NewsSelection s = SelectNews(c.path, c.anchor);
        EXPECT_EQ(s.mode, c.mode) << c.path;
        EXPECT_EQ(s.group, c.group) << c.path;
        EXPECT_EQ(s.range, c.range) << c.path;
        EXPECT_EQ(s.messageId, c.id) << c.path;
        EXPECT_EQ(s.hierarchy, c.hierarchy) << c.path;
        EXPECT_EQ(s.fragment, c.fragment) << c.path;
    }
    EXPECT_EQ(DecodeNewsPath("a+b%2Bc%3E"), "a b+c>");
}

TEST(NewsAddress, ArticleRanges) {
    struct Case {
        std::string range;
        std::int64_t first, last;
    };
    const std::int64_t big = std::int64_t{1} << 40;
    const std::vector<Case> cases = {
        {"", 901, 1000},   {"1-100", 1, 100}, {"950", 950, 1000},
        {"10", 901, 1000}, {"0-0", 1, 1000},  {"-20", 1, 20},
    };
    for (const Case& c : cases) {
        const ArticleRange r = ChooseArticleRange(c.range, 1, 1000, 100);
        EXPECT_EQ(r.first, c.first) << c.range;
        EXPECT_EQ(r.last, c.last) << c.range;
    }
    const ArticleRange r = ChooseArticleRange("", big, big + 5000, 100);
    EXPECT_EQ(r.first, big + 4901);
}

TEST(AnswerLines, DotStuffingAndTheEndMark) {
    EXPECT_TRUE(ReadAnswerLine(".", false).end);
    EXPECT_EQ(ReadAnswerLine("..", false).text, ".");
    EXPECT_EQ(ReadAnswerLine("..x", false).text, ".x");
    EXPECT_FALSE(ReadAnswerLine(".", true).end);  // a piece inside a long line
    EXPECT_EQ(ReadAnswerLine("..", true).text, "..");
    LineJoiner joiner(8);
    joiner.Add("abcd", false);
    joiner.Add("efgh", true);
    EXPECT_EQ(joiner.Text(), "abcdefgh");
    joiner.Add("i", true);
    EXPECT_TRUE(joiner.Dropped());
    joiner.Add("new", false);
    EXPECT_EQ(joiner.Text(), "new");
}

TEST(Overview, FieldsAuthorsDatesAndSkippedLines) {
    const auto entry = ParseOverviewLine(
        "9000000000\tHi\t\"Ann Bee\" <ann@x>\tThu, 7 Mar 2024 10:00:00 +0000\t<m1@x>\t<r0@x> "
        "<r1@x>\t1234\t17\tXref: x");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->number, 9000000000);
    EXPECT_EQ(entry->messageId, "m1@x");
    EXPECT_EQ(entry->reference, "r1@x");
    EXPECT_EQ(entry->author, "Ann Bee");
    EXPECT_EQ(entry->day, 7);
    EXPECT_EQ(entry->month, 2);
    EXPECT_EQ(entry->lines, 17);
    EXPECT_EQ(AuthorDisplay("a@x (Al)"), "Al");
    EXPECT_EQ(AuthorDisplay("<a@x>"), "a@x");
    EXPECT_EQ(AuthorDisplay("a@x"), "a@x");
    const auto odd = ParseOverviewLine("1\ts\tf\t12 Foo 2020\t<m@x>\t\t1\tn/a");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->month, 12);
    EXPECT_EQ(odd->lines, -1);
    EXPECT_FALSE(ParseOverviewLine("1\ts\tf\td\t\t\t1\t2"));    // no message-id
    EXPECT_FALSE(ParseOverviewLine("1\ts\tf\td\t<>\t\t1\t2"));  // empty message-id
    EXPECT_FALSE(ParseOverviewLine("1\ts\tf\td\t<m@x>\t\t1"));  // too few fields
}

ArticleEntry Article(std::string id, std::string reference = "") {
    ArticleEntry entry;
    entry.messageId = std::move(id);
    entry.reference = std::move(reference);
    return entry;
}

std::string Order(const std::vector<ArticleEntry>& entries) {
    std::string out;
    for (const ArticleEntry& entry : entries)
        out += entry.messageId + std::to_string(entry.depth) + " ";
    return out;
}

TEST(Threads, RepliesFollowTheirParentsWhateverTheOrder) {
    struct Case {
        std::vector<ArticleEntry> in;
        std::string out;
    };
    const std::vector<Case> cases = {
        // A reply after its parent's earlier replies and their own replies.
        {{Article("a"), Article("b"), Article("a1", "a"), Article("a1x", "a1"), Article("a2", "a")},
         "a1 a12 a1x3 a22 b1 "},
        // A reply that came before its parent moves under it, at the reply's place.
        {{Article("x"), Article("r", "p"), Article("y"), Article("p")}, "x1 p1 r2 y1 "},
        // A parent not listed: the reply stays at the top; circles are cut.
        {{Article("r", "gone"), Article("c1", "c2"), Article("c2", "c1")}, "r1 c11 c22 "},
    };
    for (const Case& c : cases) {
        std::vector<ArticleEntry> entries = c.in;
        ThreadArticles(entries);
        EXPECT_EQ(Order(entries), c.out);
    }
}

TEST(Threads, ALongChainInReverseOrder) {
    std::vector<ArticleEntry> entries;
    const int count = 100000;
    for (int i = count - 1; i >= 0; --i)
        entries.push_back(Article(std::to_string(i), i == 0 ? "" : std::to_string(i - 1)));
    ThreadArticles(entries);
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(count));
    EXPECT_EQ(entries.front().messageId, "0");
    EXPECT_EQ(entries.back().depth, count);
}

std::string ListPage(std::int64_t first, std::int64_t last, std::vector<ArticleEntry> entries) {
    ArticleListView view{"srv", "alt.test", "news:", 1, 1000, first, last, 100};
    ArticleListPage page(std::move(view), std::move(entries));
    return Drain(page);
}

TEST(ArticleListPage, PagingLinks) {
    const std::string newest = ListPage(901, 1000, {});
    EXPECT_NE(newest.find("[<a href=\"alt.test/1-100\">First</a> | "
                          "<a href=\"alt.test/801-900\">Previous</a>]<br>\r\n"),
              std::string::npos)
        << newest;
    EXPECT_EQ(newest.find("Next"), std::string::npos);
    const std::string oldest = ListPage(1, 100, {});
    EXPECT_EQ(oldest.find("Previous"), std::string::npos);
    EXPECT_TRUE(
        oldest.ends_with("[<a href=\"alt.test/101-200\">Next</a> | "
                         "<a href=\"alt.test/901-1000\">Last</a>]<br>\r\n"))
        << oldest;
}

TEST(ArticleListPage, EntriesNestAndEscape) {
    ArticleEntry top = Article("t@x");
    top.subject = "<script>alert(1)</script> & co";
    top.author = "<b>";
    top.day = 7;
    top.month = 12;
    top.lines = 3;
    ArticleEntry reply = Article("r\"@x", "t@x");
    reply.subject = "not shown";
    reply.depth = 2;
    reply.day = 8;
    reply.month = 0;
    const std::string page = ListPage(1, 1000, {top, reply});
    EXPECT_NE(
        page.find("<ul>\r\n<li>13/07 <a href=\"news:t@x\">&lt;script&gt;alert(1)&lt;/script&gt; "
                  "&amp; co &lt;&lt;b&gt;&gt;</a> (3)<br>\r\n"
                  "<ul><li>01/08 <a href=\"news:r%22@x\"> &lt;&gt;</a><br>\r\n"
                  "</ul>\r\n<br></ul><hr size=4>\r\n"),
        std::string::npos)
        << page;
}

TEST(ArticlePage, HeadersAreEscapedAndLinked) {
    ArticleHeaderReader reader;
    for (std::string_view line :
         {"Subject: <b>Hi</b> &", "date: 7 Mar 2024", "From: Ann <ann@x.org>",
          "Organization: <meta http-equiv=refresh content=0>", "Newsgroups: a.b, c.d",
          "References: <r1@x> <r2@x> tail", "X-Long: start", "\tfolded on", "Message-ID: <m@x>"})
        reader.Add(line, false);
    const ArticleHeaders headers = reader.Finish();
    EXPECT_EQ(headers.date, "7 Mar 2024");
    EXPECT_EQ(headers.messageId, "<m@x>");
    const std::string html = ArticleHeaderHtml(headers);
    EXPECT_TRUE(html.starts_with("<TITLE>&lt;b&gt;Hi&lt;/b&gt; &amp;</TITLE>\r\n")) << html;
    EXPECT_NE(html.find("<td><a href=\"mailto:ann@x.org\">Ann &lt;ann@x.org&gt;</a></td>"),
              std::string::npos);
    EXPECT_NE(html.find("<td>&lt;meta http-equiv=refresh content=0&gt;</td>"), std::string::npos);
    EXPECT_NE(html.find("<a href=\"news:a.b\">a.b</a>, <a href=\"news:c.d\">c.d</a></td>"),
              std::string::npos);
    EXPECT_NE(html.find("<a href=\"news:r1@x\">1</a> , <a href=\"news:r2@x\">2</a> tail</td>"),
              std::string::npos)
        << html;
    EXPECT_EQ(html.find("<meta"), std::string::npos);
    std::string body;
    ArticleBodyWriter writer;
    writer.Line("see http://a.example/x <b> & ", false, body);
    writer.Line("more", true, body);
    writer.Line("next", false, body);
    writer.End(body);
    EXPECT_EQ(body,
              "see <a href=\"http://a.example/x\">http://a.example/x</a> &lt;b&gt; &amp; more\r\n"
              "next\r\n</pre><hr size=4>\r\n");
}

TEST(ArticleListPage, PageLinksStayOnTheServerOfThePage) {
    for (const char* base : {"news://h:119/alt.test", "news://h:119/alt.test/901-1000"}) {
        const core::CHTAddress page = core::ParseAddress(base);
        EXPECT_EQ(core::FormatAddress(core::ParseAddress("alt.test/1-100", &page)),
                  "news://h:119/alt.test/1-100")
            << base;
    }
    const core::CHTAddress bare = core::ParseAddress("news:alt.test");
    EXPECT_EQ(core::FormatAddress(core::ParseAddress("alt.test/1-100", &bare)),
              "news:alt.test/1-100");
}

TEST(ArticleBody, CharsetAndMimeBodies) {
    std::string html;
    ArticleBodyWriter body("ISO-8859-1");
    body.Line("caf\xE9", false, html);
    body.End(html);
    EXPECT_EQ(html, "caf\xC3\xA9\r\n</pre><hr size=4>\r\n");

    // A multipart article: its quoted-printable text decoded, its other part listed, and the
    // HTML of an attachment's name escaped.
    ArticleHeaders headers;
    headers.contentType = "multipart/mixed; boundary=\"b\"";
    ArticleBodyWriter mime = ArticleBodyWriter::For(headers);
    html.clear();
    for (const char* line :
         {"--b", "Content-Type: text/plain; charset=ISO-8859-1",
          "Content-Transfer-Encoding: quoted-printable", "", "caf=E9 <http://x.test/>", "--b",
          "Content-Type: image/gif; name=\"<b>.gif\"", "Content-Transfer-Encoding: base64", "",
          "R0lGODlh", "--b--"})
        mime.Line(line, false, html);
    EXPECT_EQ(html, "");  // written once the article has ended
    mime.End(html);
    EXPECT_EQ(html,
              "caf\xC3\xA9 &lt;<a href=\"http://x.test/\">http://x.test/</a>&gt;\r\n"
              "[Attachment: &lt;b&gt;.gif (image/gif, 6 bytes)]\r\n</pre><hr size=4>\r\n");
}

// Attachments link to the article's address + "/number/name" (the name made safe for a path).
// A plain article's uuencoded block is listed where it stood; a "begin" line whose block does
// not decode, or never ends, stays text. The attachment asked for is kept decoded.
TEST(ArticleBody, AttachmentsAreLinkedAndUuencodedBlocksListedInPlace) {
    ArticleBodyWriter plain;
    plain.LinkAttachments("news:m@x");
    plain.KeepAttachment(2);
    std::string html;
    for (const char* line :
         {"before", "begin 644 ../a b.txt", "#0V%T", "`", "end", "begin 644 no block", "", "after",
          "begin 600 two", "#0V%T", "end", "begin 644 unended", "#0V%T"})
        plain.Line(line, false, html);
    plain.End(html);
    EXPECT_EQ(html,
              "before\r\n[Attachment: <a href=\"news:m@x/1/.._a%20b.txt\">../a b.txt</a> "
              "(application/octet-stream, 3 bytes)]\r\nbegin 644 no block\r\n\r\nafter\r\n"
              "[Attachment: <a href=\"news:m@x/2/two\">two</a> (application/octet-stream, 3 "
              "bytes)]\r\nbegin 644 unended\r\n#0V%T\r\n</pre><hr size=4>\r\n");
    const std::optional<html::MessageAttachment> kept = plain.TakeKeptAttachment();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->name, "two");
    EXPECT_EQ(kept->data, "Cat");

    ArticleHeaders headers;
    headers.contentType = "multipart/mixed; boundary=b";
    ArticleBodyWriter mime = ArticleBodyWriter::For(headers);
    mime.LinkAttachments("news://h/m@x");
    mime.KeepAttachment(1);
    html.clear();
    for (const char* line : {"--b", "Content-Type: image/gif", "Content-Transfer-Encoding: base64",
                             "", "R0lGODlh", "--b--"})
        mime.Line(line, false, html);
    mime.End(html);
    EXPECT_NE(html.find("[Attachment: <a href=\"news://h/m@x/1/attachment%201\">(no name)</a> "
                        "(image/gif, 6 bytes)]"),
              std::string::npos)
        << html;
    EXPECT_EQ(mime.TakeKeptAttachment()->data, "GIF89a");
}

}  // namespace
}  // namespace corvane::news
