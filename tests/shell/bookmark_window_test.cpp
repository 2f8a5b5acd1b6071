// Bookmarks in the window on the offscreen platform: add the shown page, open it from the
// Bookmarks menu, organise the tree in the bookmark window, view the file as a page.
#include "shell/bookmark_window.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QMenu>
#include <QMenuBar>

#include "bookmarks/bookmark_list.h"
#include "shell/bookmarks_menu.h"
#include "shell/history_dialog.h"
#include "tests/shell/browser_window_fixture.h"

namespace corvane::shell {
namespace {

using bookmarks::CBookmarkItem;

class BookmarkWindowTest : public testing::BrowserWindowTest {
  protected:
    void SetUp() override {
        pages.Write("page.html", "<title>Page</title>Text.");
        pages.Write("other.html", "<title>Other</title>More text.");
        BrowserWindowTest::SetUp();
        window->LoadBookmarks();
    }
    // The Bookmarks menu's items after the fixed four, as "text" lines ("-" for separators).
    std::string MenuEntries() {
        emit frame.BookmarksMenu()->aboutToShow();
        std::string out;
        const QList<QAction*> actions = frame.BookmarksMenu()->actions();
        for (int i = kFixedBookmarkMenuItems; i < actions.size(); ++i)
            out += actions[i]->isSeparator() ? "-\n" : actions[i]->text().toStdString() + "\n";
        return out;
    }
    bookmarks::CBookmarkList& List() { return *window->Bookmarks(); }
};

TEST_F(BookmarkWindowTest, AddABookmarkAndOpenItFromTheMenu) {
    EXPECT_EQ(List().Root().size(), 1u);  // the main folder of a new file
    EXPECT_EQ(MenuEntries(), "");
    EXPECT_FALSE(frame.AddBookmarkAction()->isEnabled());  // no document yet
    ASSERT_TRUE(OpenFile(pages.File("page.html")));
    const std::string url = window->CurrentUrl();
    frame.AddBookmarkAction()->trigger();
    EXPECT_EQ(MenuEntries(), "-\n" + url + "\n");

    ASSERT_TRUE(OpenFile(pages.File("other.html")));
    frame.BookmarksMenu()->actions().back()->trigger();
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(window->CurrentUrl(), url);
    EXPECT_NE(List().mainList->front()->visited, 0);
    EXPECT_TRUE(answers.messages.empty());

    // The window keeps no state of its own: closing the program saves the tree.
    frame.SetSession(nullptr);
    window.reset();
    EXPECT_NE(profile.Read("bookmark.htm").find("\">" + url + "</a>"), std::string::npos);
}

TEST_F(BookmarkWindowTest, TheViewsMenuAddsALinkAndThePage) {
    pages.Write("links.html", "<a href=other.html>Other page</a>");
    ASSERT_TRUE(OpenFile(pages.File("links.html")));
    const render::LayoutBox& link = window->View().Layout().Display().boxes.front();
    const auto trigger = [this](render::Point point, const QString& text) {
        return Trigger(*frame.MakeContextMenu(point), text);
    };
    ASSERT_TRUE(
        trigger({(link.rect.left + link.rect.right) / 2, link.rect.top + 1}, "A&dd Link Bookmark"));
    ASSERT_TRUE(trigger({500, 300}, "Add Bookmark"));
    const std::string page = window->CurrentUrl();
    const std::string other = page.substr(0, page.rfind('/') + 1) + "other.html";
    // Each new entry goes above the one added before it.
    EXPECT_EQ(MenuEntries(), "-\n" + page + "\n" + other + "\n");
}

TEST_F(BookmarkWindowTest, OrganiseTheTreeInTheWindow) {
    CBookmarkWindow* bookmarksWindow = frame.BookmarkWindow();
    ASSERT_NE(bookmarksWindow, nullptr);
    ASSERT_TRUE(OpenFile(pages.File("page.html")));
    bookmarksWindow->AddBookmark();
    CBookmarkItem* link = List().currentItem;
    ASSERT_NE(link, nullptr);
    QTreeWidget& tree = bookmarksWindow->Tree();
    EXPECT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(CBookmarkWindow::EntryOf(tree.currentItem()), link);

    // A new folder inside the main one, the link dragged into it.
    CBookmarkItem* main = List().Root().front().get();
    auto folder = List().MakeItem(bookmarks::BookmarkKind::kOpenFolder, "Work", "");
    CBookmarkItem* work =
        List().Insert(main->Children(), std::move(folder), main, true, std::nullopt, false);
    bookmarksWindow->MoveEntry(*link, *work, bookmarks::DropPlace::kInside);
    loop.RunUntil([] { return false; }, 20);
    EXPECT_EQ(tree.topLevelItem(0)->child(0)->text(0), "Work");
    EXPECT_EQ(CBookmarkWindow::EntryOf(tree.topLevelItem(0)->child(0)->child(0)), link);
    EXPECT_EQ(MenuEntries(), "-\nWork\n");

    // Deleting the folder asks first; Cancel keeps it.
    tree.setCurrentItem(tree.topLevelItem(0)->child(0));
    answers.messageAnswers.push_back(platform::MessageAnswer::kCancel);
    bookmarksWindow->DeleteSelected();
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text,
              "Delete title \"Work\" containing 1 item/s and all its children?");
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 1);
    bookmarksWindow->DeleteSelected();
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
    EXPECT_EQ(MenuEntries(), "");
}

