#include "bookmarks/bookmark_reader.h"

#include <algorithm>

#include "bookmarks/bookmark_list.h"
#include "html/attributes.h"
#include "html/entities.h"
#include "html/tags.h"

namespace corvane::bookmarks {
namespace {

using namespace html::tag;

constexpr BookmarkTime kLatestTime = 253402300799;  // 9999-12-31 23:59:59 UTC

bool IsContainer(int tag) {
    return tag == kDl || tag == kDir || tag == kMenu || tag == kOl || tag == kUl || tag == kTable ||
           tag == kCaption;
}

bool IsHeading(int tag) {
    return (tag >= kH1 && tag <= kH6) || tag == kTitle;
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos;
}

// Marker words count anywhere in the tag text, inside other words too, but not inside a
// double-quoted value: there they are a name or an address that happens to hold the word.
bool Has(std::string_view tagText, std::string_view marker) {
    std::size_t quotes = 0;
    std::size_t counted = 0;
    for (std::size_t at = tagText.find(marker); at != std::string_view::npos;
         at = tagText.find(marker, at + 1)) {
        for (; counted < at; ++counted) quotes += tagText[counted] == '"';
        if (quotes % 2 == 0) return true;
    }
    return false;
}

// An attribute's non-empty value with its character references expanded (the tag text keeps
// them, so a quote inside a value was never mistaken for its end).
bool Attribute(std::string_view tagText, std::string_view name, std::string& value) {
    if (!html::GetAttribute(tagText, name, value)) return false;
    html::ExpandEntities(value);
    return true;
}

}  // namespace

BookmarkTime ParseBookmarkTime(std::string_view text) {
    BookmarkTime value = 0;
    std::size_t i = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        if (value > kLatestTime) return 0;
        ++i;
    }
    return i == 0 ? 0 : value;
}

CBookmarkReader::CBookmarkReader(CBookmarkList& list, CBookmarkItem* importFolder)
    : list_(list),
      parentItem_(importFolder),
      filling_(importFolder ? &importFolder->Children() : &list.Root()),
      depth_(importFolder ? importFolder->depth + 1 : 0) {
    tokenizer_.SetExpandTagEntities(false);
}

CBookmarkReader::~CBookmarkReader() {
    Finish();
}

void CBookmarkReader::Feed(std::string_view bytes) {
    for (const char c : bytes) {
        // A NUL would end the tokenizer's data; it carries nothing in a bookmark file.
        if (c == 0) continue;
        const int code = tokenizer_.Feed(static_cast<unsigned char>(c), false);
        if (code != html::kTokenNone) Token(code);
    }
}

void CBookmarkReader::Finish() {
    SetEntry(nullptr);
}

void CBookmarkReader::Token(int code) {
    if (code == html::TOKEN_TEXT) {
        // The tokenizer cuts long text at spaces: the pieces up to the next tag are one text.
        text_.append(tokenizer_.Text());
        return;
    }
    if (!text_.empty()) {
        Text(text_);
        text_.clear();
    }
    if (code >= html::kEndTagFlag) {
        EndTag(code - html::kEndTagFlag);
    } else if (code != html::TOKEN_TEXTAREA_TEXT && code != html::TOKEN_OPTION_TEXT &&
               code != html::TOKEN_LINE_BREAK) {
        // The tag text begins with its "<".
        StartTag(code, tokenizer_.Text().substr(1));
    }
}

void CBookmarkReader::Text(std::string_view text) {
    if (IsBlank(text)) return;
    if (inValidAnchor_ && entry_) {
        entry_->name = NormalisedName(text);
        pendingTitle_ = entry_->name;
    } else if (inHeading_) {
        pendingTitle_ = NormalisedName(text);
        if (entry_) entry_->name = pendingTitle_;
        if (inTitle_ && parentItem_) {
            parentItem_->name = parentItem_->description == kImportDescription
                                    ? "Import--" + pendingTitle_
                                    : pendingTitle_;
        }
    } else if (descriptionFollows_ && pendingEntry_) {
        std::size_t end = text.size();
        while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n' || text[end - 1] == ' ' ||
                           text[end - 1] == '\t')) {
            --end;
        }
        std::string description;
        description.reserve(end);
        for (const char c : text.substr(0, end)) {
            if (c != '\r') description.push_back(c);
        }
        pendingEntry_->description = std::move(description);
        descriptionFollows_ = false;
    }
}

