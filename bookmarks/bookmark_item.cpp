#include "bookmarks/bookmark_item.h"

#include <vector>

#include "platform/ascii.h"

namespace corvane::bookmarks {
CBookmarkItem::CBookmarkItem(BookmarkKind kind)
    : isSeparator(kind == BookmarkKind::kSeparator),
      isExpanded(kind != BookmarkKind::kClosedFolder) {
    if (kind == BookmarkKind::kClosedFolder || kind == BookmarkKind::kOpenFolder) MakeFolder();
}

CBookmarkItem::~CBookmarkItem() {
    if (children_) FreeItemList(*children_);
}

void CBookmarkItem::MakeFolder() {
    isFolder = true;
    if (!children_) children_ = std::make_unique<CBookmarkItemList>();
}

CBookmarkItemList& CBookmarkItem::Children() {
    if (!children_) children_ = std::make_unique<CBookmarkItemList>();
    return *children_;
}

void FreeItemList(CBookmarkItemList& list) {
    // Children are moved out before their folder dies, so no destructor ever recurses.
    std::vector<std::unique_ptr<CBookmarkItem>> doomed;
    for (auto& item : list) doomed.push_back(std::move(item));
    list.clear();
    while (!doomed.empty()) {
        std::unique_ptr<CBookmarkItem> item = std::move(doomed.back());
        doomed.pop_back();
        if (item->HasChildren()) {
            for (auto& child : item->Children()) doomed.push_back(std::move(child));
            item->Children().clear();
        }
    }
}

bool IsUsableAddress(std::string_view url) {
    return url.find(':') != std::string_view::npos;
}

std::string NormalisedName(std::string_view name) {
    std::size_t begin = 0;
    std::size_t end = name.size();
    while (begin < end && IsAsciiSpace(name[begin])) ++begin;
    while (end > begin && IsAsciiSpace(name[end - 1])) --end;
    std::string result(name.substr(begin, end - begin));
    for (char& c : result) {
        if (IsAsciiSpace(c)) c = ' ';
    }
    return result;
}

bool IsWithin(const CBookmarkItem* item, const CBookmarkItem* ancestor) {
    for (; item != nullptr; item = item->parentItem) {
        if (item == ancestor) return true;
    }
    return false;
}

}  // namespace corvane::bookmarks