// The Edit menu: Find walks the rows, Cut and Paste move an entry, Undo steps back through both;
// the file dialogs start beside the tree's file.
TEST_F(BookmarkWindowTest, EditMenuFindsCutsPastesAndUndoes) {
    CBookmarkWindow* bookmarksWindow = frame.BookmarkWindow();
    ASSERT_NE(bookmarksWindow, nullptr);
    const auto edit = [bookmarksWindow](const QString& text) {
        QMenu* menu = bookmarksWindow->menuBar()->actions()[1]->menu();
        emit menu->aboutToShow();
        return Trigger(*menu, text);
    };
    ASSERT_TRUE(OpenFile(pages.File("page.html")));
    const std::string page = window->CurrentUrl();
    bookmarksWindow->AddBookmark();
    ASSERT_TRUE(OpenFile(pages.File("other.html")));
    const std::string other = window->CurrentUrl();
    bookmarksWindow->AddBookmark();
    const std::string both = "-\n" + other + "\n" + page + "\n";
    ASSERT_EQ(MenuEntries(), both);
    EXPECT_FALSE(edit("&Paste"));

    EXPECT_TRUE(bookmarksWindow->FindEntry("OTHER.HTML", true));
    EXPECT_EQ(List().currentItem->url, other);
    EXPECT_TRUE(bookmarksWindow->FindEntry("html", false));
    EXPECT_EQ(List().currentItem->url, page);
    EXPECT_FALSE(bookmarksWindow->FindEntry("html", false));
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, "Listbox String Not Found");

    ASSERT_TRUE(edit("Cu&t"));
    EXPECT_EQ(MenuEntries(), "-\n" + other + "\n");
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), page + "\n");
    ASSERT_TRUE(edit("&Paste"));
    ASSERT_TRUE(edit("&Paste"));
    EXPECT_EQ(MenuEntries(), "-\n" + page + "\n" + page + "\n" + other + "\n");
    for (const std::string& before :
         {"-\n" + page + "\n" + other + "\n", "-\n" + other + "\n", both}) {
        ASSERT_TRUE(edit("&Undo"));
        EXPECT_EQ(MenuEntries(), before);
    }
    // Further back: before the two Add Bookmarks.
    ASSERT_TRUE(edit("&Undo"));
    ASSERT_TRUE(edit("&Undo"));
    EXPECT_EQ(MenuEntries(), "");
    EXPECT_FALSE(edit("&Undo"));

    answers.fileAnswers.push_back(std::nullopt);
    bookmarksWindow->Export();
    EXPECT_EQ(answers.fileDialogStarts.back(), profile.File("bookmark.htm"));
}

TEST_F(BookmarkWindowTest, TheHistoryWindowAddsTheChosenEntry) {
    ASSERT_TRUE(OpenFile(pages.File("page.html")));
    HistoryDialog history(*window, &frame);
    history.BookmarkSelected();
    ASSERT_EQ(List().mainList->size(), 1u);
    EXPECT_EQ(List().mainList->front()->url, window->CurrentUrl());
}

TEST_F(BookmarkWindowTest, ViewBookmarksShowsTheFileAsAPage) {
    frame.ViewBookmarksAction()->trigger();
    ASSERT_TRUE(WaitForLoad());
    EXPECT_EQ(window->Title(), "Ferrolyn Bookmark File");
    EXPECT_NE(window->View().DumpText().find("Main Bookmark Title"), std::string::npos);
}

TEST(BookmarksMenu, FillsSubmenusAndReplacesOldEntries) {
    testing::TestApplication();
    QMenu menu;
    for (const char* fixed : {"&Add Bookmark", "&Bookmarks...", "", "&View Bookmarks"}) {
        if (*fixed) {
            menu.addAction(fixed);
        } else {
            menu.addSeparator();
        }
    }
    using Item = bookmarks::BookmarkMenuItem;
    std::vector<Item> items = {
        {Item::Kind::kSeparator, "", 0, {}},
        {Item::Kind::kSubmenu, "Tom & Jerry", 0, {{Item::Kind::kLink, "inner", 32832, {}}}},
        {Item::Kind::kMore, "More...", 32941, {}}};
    int chosen = 0;
    FillBookmarksMenu(menu, kFixedBookmarkMenuItems, items, [&chosen](int c) { chosen = c; });
    FillBookmarksMenu(menu, kFixedBookmarkMenuItems, items, [&chosen](int c) { chosen = c; });
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 7);
    EXPECT_EQ(actions[5]->text(), "Tom && Jerry");
    actions[5]->menu()->actions()[0]->trigger();
    EXPECT_EQ(chosen, 32832);
    actions[6]->trigger();
    EXPECT_EQ(chosen, 32941);
}

}  // namespace
}  // namespace corvane::shell
