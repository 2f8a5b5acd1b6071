#include "bookmarks/bookmark_list.h"

#include <cerrno>
#include <cstdio>
#include <new>
#include <vector>

#include "bookmarks/bookmark_reader.h"
#include "bookmarks/bookmark_writer.h"
#include "core/address.h"
#include "html/charset_decoder.h"
#include "platform/ascii.h"
#include "platform/whole_file.h"
#include "protocols/local_path.h"

namespace corvane::bookmarks {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

constexpr std::size_t kReadBlock = 8192;
constexpr std::string_view kMainFolderDescription = "Main Bookmark Title";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::string DialogStartPath(std::string_view currentFile, std::string_view proposedName) {
    std::string path(currentFile);
    if (StartsWithIgnoreCase(currentFile, "file:")) {
        const core::CHTAddress address = core::ParseAddress(currentFile);
        path = protocols::UrlPathToLocalPath("/" + address.path, protocols::TrailingSlash::kDrop)
                   .value_or(std::string());
    }
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name(proposedName.empty() ? std::string_view(path).substr(slash + 1)
                                          : proposedName);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0 && name.size() - dot > 4) name.resize(dot + 4);
    return directory + name;
}

CBookmarkList::CBookmarkList(platform::HostServices& host, std::string defaultFile,
                             std::string fallbackFile)
    : mainList(&rootList_),
      newItemList(&rootList_),
      currentList(&rootList_),
      host_(host),
      defaultFile_(std::move(defaultFile)),
      fallbackFile_(std::move(fallbackFile)) {}

CBookmarkList::~CBookmarkList() {
    FreeItemList(rootList_);
}

std::string CBookmarkList::DialogStart(std::string_view proposedName) const {
    return DialogStartPath(fileName_.empty() || fileName_ == kNoFileName ? defaultFile_ : fileName_,
                           proposedName);
}

void CBookmarkList::Warn(std::string_view text) {
    host_.ShowMessage(text, MessageButtons::kOk, MessageIcon::kExclamation);
}

void CBookmarkList::ResetMarkers() {
    mainList = newItemList = currentList = &rootList_;
    mainFolder = newItemAnchor = currentItem = markedCurrent = nullptr;
    newItemInside = true;
}

void CBookmarkList::Clear() {
    ResetMarkers();
    FreeItemList(rootList_);
}

bool CBookmarkList::Load(const std::string& requested, LoadMode mode, MissingFile missing) {
    std::string fileName = requested;
    if (fileName.empty()) {
        if (missing == MissingFile::kFail) {
            Warn("Missing File Name");
            return false;
        }
        fileName = defaultFile_;
    }
    const bool isDefault = fileName == defaultFile_;
    const bool isNoFile = fileName == kNoFileName;
    bool createdEmpty = false;
    FileHandle file;
    if (!isNoFile) {
        file.reset(std::fopen(fileName.c_str(), "rb"));
        if (!file && errno == ENOENT) {
            if (!isDefault) {
                Warn("File Not Found");
            } else {
                file.reset(std::fopen(fallbackFile_.c_str(), "rb"));
            }
            if (!file) {
                if (mode == LoadMode::kImport) return false;
                if (!isDefault) Warn("Creating new file ...");
                if (platform::WriteFileAtomically(fileName, "", platform::NewFileAccess::kUmask)) {
                    Warn("Cannot Open Bookmark");
                    return false;
                }
                createdEmpty = true;
            }
        } else if (!file) {
            Warn("Cannot Open Bookmark");
            return false;
        }
    }

    std::unique_ptr<CBookmarkItem> importFolder;
    if (mode == LoadMode::kReplace) {
        Clear();
        fileName_ = isNoFile ? std::string() : fileName;
    } else {
        importFolder = std::make_unique<CBookmarkItem>(BookmarkKind::kOpenFolder);
        importFolder->parentList = &rootList_;
        importFolder->added = now();
        importFolder->name = "Import--Bookmark Title";
        importFolder->description = kImportDescription;
    }

    bool empty = true;
    if (file && !ReadFile(file.get(), importFolder.get(), empty)) return false;
    if (empty && !isNoFile && !isDefault && !createdEmpty) {
        host_.ShowMessage("Invalid filename or file is empty", MessageButtons::kOk,
                          MessageIcon::kExclamation);
        return false;
    }

    if (mode == LoadMode::kReplace) {
        if (rootList_.empty() && (isDefault || isNoFile)) CreateInitialTree();
    } else if (!importFolder->HasChildren()) {
        host_.ShowMessage("No bookmarks found...", MessageButtons::kOk, MessageIcon::kInformation);
        return true;
    } else {
        CBookmarkItem* placed =
            Insert(rootList_, std::move(importFolder), nullptr, true, std::nullopt, false);
        currentList = &placed->Children();
        currentItem = placed->Children().front().get();
    }
    ChooseCurrentAfterLoad();
    return true;
}

