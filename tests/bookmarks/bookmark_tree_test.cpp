#include <gtest/gtest.h>

#include "bookmarks/bookmark_menu.h"
#include "tests/bookmarks/bookmark_fixture.h"

namespace corvane::bookmarks {
namespace {

using platform::MessageAnswer;

// Appends to the folder `parent`, or to the top level when it is null.
CBookmarkItem* Append(CBookmarkList& list, CBookmarkItem* parent, BookmarkKind kind,
                      const std::string& name) {
    return list.Insert(
        parent ? parent->Children() : list.Root(),
        list.MakeItem(kind, name, kind == BookmarkKind::kLink ? "http://" + name + "/" : ""),
        parent, true, std::nullopt, false);
}

TEST(BookmarkTree, PlacingNewBookmarks) {
    {
        BookmarkFixture f;  // no new-item settings, empty tree
        f.list.AddBookmark("http://a/", "http://a/");
        f.list.AddBookmark("", "http://b/");
        EXPECT_EQ(Outline(f.list.Root()),
                  "L http://b/ <http://b/> a=1000 v=1000\n"
                  "L http://a/ <http://a/> a=1000 v=1000\n");
        EXPECT_EQ(f.list.currentItem->url, "http://a/");
    }
    {
        BookmarkFixture f;  // INSIDE a folder: the newer one goes first
        CBookmarkItem* folder = Append(f.list, nullptr, BookmarkKind::kOpenFolder, "F");
        f.list.SetNewItemInside(folder);
        f.list.AddBookmark("one", "http://1/");
        f.list.AddBookmark("two", "http://2/");
        EXPECT_EQ(Outline(f.list.Root()),
                  "F F\n  L two <http://2/> a=1000 v=1000\n"
                  "  L one <http://1/> a=1000 v=1000\n");
    }
    {
        BookmarkFixture f;  // UNDER an entry: the newer one directly after it
        CBookmarkItem* anchor = Append(f.list, nullptr, BookmarkKind::kLink, "anchor");
        Append(f.list, nullptr, BookmarkKind::kLink, "last");
        f.list.SetNewItemUnder(*anchor);
        f.list.AddBookmark("one", "http://1/");
        f.list.AddBookmark("two", "http://2/");
        EXPECT_EQ(Outline(f.list.Root()),
                  "L anchor <http://anchor/>\nL two <http://2/> a=1000 v=1000\n"
                  "L one <http://1/> a=1000 v=1000\nL last <http://last/>\n");
    }
    {
        BookmarkFixture f;
        EXPECT_EQ(f.list.AddBookmark("x", "nocolon"), nullptr);
        EXPECT_EQ(f.Messages(), "Add Item Error!!!\nNo valid current URL address found!\n");
        EXPECT_TRUE(f.list.Root().empty());
    }
}

TEST(BookmarkTree, NewEntriesOfEachKind) {
    BookmarkFixture f;
    f.list.AddNewEntry(BookmarkKind::kSeparator, "");
    f.list.AddNewEntry(BookmarkKind::kOpenFolder, "");
    f.list.AddNewEntry(BookmarkKind::kLink, "http://doc/");
    EXPECT_EQ(Outline(f.list.Root()),
              "L New Bookmark <http://doc/> a=1000\n"
              "F Bookmark Title a=1000\nS Bookmark Line a=1000\n");
}

TEST(BookmarkTree, DeletingAsksForFoldersWithChildrenAndMovesTheCurrentEntry) {
    BookmarkFixture f;
    CBookmarkItem* empty = Append(f.list, nullptr, BookmarkKind::kOpenFolder, "Empty");
    CBookmarkItem* full = Append(f.list, nullptr, BookmarkKind::kOpenFolder, "Full");
    CBookmarkItem* inner = Append(f.list, full, BookmarkKind::kLink, "in");
    Append(f.list, full, BookmarkKind::kLink, "in2");
    f.list.SetMainFolder(full);
    f.list.SetNewItemUnder(*inner);
    f.list.SetCurrent(inner);

    EXPECT_TRUE(f.list.Delete(*empty));
    EXPECT_EQ(f.Messages(), "");
    f.host.messageAnswers.push_back(MessageAnswer::kCancel);
    EXPECT_FALSE(f.list.Delete(*full));
    EXPECT_EQ(f.Messages(), "Delete title \"Full\" containing 2 item/s and all its children?\n");
    EXPECT_EQ(f.list.Root().size(), 1u);

    EXPECT_TRUE(f.list.Delete(*full));
    EXPECT_TRUE(f.list.Root().empty());
    EXPECT_EQ(f.list.mainList, &f.list.Root());
    EXPECT_EQ(f.list.newItemAnchor, nullptr);
    EXPECT_EQ(f.list.currentItem, nullptr);

    // Deleting the current entry makes the next one current, or else its folder.
    CBookmarkItem* folder = Append(f.list, nullptr, BookmarkKind::kOpenFolder, "F");
    CBookmarkItem* a = Append(f.list, folder, BookmarkKind::kLink, "a");
    CBookmarkItem* b = Append(f.list, folder, BookmarkKind::kLink, "b");
    f.list.SetCurrent(a);
    f.list.Delete(*a);
    EXPECT_EQ(f.list.currentItem, b);
    f.list.Delete(*b);
    EXPECT_EQ(f.list.currentItem, folder);
    EXPECT_EQ(f.list.currentList, &f.list.Root());
}

TEST(BookmarkTree, CopyingAFolderCopiesItsChildrenOnOk) {
    BookmarkFixture f;
    CBookmarkItem* folder = Append(f.list, nullptr, BookmarkKind::kClosedFolder, "F");
    CBookmarkItem* sub = Append(f.list, folder, BookmarkKind::kOpenFolder, "sub");
    Append(f.list, sub, BookmarkKind::kLink, "deep");
    Append(f.list, folder, BookmarkKind::kSeparator, "line");
    folder->description = "d";
    folder->added = 7;
    f.list.SetNewItemUnder(*folder);

    f.host.messageAnswers.push_back(MessageAnswer::kCancel);
    f.list.Copy(*folder);
    f.list.Copy(*folder);
    EXPECT_EQ(f.Messages(), "Copy 2 item/s under title \"F\"?\nCopy 2 item/s under title \"F\"?\n");
    EXPECT_EQ(Outline(f.list.Root()),
              "f F {d} a=7\n  F sub\n    L deep <http://deep/>\n  S line\n"
              "f F {d} a=7\n  F sub\n    L deep <http://deep/>\n  S line\n"
              "f F {d} a=7\n");
}

TEST(BookmarkTree, MovingKeepsMarkersAndRefusesItsOwnSubtree) {
    BookmarkFixture f;
    CBookmarkItem* folder = Append(f.list, nullptr, BookmarkKind::kOpenFolder, "F");
    CBookmarkItem* sub = Append(f.list, folder, BookmarkKind::kOpenFolder, "sub");
    CBookmarkItem* link = Append(f.list, nullptr, BookmarkKind::kLink, "x");
    f.list.SetNewItemUnder(*link);
    EXPECT_FALSE(f.list.Move(*folder, *sub, DropPlace::kInside));
    EXPECT_TRUE(f.list.Move(*link, *sub, DropPlace::kInside));
    EXPECT_TRUE(f.list.Move(*folder, *link, DropPlace::kBefore) == false);
    EXPECT_EQ(Outline(f.list.Root()), "F F\n  F sub\n    L x <http://x/>\n");
    EXPECT_EQ(f.list.newItemList, &sub->Children());
    EXPECT_TRUE(f.list.Move(*link, *folder, DropPlace::kBefore));
    EXPECT_EQ(Outline(f.list.Root()), "L x <http://x/>\nF F\n  F sub\n");
    EXPECT_EQ(f.list.newItemList, &f.list.Root());
}

TEST(BookmarkTree, EditingRefusesAnAddressWithoutAScheme) {
    BookmarkFixture f;
    f.list.SetFileName(f.dir.File("saved.htm"));
    CBookmarkItem* link = Append(f.list, nullptr, BookmarkKind::kLink, "a");
    EXPECT_FALSE(f.list.Edit(*link, "renamed", "nocolon", ""));
    EXPECT_EQ(f.Messages(), "Edit Item Error!!!\nNo valid complete URL address found!\n");
    EXPECT_EQ(Outline(f.list.Root()), "L a <http://a/>\n");
    EXPECT_TRUE(f.list.Edit(*link, "  two\tparts ", "news:comp.lang", "why"));
    EXPECT_EQ(Outline(f.list.Root()), "L two parts <news:comp.lang> {why}\n");
    EXPECT_NE(f.dir.Read("saved.htm").find(">two parts</a>"), std::string::npos);  // saved at once
}

std::string MenuText(const std::vector<BookmarkMenuItem>& items, int indent = 0) {
    std::string out;
    for (const BookmarkMenuItem& item : items) {
        out.append(indent, ' ');
        switch (item.kind) {
            case BookmarkMenuItem::Kind::kSeparator:
                out += "-\n";
                break;
            case BookmarkMenuItem::Kind::kSubmenu:
                out += item.text + ">\n" + MenuText(item.children, indent + 1);
                break;
            default:
                out += std::to_string(item.command) + " " + item.text + "\n";
        }
    }
    return out;
}

TEST(BookmarkMenu, LimitsAndMore) {
    BookmarkFixture f;
    for (int i = 0; i < 30; ++i)
        Append(f.list, nullptr, BookmarkKind::kLink, "l" + std::to_string(i));
    const auto items = BuildBookmarkMenu(f.list.Root());
    ASSERT_EQ(items.size(), 12u);
    EXPECT_EQ(items.front().kind, BookmarkMenuItem::Kind::kSeparator);
    EXPECT_EQ(items[10].command, 32840);
    EXPECT_EQ(items.back().text, "More...");
    EXPECT_EQ(items.back().command, kMoreBookmarksCommand);
}

TEST(BookmarkMenu, SubmenusAndNumbering) {
    BookmarkFixture f;
    Append(f.list, nullptr, BookmarkKind::kSeparator, "");
    CBookmarkItem* big = Append(f.list, nullptr, BookmarkKind::kOpenFolder, "Big");
    for (int i = 0; i < 40; ++i) Append(f.list, big, BookmarkKind::kLink, "b" + std::to_string(i));
    Append(f.list, nullptr, BookmarkKind::kSeparator, "");
    Append(f.list, nullptr, BookmarkKind::kLink, "after");
    Append(f.list, nullptr, BookmarkKind::kSeparator, "");
    const auto items = BuildBookmarkMenu(f.list.Root());
    const std::string text = MenuText(items);
    // The leading separator is dropped (nothing numbered yet), the trailing one too.
    EXPECT_TRUE(text.starts_with("-\nBig>\n 32832 b0\n")) << text;
    EXPECT_NE(text.find(" 32856 b24\n 32941 More...\n-\n32857 after\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("32857 after\n")) << text;

    EXPECT_EQ(FindBookmarkMenuEntry(f.list.Root(), 32857)->name, "after");
    EXPECT_EQ(FindBookmarkMenuEntry(f.list.Root(), 32856)->name, "b24");
    EXPECT_EQ(FindBookmarkMenuEntry(f.list.Root(), 32858), nullptr);
    EXPECT_EQ(ChooseBookmarkMenuEntry(f.list, 32857), "http://after/");
    EXPECT_EQ(FindBookmarkMenuEntry(f.list.Root(), 32857)->visited, kNow);
    EXPECT_EQ(ChooseBookmarkMenuEntry(f.list, 32900), std::nullopt);
    EXPECT_EQ(f.Messages(), "Error getting bookmark URL\n");
}

TEST(BookmarkMenu, RunningCountStopsAt110Numbers) {
    BookmarkFixture f;
    for (int i = 0; i < 10; ++i) {
        CBookmarkItem* folder =
            Append(f.list, nullptr, BookmarkKind::kOpenFolder, "f" + std::to_string(i));
        for (int j = 0; j < 30; ++j) Append(f.list, folder, BookmarkKind::kLink, "x");
    }
    const auto items = BuildBookmarkMenu(f.list.Root());
    int links = 0;
    int highest = 0;
    int submenus = 0;
    for (const auto& item : items) {
        if (item.kind == BookmarkMenuItem::Kind::kSubmenu) ++submenus;
        for (const auto& child : item.children) {
            if (child.kind == BookmarkMenuItem::Kind::kLink) {
                ++links;
                highest = std::max(highest, child.command);
            }
        }
    }
    // Folders take numbers too: four full submenus, four links in the fifth, and the sixth
    // folder takes the last of the 110 numbers with no room left for its links.
    EXPECT_EQ(submenus, 6);
    EXPECT_EQ(links, 4 * 25 + 4);
    EXPECT_EQ(highest, kFirstBookmarkCommand + 108);
    EXPECT_EQ(items.back().text, "More...");
}

}  // namespace
}  // namespace corvane::bookmarks
