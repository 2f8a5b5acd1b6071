#pragma once
// CBookmarkList: the bookmark tree of a browser window, the file it is loaded from and saved
// to, and the operations of the bookmark window (placing new entries, copying, deleting,
// moving, editing). Which list forms the Bookmarks menu, where new bookmarks go and which entry
// is selected are kept here too, and written into the file as marker words.
//
// Loading reads any HTML page with a tolerant builder (bookmark_reader.h); saving writes one
// fixed layout (bookmark_writer.h) through a temporary file and a rename. Messages reach the
// user through the host services.
//
// Memory: the list owns the root list and through it every entry. mainList, newItemList and
// currentList point at the root list or a folder's children; the item pointers never own.
// Removing entries clears every pointer into them.

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "bookmarks/bookmark_item.h"
#include "platform/host_services.h"

namespace corvane::bookmarks {

// The reserved name that stands for no file at all.
inline constexpr std::string_view kNoFileName = ".dummy.";
// The fallback file read when the default file does not exist, and the name Export and Import
// propose.
inline constexpr std::string_view kFallbackFileName = "bookmark.htm";
inline constexpr std::string_view kFileDialogFilter =
    "HTM Files (*.htm;*.html)|*.htm;*.html|All Files (*.*)|*.*||";

// Where a bookmark file dialog starts: in the directory of `currentFile` (a "file:" address is
// read as the path the file protocol opens for it), proposing `proposedName` (or, when that is
// empty, the current file's own name) with its extension cut to three characters.
std::string DialogStartPath(std::string_view currentFile, std::string_view proposedName);

enum class LoadMode { kReplace, kImport };
enum class MissingFile { kFail, kCreate };
// Where a dragged entry lands against the entry it is dropped on.
enum class DropPlace { kBefore, kAfter, kInside };

class CBookmarkList {
  public:
    // defaultFile: the "Bookmark File" setting; fallbackFile: "bookmark.htm" in the program's
    // own directory.
    CBookmarkList(platform::HostServices& host, std::string defaultFile, std::string fallbackFile);
    ~CBookmarkList();
    CBookmarkList(const CBookmarkList&) = delete;
    CBookmarkList& operator=(const CBookmarkList&) = delete;

    // Reads fileName into the tree, or into a new folder at the end of the root list (import).
    // An empty name with MissingFile::kCreate means the default file. False on failure (the user
    // has been told).
    bool Load(const std::string& fileName, LoadMode mode, MissingFile missing);
    // Writes the whole tree to fileName; an empty name asks for one (and the tree then belongs
    // to the chosen file). True also when the user cancels the dialog.
    bool Save(const std::string& fileName);
    // The tree a missing or empty default file yields: one open main folder.
    void CreateInitialTree();

    // An entry of the given kind. A non-empty url without ":" is cleared and the user told.
    std::unique_ptr<CBookmarkItem> MakeItem(BookmarkKind kind, std::string_view name,
                                            std::string_view url);
    // Puts the entry into `list` under `parent` at `depth`: after `reference` (or last) when
    // `after`, else before it (or first). `normalise` cleans the name first.
    CBookmarkItem* Insert(CBookmarkItemList& list, std::unique_ptr<CBookmarkItem> item,
                          CBookmarkItem* parent, bool after,
                          std::optional<CBookmarkItemList::iterator> reference, bool normalise);
    // Places a new entry where the new-item settings say; it becomes current when none was.
    CBookmarkItem* Place(std::unique_ptr<CBookmarkItem> item);