bool CBookmarkList::ReadFile(std::FILE* file, CBookmarkItem* importFolder, bool& empty) {
    try {
        CBookmarkReader reader(*this, importFolder);
        // Files of other programs, and older ones of ours, are often in the Windows character
        // set: the reader gets UTF-8 whatever the file holds (its META charset, else detected,
        // else Windows-1252, where every byte stands for a character).
        html::CharsetDecoder decoder("", true);
        std::vector<char> block(kReadBlock);
        std::string text;
        std::size_t got = 0;
        while ((got = std::fread(block.data(), 1, block.size(), file)) > 0) {
            empty = false;
            text.clear();
            decoder.Decode(std::string_view(block.data(), got), text);
            reader.Feed(text);
        }
        text.clear();
        decoder.Finish(text);
        reader.Feed(text);
        reader.Finish();
    } catch (const std::bad_alloc&) {
        Warn("Out of memory!");
        Warn("Bookmark List Initialize Error!");
        return false;
    }
    return true;
}

void CBookmarkList::ChooseCurrentAfterLoad() {
    if (rootList_.empty()) return;
    if (markedCurrent) {
        currentItem = markedCurrent;
        currentList = markedCurrent->parentList;
        markedCurrent = nullptr;
        return;
    }
    if (currentItem) return;
    currentList = &rootList_;
    auto first = rootList_.begin();
    if ((*first)->isSeparator && std::next(first) != rootList_.end()) ++first;
    currentItem = first->get();
    if (currentItem->isFolder && currentItem->isExpanded &&
        currentItem->name == kBookmarkFileTitle && currentItem->HasChildren()) {
        currentList = &currentItem->Children();
        currentItem = currentList->front().get();
    }
}

void CBookmarkList::CreateInitialTree() {
    ResetMarkers();
    auto folder = std::make_unique<CBookmarkItem>(BookmarkKind::kOpenFolder);
    folder->name = kBookmarkFileTitle;
    folder->description = kMainFolderDescription;
    folder->added = now();
    CBookmarkItem* placed =
        Insert(rootList_, std::move(folder), nullptr, true, std::nullopt, false);
    mainFolder = newItemAnchor = placed;
    mainList = newItemList = &placed->Children();
}

bool CBookmarkList::Save(const std::string& requested) {
    std::string fileName = requested;
    if (fileName.empty()) {
        const std::optional<std::string> chosen = host_.AskSaveFile(
            "Corvane : Save As", kFileDialogFilter, DialogStart(kFallbackFileName));
        if (!chosen) return true;
        if (chosen->empty()) {
            host_.ShowMessage("No filename given... bookmark data not saved.", MessageButtons::kOk,
                              MessageIcon::kExclamation);
            return false;
        }
        fileName = *chosen;
        fileName_ = fileName;
    }
    if (platform::WriteFileAtomically(fileName, BookmarkFileText(*this),
                                      platform::NewFileAccess::kUmask)) {
        Warn("Cannot Open Bookmark");
        return false;
    }
    return true;
}

std::unique_ptr<CBookmarkItem> CBookmarkList::MakeItem(BookmarkKind kind, std::string_view name,
                                                       std::string_view url) {
    auto item = std::make_unique<CBookmarkItem>(kind);
    item->name = name;
    if (!url.empty() && !IsUsableAddress(url)) {
        Warn("Add Item Error!!!\nInvalid URL address found!");
    } else {
        item->url = url;
    }
    return item;
}

CBookmarkItem* CBookmarkList::Insert(CBookmarkItemList& list, std::unique_ptr<CBookmarkItem> item,
                                     CBookmarkItem* parent, bool after,
                                     std::optional<CBookmarkItemList::iterator> reference,
                                     bool normalise) {
    if (normalise) item->name = NormalisedName(item->name);
    CBookmarkItemList::iterator where;
    if (!reference) {
        where = after ? list.end() : list.begin();
    } else {
        where = after ? std::next(*reference) : *reference;
    }
    CBookmarkItem* placed = item.get();
    placed->parentItem = parent;
    placed->parentList = &list;
    placed->depth = parent ? parent->depth + 1 : 0;
    placed->position = list.insert(where, std::move(item));
    if (placed->HasChildren()) RenumberDepths(*placed);
    return placed;
}

