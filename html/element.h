#pragma once
// The elements of a parsed document. A document is a flat list of elements in reading order;
// structure is carried by paired start and end markers. The type value of each kind is fixed:
// the flow layout dispatches on it.
//
// Memory: every element belongs to its CHTML: list elements live in the document's arena, link
// anchors and the background image are owned by the document directly. Side lists and the
// pointers between elements (owning anchor, scroll target) never own.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::render {
class CLayoutContext;
class CDrawContext;
}  // namespace corvane::render

namespace corvane::html {

enum ElementType : std::int32_t {
    kElementSentinel = 0,
    kElementText = 1,  // text run, also preformatted
    kElementBreak = 2,
    kElementCentre = 3,
    kElementLinkAnchor = 4,
    kElementAnchorName = 5,
    kElementImage = 6,
    kElementRule = 8,
    kElementTable = 9,
    kElementCell = 11,
    kElementCellEnd = 12,
    kElementList = 13,
    kElementNumberedItem = 14,
    kElementBulletItem = 15,
    kElementDefinitionList = 16,
    kElementDefinitionData = 17,
    kElementBlockQuote = 18,
    kElementAlignment = 19,
    kElementDocumentStart = 20,
    kElementForm = 22,
};

// Alignment codes shared by every layout part.
enum Alignment : std::int32_t {
    kAlignTop = 0,
    kAlignMiddle = 1,
    kAlignBottom = 2,
    kAlignLeft = 3,
    kAlignCentre = 4,
    kAlignRight = 5,
    kAlignBaseline = 6,
};

class CHTMLElement {
  public:
    explicit CHTMLElement(std::int32_t type) : type(type) {}
    CHTMLElement(const CHTMLElement&) = delete;
    CHTMLElement& operator=(const CHTMLElement&) = delete;
    virtual ~CHTMLElement() = default;

    // Layout slots, in this order. The flow layout (render/) gives them their behaviour per
    // kind; here every one does nothing, so a document can be built and inspected without it.
    // Layout places the element and advances the pen; non-zero when it did something.
    virtual int Layout(render::CLayoutContext& /*context*/) { return 0; }
    virtual void Adjust(render::CLayoutContext& /*context*/) {}
    // Called for each element of a line when the line is closed.
    virtual void FinishLine(render::CLayoutContext& /*context*/) {}
    virtual void Draw(render::CDrawContext& /*surface*/) {}
    virtual bool HitTest(int /*x*/, int /*y*/) const { return false; }
    // Called when a block marker is passed.
    virtual void EndBlock(render::CLayoutContext& /*context*/) {}

    CHTMLElement* next = nullptr;
    CHTMLElement* previous = nullptr;
    const std::int32_t type;
};

class CHTMLAnchor;

// Type 1. Preformatted runs keep tabs and line ends.
class CHTMLText : public CHTMLElement {
  public:
    CHTMLText(std::string_view text, std::uint16_t style, bool preformatted)
        : CHTMLElement(kElementText), style(style), preformatted(preformatted), text(text) {}

    // The small fields first: they fill the base's tail padding, a long page has many runs.
    std::uint16_t style;
    bool preformatted;
    std::string_view text;  // kept in the document's arena
    CHTMLAnchor* anchor = nullptr;
    // Filled by the layout.
    int lineTop = 0;
    int width = 0;
    int height = 0;
};

enum BreakKind : std::int32_t { kLineBreak = 0, kParagraphGap = 1, kEndOfLine = 2 };

// Type 2.
class CHTMLBreak : public CHTMLElement {
  public:
    explicit CHTMLBreak(BreakKind kind) : CHTMLElement(kElementBreak), kind(kind) {}
    BreakKind kind;
};

// Types 3 (centre) and 18 (block quotation): a start or end marker.
class CHTMLBlockMarker : public CHTMLElement {
  public:
    CHTMLBlockMarker(std::int32_t type, bool isEnd) : CHTMLElement(type), isEnd(isEnd) {}
    bool isEnd;
};

// Type 4: one per distinct (HREF, base) pair; shared by every A tag that repeats it.
class CHTMLAnchor : public CHTMLElement {
  public:
    CHTMLAnchor(std::string href, std::string base, std::string url, bool visited)
        : CHTMLElement(kElementLinkAnchor),
          href(std::move(href)),
          base(std::move(base)),
          url(std::move(url)),
          visited(visited) {}

