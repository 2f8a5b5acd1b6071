#include "bookmarks/bookmark_menu.h"

#include <algorithm>

#include "bookmarks/bookmark_list.h"

namespace corvane::bookmarks {
namespace {

constexpr int kTopLimit = 10;
constexpr int kSubmenuLimit = 25;
constexpr int kLastRunningCount = 109;

using Kind = BookmarkMenuItem::Kind;

// Fills `items` from `list`; `found` collects the entry behind each number when asked.
void Fill(const CBookmarkItemList& list, int limit, int& running,
          std::vector<BookmarkMenuItem>& items, std::vector<const CBookmarkItem*>* found) {
    int count = 0;
    auto it = list.begin();
    for (; it != list.end() && count < limit && running <= kLastRunningCount; ++it) {
        const CBookmarkItem& entry = **it;
        if (entry.isSeparator) {
            if (running > 0 && !items.empty()) items.push_back({Kind::kSeparator, "", 0, {}});
            continue;
        }
        if (found) found->push_back(&entry);
        ++count;
        if (entry.isFolder) {
            ++running;
            BookmarkMenuItem submenu{Kind::kSubmenu, entry.name, 0, {}};
            if (entry.ChildList()) {
                Fill(*entry.ChildList(), std::min(kLastRunningCount - running, kSubmenuLimit),
                     running, submenu.children, found);
            }
            items.push_back(std::move(submenu));
        } else {
            items.push_back({Kind::kLink, entry.name, kFirstBookmarkCommand + running, {}});
            ++running;
        }
    }
    if (!items.empty() && items.back().kind == Kind::kSeparator) items.pop_back();
    if (it != list.end()) items.push_back({Kind::kMore, "More...", kMoreBookmarksCommand, {}});
}

}  // namespace

std::vector<BookmarkMenuItem> BuildBookmarkMenu(const CBookmarkItemList& mainList) {
    std::vector<BookmarkMenuItem> items;
    if (mainList.empty()) return items;
    items.push_back({Kind::kSeparator, "", 0, {}});
    std::vector<BookmarkMenuItem> entries;
    int running = 0;
    Fill(mainList, kTopLimit, running, entries, nullptr);
    items.insert(items.end(), std::make_move_iterator(entries.begin()),
                 std::make_move_iterator(entries.end()));
    return items;
}

CBookmarkItem* FindBookmarkMenuEntry(CBookmarkItemList& mainList, int command) {
    std::vector<BookmarkMenuItem> items;
    std::vector<const CBookmarkItem*> numbered;
    int running = 0;
    Fill(mainList, kTopLimit, running, items, &numbered);
    const int index = command - kFirstBookmarkCommand;
    if (index < 0 || index >= static_cast<int>(numbered.size())) return nullptr;
    // Entries of the menu are the tree's own, reached through the list the caller may change.
    return const_cast<CBookmarkItem*>(numbered[index]);
}

std::optional<std::string> ChooseBookmarkMenuEntry(CBookmarkList& list, int command) {
    CBookmarkItem* entry = FindBookmarkMenuEntry(*list.mainList, command);
    if (!entry || entry->isFolder) {
        list.Host().ShowMessage("Error getting bookmark URL", platform::MessageButtons::kOk,
                                platform::MessageIcon::kStop);
        return std::nullopt;
    }
    if (!IsUsableAddress(entry->url)) {
        entry->url.clear();
        list.Host().ShowMessage("No valid URL address found!", platform::MessageButtons::kOk,
                                platform::MessageIcon::kExclamation);
        return std::nullopt;
    }
    entry->visited = list.now();
    return entry->url;
}

}  // namespace corvane::bookmarks