void CBookmarkReader::StartTag(int tag, std::string_view tagText) {
    if (tag == kA || tag == kLink) {
        StartAnchor(tag, tagText);
        // LINK has no end tag: its entry is complete at once.
        if (tag == kLink) EndAnchor();
    } else if (tag == kDt || tag == kLi) {
        (tag == kDt ? inDT_ : inLI_) = true;
        StartListItem(tagText);
    } else if (tag == kDd) {
        if (inDT_) descriptionFollows_ = true;
    } else if (IsHeading(tag)) {
        StartHeading(tag, tagText);
    } else if (IsContainer(tag)) {
        OpenLevel(tag, tagText);
    } else if (tag == kHr) {
        Rule(tagText);
    } else if (tag == kBase) {
        std::string href;
        if (Attribute(tagText, "HREF", href)) baseAddress_ = std::move(href);
    } else if ((tag == kImg || tag == kFig) && inValidAnchor_ && entry_) {
        // Descriptions hold no carriage returns: reading drops them.
        entry_->description += "<";
        for (const char c : tagText) {
            if (c != '\r') entry_->description.push_back(c);
        }
        entry_->description += ">";
    }
}

void CBookmarkReader::EndTag(int tag) {
    if (openElements_.empty()) return;
    const int top = openElements_.back();
    if (tag == kA && top == kA) {
        openElements_.pop_back();
        EndAnchor();
    } else if (IsHeading(tag) && IsHeading(top)) {
        openElements_.pop_back();
        inHeading_ = false;
        if (tag == kTitle) inTitle_ = false;
    } else if (IsContainer(tag) && top == tag) {
        openElements_.pop_back();
        GoUp();
    }
}

void CBookmarkReader::StartAnchor(int tag, std::string_view tagText) {
    if (!entry_) SetEntry(&MakeEntry());
    entry_->parentItem = parentItem_;
    if (tag == kA) openElements_.push_back(kA);
    inValidAnchor_ = ApplyAttributes(*entry_, tagText, true);
}

void CBookmarkReader::EndAnchor() {
    // A rule or a list inside the anchor may have taken its entry already.
    const bool valid = inValidAnchor_ && entry_;
    inValidAnchor_ = false;
    if (!valid) return;
    CBookmarkItem& entry = *entry_;
    entry.depth = depth_;
    entry.parentItem = parentItem_;
    if (entry.isFolder && !entry.HasChildren()) entry.isFolder = false;
    if (!entry.url.empty() || entry.isFolder || entry.isSeparator) {
        if (entry.name != kContactAddress && !entry.position) PlaceAtEnd(entry);
    }
    SetEntry(nullptr);
}

void CBookmarkReader::StartListItem(std::string_view tagText) {
    if (!entry_) SetEntry(&MakeEntry());
    ApplyMarkers(entry_, tagText);
    pendingEntry_ = entry_;
}

void CBookmarkReader::StartHeading(int tag, std::string_view tagText) {
    if (tag == kTitle) {
        inTitle_ = true;
        ApplyMarkers(entry_, tagText);
    }
    openElements_.push_back(tag);
    inHeading_ = true;
    // A heading without text must not name the next folder after an older text.
    pendingTitle_.clear();
    if (entry_) {
        entry_->isSeparator = false;
        entry_->MakeFolder();
        ApplyAttributes(*entry_, tagText, false);
    }
}

void CBookmarkReader::Rule(std::string_view tagText) {
    if (!entry_) SetEntry(&MakeEntry());
    CBookmarkItem& entry = *entry_;
    entry.isFolder = false;
    entry.isSeparator = true;
    entry.name = "Bookmark Line";
    ApplyAttributes(entry, tagText, false);
    ApplyMarkers(&entry, tagText);
    if (!entry.position) PlaceAtEnd(entry);
    SetEntry(nullptr);
}

void CBookmarkReader::OpenLevel(int tag, std::string_view tagText) {
    if (inDT_ || inLI_) {
        inDT_ = inLI_ = false;
        SetEntry(pendingEntry_);
        pendingEntry_ = nullptr;
    }
    if (!entry_) SetEntry(&MakeEntry());
    CBookmarkItem& folder = *entry_;
    folder.isSeparator = false;
    folder.MakeFolder();
    folder.name = pendingTitle_.empty() ? "Bookmark Title" : pendingTitle_;
    if (!folder.position) PlaceAtEnd(folder);
    ApplyMarkers(&folder, tagText);
    ++depth_;
    parentItem_ = &folder;
    filling_ = &folder.Children();
    SetEntry(nullptr);
    openElements_.push_back(tag);
}

