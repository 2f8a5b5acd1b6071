#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "bookmarks/bookmark_writer.h"
#include "tests/bookmarks/bookmark_fixture.h"

namespace corvane::bookmarks {
namespace {

// Every entry of the tree, in file order.
std::vector<CBookmarkItem*> AllEntries(CBookmarkList& list) {
    std::vector<CBookmarkItem*> all;
    ForEachInTree(list.Root(), [&all](const CBookmarkItem& item) {
        all.push_back(const_cast<CBookmarkItem*>(&item));
    });
    return all;
}

// A tree grown by the window's own operations, with names and descriptions that need escaping.
void RandomOperations(CBookmarkList& list, std::mt19937& random, int count) {
    const char* pieces[] = {
        "a",           "Tom & Jerry", "<b>",   "\"quoted\"", "</a></dl>",      "x y",
        "caf\xc3\xa9", "&amp;",       "UNDER", "MAIN\"x",    "l\xe2\x80\x94ne"};
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto text = [&] { return std::string(pieces[pick(11)]) + " " + pieces[pick(11)]; };
    for (int i = 0; i < count; ++i) {
        std::vector<CBookmarkItem*> all = AllEntries(list);
        CBookmarkItem* some = all.empty() ? nullptr : all[pick(static_cast<int>(all.size()))];
        CBookmarkItem* other = all.empty() ? nullptr : all[pick(static_cast<int>(all.size()))];
        list.now = [t = BookmarkTime{pick(3)} * 1700000000 + i] { return t; };
        switch (pick(10)) {
            case 0:
            case 1:
                list.AddBookmark(text(), "http://h/" + text());
                break;
            case 2:
                list.AddNewEntry(static_cast<BookmarkKind>(1 + pick(3)), "file:///d");
                break;
            case 3:
                if (some && some->isFolder) list.SetNewItemInside(some);
                if (some && !some->isFolder) list.SetNewItemUnder(*some);
                break;
            case 4:
                if (some && some->isFolder) list.SetMainFolder(pick(2) ? some : nullptr);
                break;
            case 5:
                if (some) list.Delete(*some);
                break;
            case 6:
                if (some) list.Copy(*some);
                break;
            case 7:
                if (some && other) list.Move(*some, *other, static_cast<DropPlace>(pick(3)));
                break;
            case 8:
                if (some) {
                    const std::string url = some->isFolder && pick(2) ? "" : "gopher://g/" + text();
                    list.Edit(*some, text(), url,
                              some->isSeparator ? "SIZE=" + std::to_string(pick(9))
                                                : text() + "\nsecond line");
                }
                break;
            case 9:
                if (some && some->isFolder) some->isExpanded = !some->isExpanded;
                break;
        }
    }
    std::vector<CBookmarkItem*> all = AllEntries(list);
    list.SetCurrent(all.empty() ? nullptr : all[pick(static_cast<int>(all.size()))]);
}

TEST(BookmarkRoundTrip, SaveLoadSaveGivesTheSameBytes) {
    for (unsigned seed = 1; seed <= 25; ++seed) {
        BookmarkFixture f;
        std::mt19937 random(seed);
        RandomOperations(f.list, random, 150);
        ASSERT_TRUE(f.list.Save(f.dir.File("first.htm")));
        const std::string first = f.dir.Read("first.htm");

        BookmarkFixture g;
        ASSERT_TRUE(g.list.Load(f.dir.File("first.htm"), LoadMode::kReplace, MissingFile::kFail));
        EXPECT_EQ(Outline(g.list.Root()), Outline(f.list.Root())) << "seed " << seed;
        EXPECT_EQ(BookmarkFileText(g.list), first) << "seed " << seed;
        EXPECT_EQ(g.Messages(), "") << "seed " << seed;
    }
}

TEST(BookmarkImport, OtherBrowsersFiles) {
    struct Case {
        const char* name;
        const char* page;
        const char* outline;
    };
    const Case cases[] = {
        {"NETSCAPE-Bookmark-file-1",
         "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
         "<!-- This is an automatically generated file.\n     It will be read and overwritten.\n"
         "     DO NOT EDIT! -->\n"
         "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
         "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n\n<DL><p>\n"
         "    <DT><H3 ADD_DATE=\"1600000000\" LAST_MODIFIED=\"1600000100\" "
         "PERSONAL_TOOLBAR_FOLDER=\"true\">Bookmarks Toolbar</H3>\n"
         "    <DL><p>\n"
         "        <DT><A HREF=\"https://www.example.org/?a=1&amp;b=2\" ADD_DATE=\"1600000001\" "
         "LAST_VISIT=\"1600000002\" ICON=\"data:image/png;base64,AAAA\">Example &amp; co</A>\n"
         "    </DL><p>\n"
         "    <HR>\n"
         "    <DT><A HREF=\"place:sort=8\">Recent</A>\n"
         "    <DD>Places query\n"
         "</DL>\n",
         "F Import--Bookmarks {Import Bookmark Title} a=1000\n"
         "  F Bookmarks Menu\n"
         "    F Bookmarks Toolbar a=1600000000\n"
         "      L Example & co <https://www.example.org/?a=1&b=2> a=1600000001 v=1600000002\n"
         "    S Bookmark Line\n"
         "    L Recent <place:sort=8> {Places query}\n"},
        // A caption opens a level of its own, named like the table's.
        {"a bookmark page in tables",
         "<html><head><title>Bookmarks</title></head><body>\n"
         "<table border=1><caption>News</caption>\n"
         "<tr><td><a href=\"http://lwn.net/\">LWN</a></td></tr>\n"
         "</table>\n"
         "<h2>Tools</h2><table><tr><td><a href=\"http://www.dillo.org/\">Dillo</a>"
         "</td></tr></table></body></html>\n",
         "F Import--Bookmarks {Import Bookmark Title} a=1000\n"
         "  F Bookmarks\n"
         "    F Bookmarks\n"
         "    L LWN <http://lwn.net/>\n"
         "  F Tools\n"
         "    L Dillo <http://www.dillo.org/>\n"},
        {"a numbered bookmark list",
         "<head>\n<META http-equiv=\"content-type\" content=\"text/html;charset=utf-8\">\n"
         "<title>Bookmark file</title>\n</head>\n"
         "     You can delete links by the 'R' command<br>\n<p>\n<ol>\n"
         "<LI><a href=\"https://lynx.example/\">Lynx</a>\n"
         "<LI><a href=\"gopher://gopher.example/\">Gopher hole</a>\n"
         "</ol>\n",
         "F Import--Bookmark file {Import Bookmark Title} a=1000\n"
         "  F Bookmark file\n"
         "    L Lynx <https://lynx.example/>\n"
         "    L Gopher hole <gopher://gopher.example/>\n"},
    };
    for (const Case& c : cases) {
        BookmarkFixture f;
        ASSERT_TRUE(f.Read(c.page, LoadMode::kImport)) << c.name;
        EXPECT_EQ(Outline(f.list.Root()), c.outline) << c.name;
    }
}

// Huge or deep pages read in time and memory that grow with their size, and save again.
TEST(BookmarkReader, HundredThousandNestedLists) {
    BookmarkFixture f;
    std::string page;
    for (int i = 0; i < 100000; ++i) page += "<dl>";
    ASSERT_TRUE(f.Read(page + "<dt><a href=\"http://deep/\">deep</a>"));
    const std::vector<CBookmarkItem*> all = AllEntries(f.list);
    ASSERT_EQ(all.size(), 100001u);
    EXPECT_EQ(all.back()->depth, 100000);
    ASSERT_TRUE(f.list.Save(f.dir.File("deep.htm")));
    EXPECT_LT(f.dir.Read("deep.htm").size(), 100000u * (3 * kMaxIndent + 100));
}

TEST(BookmarkReader, MillionLinks) {
    BookmarkFixture f;
    std::string page;
    page.reserve(40000000);
    for (int i = 0; i < 1000000; ++i) page += "<dt><a href=\"http://h/\">n</a>\n";
    ASSERT_TRUE(f.Read(page));
    EXPECT_EQ(f.list.Root().size(), 1000000u);
}

TEST(BookmarkReader, TenMegabyteTitleAndUnclosedAnchors) {
    BookmarkFixture f;
    std::string page =
        "<title>" + std::string(10 << 20, 'x') + "</title><ul><li><a href=\"http://a/\">";
    for (int i = 0; i < 100000; ++i) page += "<a>";  // never closed
    ASSERT_TRUE(f.Read(page + "</ul>"));
    EXPECT_EQ(f.list.Root().front()->name.size(), 10u << 20);
}

// A writer killed at any moment leaves the old file or the new one, never a torn one.
TEST(BookmarkSave, KillDuringSaveLeavesAWholeFile) {
    BookmarkFixture f;
    for (int i = 0; i < 20000; ++i)
        f.list.AddBookmark("entry " + std::to_string(i), "http://h/" + std::to_string(i));
    const std::string path = f.dir.File("bookmark.htm");
    ASSERT_TRUE(f.list.Save(path));
    const std::string whole = f.dir.Read("bookmark.htm");
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                if (!f.list.Save(path)) _exit(1);
            }
        }
        usleep(1000 + random() % 40000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round;
        EXPECT_EQ(f.dir.Read("bookmark.htm"), whole) << "round " << round;
    }
}

}  // namespace
}  // namespace corvane::bookmarks
