#include <gtest/gtest.h>

#include "bookmarks/bookmark_reader.h"
#include "bookmarks/bookmark_writer.h"
#include "tests/bookmarks/bookmark_fixture.h"

namespace corvane::bookmarks {
namespace {

const std::string kHeader =
    "<HTML><head>\r\n"
    "<!-- Corvane generated bookmark file. Do not edit. -->\r\n"
    "<title>Ferrolyn Bookmark File</title>\r\n"
    "</head><body>\r\n"
    "<body bgcolor=#CCCCCC text=000000 link=#000088 alink=#008888 vlink=#880000>\r\n"
    "<center><h1>Ferrolyn Bookmark File</h1></center><p>\r\n"
    "\r\n";

// The entry lines of a saved file: between the header's empty line and the footer's.
std::string Entries(const CBookmarkList& list) {
    const std::string text = BookmarkFileText(list);
    const std::size_t begin = text.find("\r\n\r\n") + 4;
    return text.substr(begin, text.find("\r\n\r\n<p><center>") + 2 - begin);
}

TEST(BookmarkFile, NewTreeSavedAtOnce) {
    BookmarkFixture f;
    ASSERT_TRUE(f.list.Load("", LoadMode::kReplace, MissingFile::kCreate));
    EXPECT_EQ(f.list.currentItem, f.list.Root().front().get());
    ASSERT_TRUE(f.list.Save(f.list.FileName()));
    const std::string text = f.dir.Read("bookmark.htm");
    EXPECT_EQ(text.substr(0, kHeader.size()), kHeader);
    EXPECT_EQ(Entries(f.list),
              "\t<dt><h3 ADDED=\"1000\">Ferrolyn Bookmark File</h3>\r\n"
              "\t<dd>Main Bookmark Title\r\n"
              "\t<dl MAIN INSIDE CURRENT>\r\n"
              "\t</dl>\r\n");
    EXPECT_TRUE(text.ends_with("</address></center>\r\n</body></HTML>\r\n"));
    EXPECT_NE(
        text.find("<a href=\"mailto:corvane@localhost\">mailto:corvane@localhost</a><br>\r\n"),
        std::string::npos);
    EXPECT_EQ(f.Messages(), "");
}

TEST(BookmarkFile, EntryLines) {
    struct Case {
        const char* name;
        BookmarkKind kind;
        const char* title;
        const char* url;
        const char* description;
        const char* expected;
    };
    const Case cases[] = {
        {"closed folder with address", BookmarkKind::kClosedFolder, "News", "file:///c|/news.htm",
         "",
         "\t<dt><h3 FOLDED><a HREF=\"file:///c|/news.htm\">News</a></h3>\r\n\t<dl>\r\n\t</dl>\r\n"},
        {"link without url", BookmarkKind::kLink, "Nameless", "", "", "\t<dt>\r\n"},
        {"separator", BookmarkKind::kSeparator, "", "", "SIZE=4", "\t<hr SIZE=4>\r\n"},
        {"escaped", BookmarkKind::kLink, "a</a></dl>&", "http://h/?q=\"x\"&y=<z>", "1<2\nb",
         "\t<dt><a HREF=\"http://h/?q=&quot;x&quot;&amp;y=&lt;z&gt;\">a&lt;/a&gt;&lt;/dl&gt;&amp;"
         "</a>\r\n\t<dd>1&lt;2\r\nb\r\n"},
    };
    for (const Case& c : cases) {
        BookmarkFixture f;
        auto item = std::make_unique<CBookmarkItem>(c.kind);
        item->name = c.title;
        item->url = c.url;
        item->description = c.description;
        f.list.Insert(f.list.Root(), std::move(item), nullptr, true, std::nullopt, false);
        EXPECT_EQ(Entries(f.list), c.expected) << c.name;
    }
}

TEST(BookmarkFile, ReadingRules) {
    struct Case {
        const char* name;
        const char* page;
        const char* outline;
    };
    const Case cases[] = {
        {"an address without a colon is dropped",
         "<dl><dt><a href=\"x\">X</a><dt><a href=\"http://y/\">Y</a></dl>",
         "F Bookmark Title\n  L Y <http://y/>\n"},
        {"anchors outside lists go into the list being filled",
         "<a href=\"http://a/\">A</a> text <a href=\"http://b/\" add_date=\"7\">B</a>",
         "L A <http://a/>\nL B <http://b/> a=7\n"},
        {"a NAME anchor against the base", "<base href=\"file:///p.htm\"><a NAME=top>Top</a>",
         "L Top <file:///p.htm#top>\n"},
        {"a description over two lines",
         "<dl><dt><a href=\"http://a/\">A</a>\r\n<dd>Line one\r\nline two \r\n</dl>",
         "F Bookmark Title\n  L A <http://a/> {Line one\nline two}\n"},
        {"an attribute name inside a quoted value",
         "<a title=\"HREF=x\" href=\"http://real/\">R</a>", "L R <http://real/>\n"},
        {"markers are matched case-sensitively",
         "<dl><dt><h3 folded>Open</h3><dl></dl><dt><h3 FOLDED>Shut</h3><dl></dl></dl>",
         "F Bookmark Title\n  F Open\n  f Shut\n"},
        {"headings name the lists after them",
         "<h2>Search</h2><ul><li><a href=\"http://s/\">S</a></ul><hr size=2 title=\"Cut\">",
         "F Search\n  L S <http://s/>\nS Cut {SIZE=2}\n"},
        {"negative and absurd times read as not set",
         "<a href=\"http://a/\" ADDED=\"-5\" VISITED=\"99999999999999999999\">A</a>"
         "<a href=\"http://b/\" ADDED=\"4294967296\">B</a>",
         "L A <http://a/>\nL B <http://b/> a=4294967296\n"},
        {"references in names and values",
         "<a href=\"http://h/?a=1&amp;b=&quot;2&quot;\">x &lt;y&gt;</a>",
         "L x <y> <http://h/?a=1&b=\"2\">\n"},
        {"pictures inside an anchor join its description",
         "<a href=\"http://i/\"><img src=\"i.gif\">Pic</a>",
         "L Pic <http://i/> {<img src=\"i.gif\">}\n"},
        {"marker words inside quoted values do not count",
         "<dl><dt><a href=\"http://MAIN/\">M</a><hr TITLE=\"UNDER CURRENT\"></dl>",
         "F Bookmark Title\n  L M <http://MAIN/>\n  S UNDER CURRENT\n"},
        {"a closed folder with an address stays closed",
         "<dl><dt><h3 FOLDED><a HREF=\"file:///c|/news.htm\" ADDED=\"9\">News</a></h3>\n"
         "<dl><dt><a href=\"news:x\">x</a></dl></dl>",
         "F Bookmark Title\n  f News <file:///c|/news.htm> a=9\n    L x <news:x>\n"},
        {"LINK has no end tag: the list after it is read as usual",
         "<link rel=stylesheet href=\"http://css/\"><title>T</title><ul><li><a "
         "href=\"http://a/\">A</a></ul>",
         "L  <http://css/>\nF T\n  L A <http://a/>\n"},
        {"a rule inside an anchor takes its entry",
         "<a href=\"http://a/\">A<hr></a><a href=\"http://b/\">B</a>",
         "S Bookmark Line <http://a/>\nL B <http://b/>\n"},
        {"an unclosed list item is dropped with its markers",
         "<dl><dt UNDER CURRENT></dl><dt><a href=\"http://k/\">K</a>",
         "F Bookmark Title\nL K <http://k/>\n"},
    };
    for (const Case& c : cases) {
        BookmarkFixture f;
        EXPECT_TRUE(f.Read(c.page)) << c.name;
        EXPECT_EQ(Outline(f.list.Root()), c.outline) << c.name;
        EXPECT_EQ(f.list.newItemAnchor, nullptr) << c.name;
    }
}

TEST(BookmarkFile, ImportMakesAFolderNamedByTheTitle) {
    BookmarkFixture f;
    ASSERT_TRUE(f.list.Load("", LoadMode::kReplace, MissingFile::kCreate));
    ASSERT_TRUE(f.Read("<title>Links</title><a href=\"http://l/\">L</a>", LoadMode::kImport));
    EXPECT_EQ(Outline(f.list.Root()),
              "F Ferrolyn Bookmark File {Main Bookmark Title} a=1000\n"
              "F Import--Links {Import Bookmark Title} a=1000\n"
              "  L L <http://l/>\n");
    EXPECT_EQ(f.list.currentItem->name, "L");

    ASSERT_TRUE(f.Read("<title>Nothing</title><p>no links", LoadMode::kImport));
    EXPECT_EQ(f.Messages(), "No bookmarks found...\n");
    EXPECT_EQ(f.list.Root().size(), 2u);
}

// Hostile names and addresses survive a save and a load, and the entries after them stay.
TEST(BookmarkFile, EscapedTextReadsBack) {
    BookmarkFixture f;
    const char* names[] = {"a</a></dl>", "x\" HREF=\"evil:", "&lt; kept literally", "<!--"};
    for (const char* name : names) {
        auto item = f.list.MakeItem(BookmarkKind::kLink, name, std::string("http://h/\"") + name);
        item->description = std::string("<dd>") + name;
        f.list.Insert(f.list.Root(), std::move(item), nullptr, true, std::nullopt, false);
    }
    auto folder = f.list.MakeItem(BookmarkKind::kOpenFolder, "</h3><dl>", "");
    f.list.Insert(f.list.Root(), std::move(folder), nullptr, true, std::nullopt, false);
    const std::string before = Outline(f.list.Root());
    ASSERT_TRUE(f.list.Save(f.dir.File("out.htm")));
    ASSERT_TRUE(f.list.Load(f.dir.File("out.htm"), LoadMode::kReplace, MissingFile::kFail));
    EXPECT_EQ(Outline(f.list.Root()), before);
}

// A file written by the old rules (raw text, no references) still reads the same.
TEST(BookmarkFile, UnescapedFileReadsAsBefore) {
    BookmarkFixture f;
    ASSERT_TRUE(f.Read(kHeader +
                       "\t<dt><a HREF=\"http://h/?a=1&b=2\" ADDED=\"5\">Tom & Jerry</a>\r\n"
                       "\t<dd>fun & games\r\n"
                       "\t<dt><h3 ADDED=\"6\">Folder</h3>\r\n"
                       "\t<dl MAIN INSIDE>\r\n"
                       "\t\t<hr UNDER SIZE=2 TITLE=\"Line\">\r\n"
                       "\t</dl>\r\n"
                       "\r\n<p><center><address>\r\nQuestions or comments "
                       "<a href=\"mailto:corvane@localhost\">mailto:corvane@localhost</a><br>\r\n"
                       "</address></center>\r\n</body></HTML>\r\n"));
    EXPECT_EQ(Outline(f.list.Root()),
              "L Tom & Jerry <http://h/?a=1&b=2> {fun & games} a=5\n"
              "F Folder a=6\n"
              "  S Line {SIZE=2}\n");
    CBookmarkItem* folder = std::next(f.list.Root().begin())->get();
    EXPECT_EQ(f.list.mainFolder, folder);
    EXPECT_EQ(f.list.newItemAnchor, folder->Children().front().get());
    EXPECT_FALSE(f.list.newItemInside);
}

// Files in the Windows character set read as the characters they mean, every byte of them
// (also the five bytes Windows-1252 leaves unassigned); UTF-8 files and a META charset are
// taken as they say.
TEST(BookmarkFile, LegacyCharacterSetsAreConverted) {
    const struct {
        std::string file;
        const char* outline;
    } cases[] = {
        {"<dt><a href=\"http://h/caf\xE9\">Caf\xE9 \x80 \x93"
         "dash\x94 \x81\x9D</a>",
         "L Caf\u00E9 \u20AC \u201Cdash\u201D \u0081\u009D <http://h/caf\u00E9>\n"},
        {"<dt><a href=\"http://h/\">Caf\u00E9 \u20AC</a>", "L Caf\u00E9 \u20AC <http://h/>\n"},
        {"<meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-7\">"
         "<dt><a href=\"http://h/\">\xE1\xE2</a>",
         "L \u03B1\u03B2 <http://h/>\n"},
    };
    for (const auto& c : cases) {
        BookmarkFixture f;
        ASSERT_TRUE(f.Read(c.file));
        EXPECT_EQ(Outline(f.list.Root()), c.outline);
        // Written back as UTF-8, the file reads the same.
        ASSERT_TRUE(f.list.Save(f.dir.File("out.htm")));
        ASSERT_TRUE(f.list.Load(f.dir.File("out.htm"), LoadMode::kReplace, MissingFile::kFail));
        EXPECT_EQ(Outline(f.list.Root()), c.outline);
    }
}

TEST(BookmarkFile, DialogsStartBesideTheCurrentFile) {
    const struct {
        const char* current;
        const char* proposed;
        const char* start;
    } cases[] = {
        {"/home/u/.corvane/bookmark.htm", "bookmark.htm", "/home/u/.corvane/bookmark.htm"},
        {"file:///home/u/My%20Marks/list.html", "", "/home/u/My Marks/list.htm"},
        {"FILE:///srv/marks/news.htm", "export.html", "/srv/marks/export.htm"},
        {"/d/a.htm", "archive.tar.gz", "/d/archive.tar.gz"},
        {"/d/a.htm", ".profile", "/d/.profile"},
        {"", "bookmark.htm", "bookmark.htm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DialogStartPath(c.current, c.proposed), c.start) << c.current;
}

TEST(BookmarkFile, LoadFailures) {
    BookmarkFixture f;
    EXPECT_FALSE(f.list.Load("", LoadMode::kReplace, MissingFile::kFail));
    f.dir.Write("empty.htm", "");
    EXPECT_FALSE(f.list.Load(f.dir.File("empty.htm"), LoadMode::kReplace, MissingFile::kFail));
    EXPECT_TRUE(f.list.Load(f.dir.File("new.htm"), LoadMode::kReplace, MissingFile::kFail));
    EXPECT_EQ(f.dir.Read("new.htm"), "");
    EXPECT_FALSE(f.list.Load(f.dir.File("gone.htm"), LoadMode::kImport, MissingFile::kFail));
    EXPECT_EQ(f.Messages(),
              "Missing File Name\nInvalid filename or file is empty\nFile Not Found\n"
              "Creating new file ...\nFile Not Found\n");
}

TEST(BookmarkFile, MissingDefaultFileReadsTheFallback) {
    BookmarkFixture f;
    f.dir.Write("fallback.htm", "<a href=\"http://f/\">F</a>");
    ASSERT_TRUE(f.list.Load("", LoadMode::kReplace, MissingFile::kCreate));
    EXPECT_EQ(Outline(f.list.Root()), "L F <http://f/>\n");
    EXPECT_EQ(f.list.FileName(), f.dir.File("bookmark.htm"));
    EXPECT_EQ(f.Messages(), "");
}

TEST(BookmarkFile, NoFileGivesTheInitialTreeAndNoName) {
    BookmarkFixture f;
    ASSERT_TRUE(f.list.Load(std::string(kNoFileName), LoadMode::kReplace, MissingFile::kFail));
    EXPECT_EQ(Outline(f.list.Root()), "F Ferrolyn Bookmark File {Main Bookmark Title} a=1000\n");
    EXPECT_EQ(f.list.FileName(), "");
    f.host.fileAnswers.push_back(std::nullopt);
    EXPECT_TRUE(f.list.Save(""));
    f.host.fileAnswers.push_back(std::string());
    EXPECT_FALSE(f.list.Save(""));
    EXPECT_EQ(f.Messages(), "No filename given... bookmark data not saved.\n");
}

// Times up to the last second of the year 9999; anything else reads as not set.
TEST(BookmarkFile, TimeValues) {
    EXPECT_EQ(ParseBookmarkTime("253402300799"), 253402300799);
    EXPECT_EQ(ParseBookmarkTime("253402300800"), 0);
    EXPECT_EQ(ParseBookmarkTime("x"), 0);
}

}  // namespace
}  // namespace corvane::bookmarks
