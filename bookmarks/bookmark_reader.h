#pragma once
// The tolerant builder that turns any HTML page into bookmark entries: lists (DL, UL, OL, DIR,
// MENU, TABLE, CAPTION) become folders named by the heading or title before them, anchors
// become links, rules become separators and DD text becomes the description of the entry before
// it. The marker words of the program's own files (MAIN, INSIDE, UNDER, CURRENT, FOLDED...) set
// the tree's menu, new-item and selection fields as they are met.
//
// Order of calls: Feed the file's bytes in pieces of any size, then Finish. Text after the last
// tag is never delivered (a file ends with a tag).
//
// Cost is linear in the input: every byte passes the tokenizer once, every tag's attributes are
// looked up a fixed number of times, and the stack of open elements grows by at most one per tag.
//
// Memory: the reader owns only the entry it is building until that entry is placed in a list;
// an entry that never gets a place is freed, and every tree field that pointed at it cleared.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bookmarks/bookmark_item.h"
#include "html/tokenizer.h"

namespace corvane::bookmarks {

class CBookmarkList;

// The contact address written in the footer of every saved file; a link of that name is never
// read back as a bookmark.
inline constexpr std::string_view kContactAddress = "mailto:corvane@localhost";
// The description that marks the folder receiving an import; its title renames it.
inline constexpr std::string_view kImportDescription = "Import Bookmark Title";

class CBookmarkReader {
  public:
    // Entries go into importFolder's children when one is given, else into the list's root.
    CBookmarkReader(CBookmarkList& list, CBookmarkItem* importFolder);
    ~CBookmarkReader();
    CBookmarkReader(const CBookmarkReader&) = delete;
    CBookmarkReader& operator=(const CBookmarkReader&) = delete;

    void Feed(std::string_view bytes);
    // Drops the entry still being built.
    void Finish();

  private:
    void Token(int code);
    void Text(std::string_view text);
    void StartTag(int tag, std::string_view tagText);
    void EndTag(int tag);
    void StartAnchor(int tag, std::string_view tagText);
    void EndAnchor();
    void StartListItem(std::string_view tagText);
    void StartHeading(int tag, std::string_view tagText);
    void Rule(std::string_view tagText);
    void OpenLevel(int tag, std::string_view tagText);
    void GoUp();
    // The attribute rules: false when the entry is not usable.
    bool ApplyAttributes(CBookmarkItem& entry, std::string_view tagText, bool anchorTag);
    void ApplyMarkers(CBookmarkItem* entry, std::string_view tagText);
    CBookmarkItem& MakeEntry();
    // entry_ becomes `item`; an unplaced entry that is left behind is dropped.
    void SetEntry(CBookmarkItem* item);
    void DropUnplaced();
    void PlaceAtEnd(CBookmarkItem& item);

    CBookmarkList& list_;
    html::CHTMLTokenizer tokenizer_;
    std::string text_;
    CBookmarkItem* parentItem_;
    CBookmarkItemList* filling_;
    int depth_;
    std::string pendingTitle_;
    std::string baseAddress_;
    CBookmarkItem* pendingEntry_ = nullptr;
    CBookmarkItem* entry_ = nullptr;
    std::unique_ptr<CBookmarkItem> unplaced_;
    std::vector<int> openElements_;
    bool inValidAnchor_ = false;
    bool inHeading_ = false;
    bool inTitle_ = false;
    bool inDT_ = false;
    bool inLI_ = false;
    bool descriptionFollows_ = false;
};

// A time attribute's value: decimal seconds; a negative, malformed or absurd value (past the
// year 9999) reads as 0, not set.
BookmarkTime ParseBookmarkTime(std::string_view text);

}  // namespace corvane::bookmarks
