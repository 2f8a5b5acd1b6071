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
