#pragma once
// One entry of the bookmark tree: a link, a separator (a horizontal rule) or a folder with its
// children. Lists are ordered and own their entries; an entry records where it stands (its list
// and its position there) so it can be moved or removed without a search.
//
// Memory: a folder owns its children list and everything in it. Freeing a folder frees its
// subtree without recursion, so a tree nested a hundred thousand levels deep cannot exhaust the
// stack.

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::bookmarks {

class CBookmarkItem;
using CBookmarkItemList = std::list<std::unique_ptr<CBookmarkItem>>;

// The kind code an entry is made with.
enum class BookmarkKind { kLink = 0, kSeparator = 1, kClosedFolder = 2, kOpenFolder = 3 };

// Seconds since 1 January 1970 UTC; 0 means not set.
using BookmarkTime = std::int64_t;

class CBookmarkItem {
  public:
    explicit CBookmarkItem(BookmarkKind kind);
    ~CBookmarkItem();
    CBookmarkItem(const CBookmarkItem&) = delete;
    CBookmarkItem& operator=(const CBookmarkItem&) = delete;

    // A folder gets its children list here when it has none yet.
    void MakeFolder();
    CBookmarkItemList& Children();
    const CBookmarkItemList* ChildList() const { return children_.get(); }
    bool HasChildren() const { return children_ && !children_->empty(); }

    std::string name;
    std::string url;
    BookmarkTime added = 0;
    BookmarkTime visited = 0;
    // Free text for links and folders; raw attribute text (such as SIZE=2) for a separator.
    std::string description;
    bool isSeparator = false;
    bool isFolder = false;
    bool isExpanded = true;
    CBookmarkItem* parentItem = nullptr;
    CBookmarkItemList* parentList = nullptr;
    std::optional<CBookmarkItemList::iterator> position;
    int depth = 0;
    // The entry's row in a window showing the tree; the tree never looks at it.
    void* displayHandle = nullptr;

  private:
    std::unique_ptr<CBookmarkItemList> children_;
};

// Frees every entry of the list, deepest first, without recursion.
void FreeItemList(CBookmarkItemList& list);

// An address is usable when it holds a ":" (a scheme); an empty one is no address at all.
bool IsUsableAddress(std::string_view url);

// The name as lists keep it: trimmed of white space at both ends, other tabs and line ends made
// spaces.
std::string NormalisedName(std::string_view name);

// Whether `item` is `ancestor` or lies inside it.
bool IsWithin(const CBookmarkItem* item, const CBookmarkItem* ancestor);

// The entries of `list` and all their descendants, in the order they are written (a folder
// before its children), without recursion. `visit(item)` is called for each.
template <typename Visit>
void ForEachInTree(const CBookmarkItemList& list, Visit&& visit) {
    struct Level {
        CBookmarkItemList::const_iterator next, end;
    };
    std::vector<Level> stack{{list.begin(), list.end()}};
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.end) {
            stack.pop_back();
            continue;
        }
        // `level` is not used after the push below, which may move it.
        const CBookmarkItem& item = **level.next++;
        visit(item);
        if (item.HasChildren())
            stack.push_back({item.ChildList()->begin(), item.ChildList()->end()});
    }
}

}  // namespace corvane::bookmarks