CBookmarkItem* CBookmarkList::Place(std::unique_ptr<CBookmarkItem> item) {
    CBookmarkItem* placed = nullptr;
    if (newItemAnchor && newItemInside && newItemAnchor->isFolder) {
        placed = Insert(newItemAnchor->Children(), std::move(item), newItemAnchor, false,
                        std::nullopt, false);
    } else if (newItemAnchor) {
        placed = Insert(*newItemAnchor->parentList, std::move(item), newItemAnchor->parentItem,
                        true, newItemAnchor->position, false);
    } else {
        // No anchor: UNDER appends to the root list, INSIDE puts the entry first.
        placed = Insert(rootList_, std::move(item), nullptr, !newItemInside, std::nullopt, false);
    }
    if (!currentItem) SetCurrent(placed);
    return placed;
}

CBookmarkItem* CBookmarkList::AddBookmark(std::string_view urlText, std::string_view canonicalUrl) {
    auto item = std::make_unique<CBookmarkItem>(BookmarkKind::kLink);
    if (!IsUsableAddress(canonicalUrl)) {
        Warn("Add Item Error!!!\nNo valid current URL address found!");
        return nullptr;
    }
    item->name = NormalisedName(urlText.empty() ? canonicalUrl : urlText);
    item->url = canonicalUrl;
    item->added = item->visited = now();
    return Place(std::move(item));
}

CBookmarkItem* CBookmarkList::AddNewEntry(BookmarkKind kind, std::string_view documentUrl) {
    std::unique_ptr<CBookmarkItem> item;
    switch (kind) {
        case BookmarkKind::kLink:
            item = MakeItem(kind, "New Bookmark",
                            IsUsableAddress(documentUrl) ? documentUrl : std::string_view());
            break;
        case BookmarkKind::kSeparator:
            item = MakeItem(kind, "Bookmark Line", "");
            break;
        case BookmarkKind::kClosedFolder:
        case BookmarkKind::kOpenFolder:
            item = MakeItem(BookmarkKind::kOpenFolder, "Bookmark Title", "");
            break;
    }
    item->added = now();
    return Place(std::move(item));
}

std::unique_ptr<CBookmarkItem> CBookmarkList::Duplicate(const CBookmarkItem& original,
                                                        bool withChildren) {
    const auto duplicate = [](const CBookmarkItem& from) {
        auto copy = std::make_unique<CBookmarkItem>(BookmarkKind::kLink);
        copy->name = from.name;
        copy->url = from.url;
        copy->description = from.description;
        copy->added = from.added;
        copy->visited = from.visited;
        copy->isSeparator = from.isSeparator;
        copy->isExpanded = from.isExpanded;
        if (from.isFolder) copy->MakeFolder();
        return copy;
    };
    auto top = duplicate(original);
    if (!withChildren) return top;
    // Pairs of (source folder, copy) still to fill, so no recursion.
    std::vector<std::pair<const CBookmarkItem*, CBookmarkItem*>> pending{{&original, top.get()}};
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        if (!from->HasChildren()) continue;
        for (const auto& child : *from->ChildList()) {
            CBookmarkItem* made =
                Insert(to->Children(), duplicate(*child), to, true, std::nullopt, false);
            if (child->HasChildren()) pending.emplace_back(child.get(), made);
        }
    }
    return top;
}

CBookmarkItem* CBookmarkList::Copy(CBookmarkItem& original) {
    bool withChildren = false;
    if (original.isFolder && original.HasChildren()) {
        const std::string question = "Copy " + std::to_string(original.Children().size()) +
                                     " item/s under title \"" + original.name + "\"?";
        withChildren = host_.ShowMessage(question, MessageButtons::kOkCancel,
                                         MessageIcon::kQuestion) == MessageAnswer::kOk;
    }
    return Place(Duplicate(original, withChildren));
}

bool CBookmarkList::Restore(std::string_view fileText) {
    Clear();
    try {
        CBookmarkReader reader(*this, nullptr);
        reader.Feed(fileText);
        reader.Finish();
    } catch (const std::bad_alloc&) {
        Warn("Out of memory!");
        return false;
    }
    ChooseCurrentAfterLoad();
    return true;
}

CBookmarkItem* FindBookmark(const CBookmarkItemList& root, const CBookmarkItem* after,
                            std::string_view text) {
    if (text.empty()) return nullptr;
    const std::string wanted = AsciiLower(text);
    const auto matches = [&wanted](const std::string& field) {
        return AsciiLower(field).find(wanted) != std::string::npos;
    };
    const CBookmarkItem* found = nullptr;
    bool passed = after == nullptr;
    ForEachInTree(root, [&](const CBookmarkItem& item) {
        if (found) return;
        if (!passed) {
            passed = &item == after;
            return;
        }
        if (!item.isSeparator && (matches(item.name) || matches(item.url))) found = &item;
    });
    return const_cast<CBookmarkItem*>(found);
}

