#pragma once
// CHTML: one parsed document. The element list is circular and doubly linked through a sentinel;
// new elements go in before the insertion point (normally the sentinel, so at the end). Side
// lists give the view quick access to images, links, blinking text and searchable text.
//
// Memory: elements and the text of text runs live in the document's arena, a list of blocks freed
// with the document, so building costs no allocation per element; the element list
// runs their destructors. Link anchors and the background image are owned by the document
// itself (an anchor is shared by every link to the same address, so it has no single place in
// the list). Side lists, the scroll target and the elements' anchor pointers only refer.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "html/arena.h"
#include "html/element.h"
#include "html/table.h"

namespace corvane::html {

class CHTML {
  public:
    explicit CHTML(std::string url);
    CHTML(const CHTML&) = delete;
    CHTML& operator=(const CHTML&) = delete;
    ~CHTML();

    // Creates an element in the document's arena, links it in before the insertion point and
    // returns it. It lives as long as the document.
    template <typename Element, typename... Args>
    Element* AddElement(Args&&... args) {
        void* memory = arena_.Allocate(sizeof(Element), alignof(Element));
        Element* element = new (memory) Element(std::forward<Args>(args)...);
        Link(element);
        return element;
    }
    // Links an element made elsewhere (a table) in before the insertion point.
    void LinkElement(CHTMLElement* element) { Link(element); }
    // A copy of the text that lives as long as the document.
    std::string_view StoreText(std::string_view text);
    // stored (a text made by StoreText) followed by more, grown in place when it is the last
    // thing stored; earlier views of stored stay valid either way.
    std::string_view AppendText(std::string_view stored, std::string_view more);

    CHTMLElement* First() const { return sentinel_.next; }
    // The end of the list: iterate `for (e = First(); e != End(); e = e->next)`.
    const CHTMLElement* End() const { return &sentinel_; }
    CHTMLElement* End() { return &sentinel_; }
    std::size_t ElementCount() const { return elementCount_; }

    CHTMLElement* InsertionPoint() const { return insertionPoint_; }
    void SetInsertionPoint(CHTMLElement* position) { insertionPoint_ = position; }
    // The element last added before the insertion point, or the sentinel.
    CHTMLElement* Last() const { return insertionPoint_->previous; }
    // Walking back from the insertion point, the first text, break, image, rule, list item or
    // form control; nullptr when there is none. Constant time while appending at the end.
    CHTMLElement* LastSignificantElement() const;

    // The anchor for this address and base, created on first use.
    CHTMLAnchor* FindAnchor(std::string_view href, std::string_view base) const;
    CHTMLAnchor* AddAnchor(std::unique_ptr<CHTMLAnchor> anchor);

    // Destroys the elements before keep (an element of the document's own list) and frees the
    // arena blocks only they used; the side lists and the anchors forget them, and an anchor
    // left without elements goes too (a later link to its address makes a new one). For a document
    // written out as it is read, which then never sits in memory whole (the side lists' indices
    // shift, so nothing may hold them across). Stops early at what more than the list may
    // point at: images, forms (their loads and controls), the last element and
    // the last significant one (the builder looks back at both); and releases nothing once a
    // table was started. Returns the number of elements released.
    std::size_t ReleaseBefore(const CHTMLElement* keep);

    // A new table, owned by the document and not linked anywhere yet.
    CHTMLTable* AddTable();
    // Runs the destructors of a list's elements (their memory is the arena's); tables are left
    // to the document, which destroys them itself.
    static void DestroyElements(CHTMLElement& sentinel);

    const std::string& url() const { return url_; }

    // Side lists, in document order.
    std::vector<CHTMLImage*> images;
    std::vector<CHTMLAnchor*> anchors;
    std::vector<CHTMLElement*> linkedElements;
    std::vector<CHTMLText*> blinkingTexts;
    std::vector<CHTMLElement*> texts;  // text runs, list items and visible form controls
    std::vector<CHTMLTable*> tables;   // every table made, nested ones included

    // The link whose text the builder is adding (it may have no element yet), kept by
    // ReleaseBefore when its elements go.
    const CHTMLAnchor* linkBeingBuilt = nullptr;

    std::unique_ptr<CHTMLImage> background;
    CHTMLElement* scrollTarget = nullptr;
    bool targetIsTop = false;
    std::optional<std::string> base;  // BASE HREF; when absent the document's URL is the base
    std::string title;
    bool offline = false;  // images, background and refresh are never fetched
    // The character set the document came in, as its decoder named it; forms are sent in it.
    // Empty: not known (UTF-8 is used).
    std::string charset;
    // BODY colours, 0x00BBGGRR; none means the user's setting.
    std::optional<std::uint32_t> linkColour;
    std::optional<std::uint32_t> visitedColour;
    std::optional<std::uint32_t> activeColour;
    std::optional<std::uint32_t> textColour;
    std::optional<std::uint32_t> backgroundColour;

  private:
    void Link(CHTMLElement* element);

    std::string url_;
    Arena arena_;
    CHTMLElement sentinel_{kElementSentinel};
    CHTMLElement* insertionPoint_ = &sentinel_;
    std::size_t elementCount_ = 0;
    // Last significant element of the list while elements are appended at its end.
    CHTMLElement* lastSignificant_ = nullptr;
    std::vector<std::unique_ptr<CHTMLAnchor>> ownedAnchors_;
    // After the arena: a table's destructor still reaches its cells' elements.
    std::vector<std::unique_ptr<CHTMLTable>> ownedTables_;
    // Keyed by views of the owned anchors' own HREF and base, so a lookup builds no string.
    struct AnchorKey {
        std::string_view href;
        std::string_view base;
        bool operator==(const AnchorKey&) const = default;
    };
    struct AnchorKeyHash {
        std::size_t operator()(const AnchorKey& key) const;
    };
    std::unordered_map<AnchorKey, CHTMLAnchor*, AnchorKeyHash> anchorsByKey_;
};

}  // namespace corvane::html