    // Const: the document's anchor index keeps views of both.
    const std::string href;  // as written
    const std::string base;  // the base it was resolved against
    std::string url;         // canonical, resolved
    bool visited;
    std::vector<CHTMLElement*> elements;  // text and images inside the link
};

// Type 5.
class CHTMLAnchorName : public CHTMLElement {
  public:
    explicit CHTMLAnchorName(std::string name)
        : CHTMLElement(kElementAnchorName), name(std::move(name)) {}
    std::string name;
};

// Type 6: IMG, FIG and the BODY background. Decoding and the load request come with the image
// convertors.
class CHTMLImage : public CHTMLElement {
  public:
    CHTMLImage() : CHTMLElement(kElementImage) {}

    std::string source;  // SRC as written
    std::string url;     // canonical, resolved against the base
    std::int32_t alignment = kAlignBottom;
    std::int32_t width = 0;  // 0: natural size
    std::int32_t height = 0;
    std::int32_t hspace = 0;
    std::int32_t vspace = 0;
    std::int32_t border = 0;
    bool isMap = false;
    std::string alt;
    CHTMLAnchor* anchor = nullptr;
};

// Type 8: HR, and the rules around ISINDEX.
class CHTMLRule : public CHTMLElement {
  public:
    CHTMLRule() : CHTMLElement(kElementRule) {}
    std::optional<std::int32_t> width;  // negative: percent of the available width
    std::optional<std::int32_t> size;
    std::int32_t alignment = kAlignCentre;
    bool shaded = true;
};

class CHTMLTable;

// Type 12: ends a replayed table cell.
class CHTMLCellEnd : public CHTMLElement {
  public:
    explicit CHTMLCellEnd(CHTMLTable* table) : CHTMLElement(kElementCellEnd), table(table) {}
    CHTMLTable* table;
};

// Types 13 (UL, OL, DIR, MENU) and 16 (DL): start or end of a list.
class CHTMLListMarker : public CHTMLElement {
  public:
    CHTMLListMarker(std::int32_t type, std::uint32_t flags, std::int32_t depth, bool isEnd)
        : CHTMLElement(type), flags(flags), depth(depth), isEnd(isEnd) {}
    std::uint32_t flags;  // the list flag word
    std::int32_t depth;   // list depth after this marker
    bool isEnd;
};

// Numbering styles of an OL.
enum NumberStyle : std::int32_t {
    kNumberDecimal = 0,
    kNumberUpperAlpha = 1,
    kNumberLowerAlpha = 2,
    kNumberUpperRoman = 3,
    kNumberLowerRoman = 4,
};

// Type 14: LI inside OL.
class CHTMLNumberedItem : public CHTMLElement {
  public:
    CHTMLNumberedItem(std::uint16_t style, NumberStyle numberStyle, std::int32_t number)
        : CHTMLElement(kElementNumberedItem),
          style(style),
          numberStyle(numberStyle),
          number(number) {}
    std::uint16_t style;
    NumberStyle numberStyle;
    std::int32_t number;
};

enum BulletShape : std::int32_t { kBulletDisc = 1, kBulletCircle = 2, kBulletSquare = 3 };

// Type 15: LI anywhere else. Without a TYPE the shape is the list depth (3 and deeper square).
class CHTMLBulletItem : public CHTMLElement {
  public:
    CHTMLBulletItem(std::uint16_t style, std::int32_t shape)
        : CHTMLElement(kElementBulletItem), style(style), shape(shape) {}
    std::uint16_t style;
    std::int32_t shape;
};

// Type 17: DD, or with `term` set DT, which takes the definition indent back to the margin.
class CHTMLDefinitionData : public CHTMLElement {
  public:
    explicit CHTMLDefinitionData(bool compact, bool term = false)
        : CHTMLElement(kElementDefinitionData), compact(compact), term(term) {}
    bool compact;
    bool term;
};

// Type 19.
class CHTMLAlignmentMarker : public CHTMLElement {
  public:
    explicit CHTMLAlignmentMarker(std::int32_t alignment)
        : CHTMLElement(kElementAlignment), alignment(alignment) {}
    std::int32_t alignment;
};

// Type 20: marks the first line.
class CHTMLDocumentStart : public CHTMLElement {
  public:
    CHTMLDocumentStart() : CHTMLElement(kElementDocumentStart) {}
};

// Elements that LI, headings and PRE look back at.
constexpr bool IsSignificant(std::int32_t type) {
    return type == kElementText || type == kElementBreak || type == kElementImage ||
           type == kElementRule || type == kElementNumberedItem || type == kElementBulletItem ||
           type > kElementForm;
}

constexpr bool IsListItem(std::int32_t type) {
    return type == kElementNumberedItem || type == kElementBulletItem;
}

}  // namespace corvane::html
