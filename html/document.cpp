#include "html/document.h"

#include <algorithm>

namespace corvane::html {

std::size_t CHTML::AnchorKeyHash::operator()(const AnchorKey& key) const {
    const std::size_t href = std::hash<std::string_view>{}(key.href);
    return href ^ (std::hash<std::string_view>{}(key.base) + 0x9e3779b97f4a7c15 + (href << 6) +
                   (href >> 2));
}

CHTML::CHTML(std::string url) : url_(std::move(url)) {
    sentinel_.next = &sentinel_;
    sentinel_.previous = &sentinel_;
}

CHTML::~CHTML() {
    DestroyElements(sentinel_);
}

void CHTML::DestroyElements(CHTMLElement& sentinel) {
    // The arena frees the memory afterwards.
    CHTMLElement* element = sentinel.next;
    while (element != &sentinel) {
        CHTMLElement* following = element->next;
        if (element->type != kElementTable) element->~CHTMLElement();
        element = following;
    }
}

namespace {

// Elements that only the list and the side lists point at.
bool Releasable(std::int32_t type) {
    return type != kElementImage && type != kElementTable && type != kElementCell &&
           type != kElementCellEnd && type < kElementForm;
}

// Counts the entries of a side list, which follows the element list's order, as they are met.
struct SideListCursor {
    std::size_t passed = 0;
    template <typename Entry>
    void Pass(const std::vector<Entry*>& entries, const CHTMLElement* element) {
        if (passed < entries.size() && entries[passed] == element) ++passed;
    }
    template <typename Entry>
    void Drop(std::vector<Entry*>& entries) const {
        entries.erase(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(passed));
    }
};

}  // namespace

std::size_t CHTML::ReleaseBefore(const CHTMLElement* keep) {
    // While a table is built, elements go into its cells' lists and the builder holds them.
    if (insertionPoint_ != &sentinel_ || !tables.empty() || lastSignificant_ == nullptr) return 0;
    const CHTMLElement* last = Last();
    SideListCursor inTexts, inLinked, inBlinking;
    std::unordered_map<CHTMLAnchor*, std::size_t> linksPassed;
    std::size_t released = 0;
    CHTMLElement* element = sentinel_.next;
    while (element != keep && element != last && element != lastSignificant_ &&
           Releasable(element->type)) {
        inTexts.Pass(texts, element);
        inLinked.Pass(linkedElements, element);
        inBlinking.Pass(blinkingTexts, element);
        if (element->type == kElementText) {
            if (CHTMLAnchor* anchor = static_cast<CHTMLText*>(element)->anchor)
                ++linksPassed[anchor];
        }
        // Laid out already; the sentinel keeps a later anchor of that name from taking over.
        if (element == scrollTarget) scrollTarget = &sentinel_;
        CHTMLElement* following = element->next;
        element->~CHTMLElement();
        element = following;
        ++released;
    }
    if (released == 0) return 0;
    sentinel_.next = element;
    element->previous = &sentinel_;
    elementCount_ -= released;
    inTexts.Drop(texts);
    inLinked.Drop(linkedElements);
    inBlinking.Drop(blinkingTexts);
    std::vector<const CHTMLAnchor*> unused;
    for (const auto& [anchor, passed] : linksPassed) {
        anchor->elements.erase(anchor->elements.begin(),
                               anchor->elements.begin() + static_cast<std::ptrdiff_t>(passed));
        if (anchor->elements.empty() && anchor != linkBeingBuilt) {
            anchorsByKey_.erase(AnchorKey{anchor->href, anchor->base});
            unused.push_back(anchor);
        }
    }
    if (!unused.empty()) {
        std::sort(unused.begin(), unused.end(), std::less<>());
        const auto isUnused = [&](const CHTMLAnchor* anchor) {
            return std::binary_search(unused.begin(), unused.end(), anchor, std::less<>());
        };
        std::erase_if(anchors, isUnused);
        std::erase_if(ownedAnchors_, [&](const auto& owned) { return isUnused(owned.get()); });
    }
    // A text is stored just before its element is made, or later when it grew elsewhere.
    std::uint64_t age = arena_.AgeOf(element);
    if (element->type == kElementText) {
        const std::string_view text = static_cast<const CHTMLText*>(element)->text;
        if (!text.empty()) age = std::min(age, arena_.AgeOf(text.data()));
    }
    arena_.FreeOlderThan(age);
    return released;
}

CHTMLTable* CHTML::AddTable() {
    CHTMLTable* table = ownedTables_.emplace_back(std::make_unique<CHTMLTable>()).get();
    tables.push_back(table);
    return table;
}

std::string_view CHTML::StoreText(std::string_view text) {
    if (text.empty()) return {};
    char* copy = static_cast<char*>(arena_.Allocate(text.size(), 1));
    std::copy(text.begin(), text.end(), copy);
    return {copy, text.size()};
}

std::string_view CHTML::AppendText(std::string_view stored, std::string_view more) {
    if (stored.empty()) return StoreText(more);
    if (void* added = arena_.Extend(stored.data() + stored.size(), more.size())) {
        std::copy(more.begin(), more.end(), static_cast<char*>(added));
        return {stored.data(), stored.size() + more.size()};
    }
    char* copy = static_cast<char*>(arena_.Allocate(stored.size() + more.size(), 1));
    std::copy(stored.begin(), stored.end(), copy);
    std::copy(more.begin(), more.end(), copy + stored.size());
    return {copy, stored.size() + more.size()};
}

void CHTML::Link(CHTMLElement* element) {
    CHTMLElement* before = insertionPoint_->previous;
    element->previous = before;
    element->next = insertionPoint_;
    before->next = element;
    insertionPoint_->previous = element;
    ++elementCount_;
    if (insertionPoint_ == &sentinel_ && IsSignificant(element->type)) lastSignificant_ = element;
}

CHTMLElement* CHTML::LastSignificantElement() const {
    if (insertionPoint_ == &sentinel_) return lastSignificant_;
    // Inside a table cell's own list the walk ends at that list's sentinel.
    for (CHTMLElement* e = insertionPoint_->previous; e->type != kElementSentinel;
         e = e->previous) {
        if (IsSignificant(e->type)) return e;
    }
    return nullptr;
}

CHTMLAnchor* CHTML::FindAnchor(std::string_view href, std::string_view base) const {
    const auto found = anchorsByKey_.find(AnchorKey{href, base});
    return found == anchorsByKey_.end() ? nullptr : found->second;
}

CHTMLAnchor* CHTML::AddAnchor(std::unique_ptr<CHTMLAnchor> anchor) {
    CHTMLAnchor* added = anchor.get();
    anchorsByKey_.emplace(AnchorKey{added->href, added->base}, added);
    ownedAnchors_.push_back(std::move(anchor));
    anchors.push_back(added);
    return added;
}

}  // namespace corvane::html