bool CBookmarkList::Delete(CBookmarkItem& item) {
    if (item.isFolder && item.HasChildren()) {
        const std::string question = "Delete title \"" + item.name + "\" containing " +
                                     std::to_string(item.Children().size()) +
                                     " item/s and all its children?";
        if (host_.ShowMessage(question, MessageButtons::kOkCancel, MessageIcon::kQuestion) !=
            MessageAnswer::kOk) {
            return false;
        }
    }
    CBookmarkItemList& list = *item.parentList;
    CBookmarkItem* nextCurrent = currentItem;
    if (list.size() == 1) {
        nextCurrent = item.parentItem;
    } else if (IsWithin(currentItem, &item)) {
        const auto next = std::next(*item.position);
        nextCurrent = next != list.end() ? next->get() : std::prev(*item.position)->get();
    }
    ForgetReferencesInto(item);
    SetCurrent(nextCurrent);
    CBookmarkItemList doomed;
    doomed.push_back(Detach(item));
    FreeItemList(doomed);
    return true;
}

std::unique_ptr<CBookmarkItem> CBookmarkList::Detach(CBookmarkItem& item) {
    std::unique_ptr<CBookmarkItem> taken = std::move(**item.position);
    item.parentList->erase(*item.position);
    item.position.reset();
    return taken;
}

bool CBookmarkList::Move(CBookmarkItem& item, CBookmarkItem& target, DropPlace place) {
    if (IsWithin(&target, &item)) return false;
    std::unique_ptr<CBookmarkItem> taken = Detach(item);
    if (place == DropPlace::kInside && target.isFolder) {
        Insert(target.Children(), std::move(taken), &target, true, std::nullopt, false);
    } else {
        Insert(*target.parentList, std::move(taken), target.parentItem, place != DropPlace::kBefore,
               target.position, false);
    }
    // Folders keep their children lists, so only lists named through an entry's place change.
    if (newItemAnchor && !newItemInside) newItemList = newItemAnchor->parentList;
    if (currentItem) currentList = currentItem->parentList;
    return true;
}

bool CBookmarkList::Edit(CBookmarkItem& item, std::string_view name, std::string_view url,
                         std::string_view description) {
    if (!item.isSeparator && !url.empty() && !IsUsableAddress(url)) {
        Warn("Edit Item Error!!!\nNo valid complete URL address found!");
        return false;
    }
    item.name = NormalisedName(name);
    if (!item.isSeparator) item.url = url;
    item.description = description;
    return Save(fileName_);
}

void CBookmarkList::SetNewItemInside(CBookmarkItem* folder) {
    newItemInside = true;
    newItemAnchor = folder;
    newItemList = folder ? &folder->Children() : &rootList_;
}

void CBookmarkList::SetNewItemUnder(CBookmarkItem& item) {
    newItemInside = false;
    newItemAnchor = &item;
    newItemList = item.parentList;
}

void CBookmarkList::SetMainFolder(CBookmarkItem* folder) {
    mainFolder = folder;
    mainList = folder ? &folder->Children() : &rootList_;
}

void CBookmarkList::SetCurrent(CBookmarkItem* item) {
    currentItem = item;
    currentList = item ? item->parentList : &rootList_;
}

void CBookmarkList::ForgetReferencesInto(const CBookmarkItem& item) {
    if (IsWithin(mainFolder, &item)) SetMainFolder(nullptr);
    if (IsWithin(newItemAnchor, &item)) SetNewItemInside(nullptr);
    if (IsWithin(currentItem, &item)) SetCurrent(nullptr);
    if (IsWithin(markedCurrent, &item)) markedCurrent = nullptr;
}

void CBookmarkList::ForgetReferencesTo(const CBookmarkItem& item) {
    if (mainFolder == &item) SetMainFolder(nullptr);
    if (newItemAnchor == &item) SetNewItemInside(nullptr);
    if (currentItem == &item) SetCurrent(nullptr);
    if (markedCurrent == &item) markedCurrent = nullptr;
}

void RenumberDepths(CBookmarkItem& folder) {
    std::vector<CBookmarkItem*> pending{&folder};
    while (!pending.empty()) {
        CBookmarkItem* parent = pending.back();
        pending.pop_back();
        for (auto& child : parent->Children()) {
            child->parentItem = parent;
            child->depth = parent->depth + 1;
            if (child->HasChildren()) pending.push_back(child.get());
        }
    }
}

}  // namespace corvane::bookmarks
