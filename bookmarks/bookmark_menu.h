#pragma once
// The browser's Bookmarks menu built from the main list: links numbered from 32831 in one
// running count over the whole menu, folders as submenus, at most 10 entries at the top, at most
// 25 in a submenu, 110 numbers in all, "More..." where entries were left out.

#include <optional>
#include <string>
#include <vector>

#include "bookmarks/bookmark_item.h"

namespace corvane::bookmarks {

class CBookmarkList;

inline constexpr int kFirstBookmarkCommand = 32831;
inline constexpr int kMoreBookmarksCommand = 32941;

struct BookmarkMenuItem {
    enum class Kind { kLink, kSubmenu, kSeparator, kMore };
    Kind kind = Kind::kLink;
    std::string text;
    int command = 0;                         // links and "More..."
    std::vector<BookmarkMenuItem> children;  // a submenu's items
    bool operator==(const BookmarkMenuItem&) const = default;
};

// The items after the menu's four fixed ones: a separator, then the filled entries; nothing for
// an empty main list.
std::vector<BookmarkMenuItem> BuildBookmarkMenu(const CBookmarkItemList& mainList);

// The entry a link's command number stands for, numbered exactly as the menu numbers it; null
// when there is none.
CBookmarkItem* FindBookmarkMenuEntry(CBookmarkItemList& mainList, int command);

// Choosing a menu entry: its address (and its visited time becomes now), or nullopt after
// telling the user why there is none.
std::optional<std::string> ChooseBookmarkMenuEntry(CBookmarkList& list, int command);

}  // namespace corvane::bookmarks