void CBookmarkReader::GoUp() {
    if (!parentItem_) {
        depth_ = 0;
        filling_ = &list_.Root();
    } else {
        depth_ = std::max(depth_ - 1, 0);
        filling_ = parentItem_->parentList;
        parentItem_ = parentItem_->parentItem;
    }
    SetEntry(nullptr);
}

bool CBookmarkReader::ApplyAttributes(CBookmarkItem& entry, std::string_view tagText,
                                      bool anchorTag) {
    bool hadValue = false;
    bool cleared = false;
    bool addressGiven = false;
    std::string value;
    if (Attribute(tagText, "NAME", value)) {
        entry.url = baseAddress_ + "#" + value;
        hadValue = addressGiven = true;
    }
    if (Attribute(tagText, "HREF", value)) {
        entry.url = baseAddress_ + value;
        hadValue = addressGiven = true;
    }
    if (addressGiven && !entry.url.empty() && !IsUsableAddress(entry.url)) {
        entry.url.clear();
        cleared = true;
    }
    if (Attribute(tagText, "ADDED", value) || Attribute(tagText, "ADD_DATE", value)) {
        entry.added = ParseBookmarkTime(value);
        hadValue = true;
    }
    if (Attribute(tagText, "VISITED", value) || Attribute(tagText, "LAST_VISIT", value)) {
        entry.visited = ParseBookmarkTime(value);
        hadValue = true;
    }
    if (entry.isFolder) {
        // These markers belong to the heading; an anchor inside it must not reopen the folder.
        if (!anchorTag) {
            entry.isExpanded = !Has(tagText, "FOLDED");
            if (Has(tagText, "MENUHEADER")) list_.SetMainFolder(&entry);
            if (Has(tagText, "NEWITEMHEADER")) list_.SetNewItemInside(&entry);
        }
    } else if (entry.isSeparator) {
        if (Attribute(tagText, "SIZE", value)) entry.description = "SIZE=" + value;
        if (Attribute(tagText, "TITLE", value) && !IsBlank(value))
            entry.name = NormalisedName(value);
    }
    return (entry.isFolder || entry.isSeparator || hadValue) && !cleared;
}

void CBookmarkReader::ApplyMarkers(CBookmarkItem* entry, std::string_view tagText) {
    if (!entry) {
        if (Has(tagText, "MAIN")) list_.SetMainFolder(nullptr);
        if (Has(tagText, "INSIDE")) list_.SetNewItemInside(nullptr);
        return;
    }
    if (entry->isFolder) {
        if (Has(tagText, "MAIN")) list_.SetMainFolder(entry);
        if (Has(tagText, "INSIDE")) list_.SetNewItemInside(entry);
    }
    if (Has(tagText, "UNDER")) list_.SetNewItemUnder(*entry);
    if (Has(tagText, "CURRENT")) list_.markedCurrent = entry;
}

CBookmarkItem& CBookmarkReader::MakeEntry() {
    auto item = std::make_unique<CBookmarkItem>(BookmarkKind::kLink);
    item->depth = depth_;
    item->parentItem = parentItem_;
    item->parentList = filling_;
    CBookmarkItem& made = *item;
    SetEntry(nullptr);
    unplaced_ = std::move(item);
    return made;
}

void CBookmarkReader::SetEntry(CBookmarkItem* item) {
    if (unplaced_ && unplaced_.get() != item) DropUnplaced();
    entry_ = item;
}

void CBookmarkReader::DropUnplaced() {
    // An unplaced entry never has children: only its own address can be referred to.
    list_.ForgetReferencesTo(*unplaced_);
    if (pendingEntry_ == unplaced_.get()) pendingEntry_ = nullptr;
    if (entry_ == unplaced_.get()) entry_ = nullptr;
    unplaced_.reset();
}

void CBookmarkReader::PlaceAtEnd(CBookmarkItem& item) {
    if (unplaced_.get() != &item) return;
    item.depth = depth_;
    list_.Insert(*filling_, std::move(unplaced_), parentItem_, true, std::nullopt, true);
}

}  // namespace corvane::bookmarks
