#pragma once
// The browser's Bookmarks menu: four fixed items ("&Add Bookmark", "&Bookmarks...", a separator,
// "&View Bookmarks"), then the entries of the main bookmark list, rebuilt each time the menu
// opens so it always shows the tree as it is.

#include <QMenu>
#include <functional>
#include <vector>

#include "bookmarks/bookmark_menu.h"

namespace corvane::shell {

inline constexpr int kFixedBookmarkMenuItems = 4;

// Replaces everything after the first `fixedCount` actions of `menu` with `items`; choosing a
// link or "More..." calls onCommand with its command number.
void FillBookmarksMenu(QMenu& menu, int fixedCount,
                       const std::vector<bookmarks::BookmarkMenuItem>& items,
                       const std::function<void(int)>& onCommand);

}  // namespace corvane::shell