    // Add Bookmark: urlText is the document's address as its request holds it (the name),
    // canonicalUrl the address itself. Null when nothing was added (the user has been told).
    CBookmarkItem* AddBookmark(std::string_view urlText, std::string_view canonicalUrl);
    // New Bookmark, New Header, New Line: a fresh entry placed like a new bookmark.
    CBookmarkItem* AddNewEntry(BookmarkKind kind, std::string_view documentUrl);
    // Copy Items: a copy placed like a new entry; a folder with children asks whether to copy
    // them too. Null when nothing was copied.
    CBookmarkItem* Copy(CBookmarkItem& item);
    // A copy of the entry standing in no list (name, address, description, times, kind), with
    // copies of everything below it when withChildren.
    std::unique_ptr<CBookmarkItem> Duplicate(const CBookmarkItem& item, bool withChildren);
    // Replaces the tree by the one a file's text describes (its markers and selection too);
    // the file name stays. Undo returns to the text saved before a change this way.
    bool Restore(std::string_view fileText);
    // Deletes the entry and its subtree; a folder with children asks first. False when the user
    // kept it.
    bool Delete(CBookmarkItem& item);
    // Moves an entry against another; refused (false) into its own subtree.
    bool Move(CBookmarkItem& item, CBookmarkItem& target, DropPlace place);
    // The properties page's OK: false (and nothing changes) for a link or folder given an address
    // without ":". Saves the tree at once.
    bool Edit(CBookmarkItem& item, std::string_view name, std::string_view url,
              std::string_view description);

    // The configuration page's three choices (null: the root list).
    void SetNewItemInside(CBookmarkItem* folder);
    void SetNewItemUnder(CBookmarkItem& item);
    void SetMainFolder(CBookmarkItem* folder);
    void SetCurrent(CBookmarkItem* item);

    // Every entry is freed and the tree starts empty with the default markers.
    void Clear();
    // Clears every marker and cursor pointing into the entry's subtree.
    void ForgetReferencesInto(const CBookmarkItem& item);
    // The same for the entry alone (one that has no children).
    void ForgetReferencesTo(const CBookmarkItem& item);

    platform::HostServices& Host() { return host_; }
    CBookmarkItemList& Root() { return rootList_; }
    const CBookmarkItemList& Root() const { return rootList_; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string name) { fileName_ = std::move(name); }
    const std::string& DefaultFile() const { return defaultFile_; }
    bool IsDefaultFile() const { return fileName_ == defaultFile_; }
    // DialogStartPath from the tree's file, or the default file while it has none.
    std::string DialogStart(std::string_view proposedName) const;

    // The marker and cursor fields: which list forms the menu, where new bookmarks go, the
    // selected entry, and the entry marked CURRENT while a file is read.
    CBookmarkItemList* mainList;
    CBookmarkItem* mainFolder = nullptr;
    CBookmarkItemList* newItemList;
    CBookmarkItem* newItemAnchor = nullptr;
    bool newItemInside = true;
    CBookmarkItemList* currentList;
    CBookmarkItem* currentItem = nullptr;
    CBookmarkItem* markedCurrent = nullptr;

    // Seconds since 1970 for new entries; tests replace it.
    std::function<BookmarkTime()> now = [] {
        return static_cast<BookmarkTime>(std::time(nullptr));
    };

  private:
    bool ReadFile(std::FILE* file, CBookmarkItem* importFolder, bool& empty);
    void ChooseCurrentAfterLoad();
    void ResetMarkers();
    std::unique_ptr<CBookmarkItem> Detach(CBookmarkItem& item);
    void Warn(std::string_view text);

    platform::HostServices& host_;
    std::string defaultFile_;
    std::string fallbackFile_;
    std::string fileName_;
    CBookmarkItemList rootList_;
};

// The next entry after `after` (from the top when null), in the order of the window's rows, whose
// name or address holds `text` without regard to ASCII case; separators do not count. Null when
// there is none.
CBookmarkItem* FindBookmark(const CBookmarkItemList& root, const CBookmarkItem* after,
                            std::string_view text);

// Sets depth (and parentItem for the direct children) below `folder` to match its place,
// without recursion.
void RenumberDepths(CBookmarkItem& folder);

}  // namespace corvane::bookmarks
