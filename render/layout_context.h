#pragma once
// One pass of flow layout over an element list (the document, or a table cell). The element
// walk calls one operation per element; the context keeps the pen, the line being built, the
// indents and the floating images, and appends boxes and lines to a display list.
//
// Lines: boxes are placed at the pen with their top on the line top; closing the line shifts
// them for centring or right alignment and puts every baseline on the line's baseline.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/font_table.h"
#include "render/layout_box.h"

namespace corvane::render {

enum class BreakKind : int { kLineBreak = 0, kParagraphGap = 1, kEndOfLine = 2 };

// An image as layout sees it: the size of its box before spacing and its alignment.
struct ImagePlacement {
    int width = 32;
    int height = 32;
    int hspace = 0;
    int vspace = 0;
    int alignment = kAlignBottom;
    std::string_view alt;  // shown in the placeholder; must outlive the display list
};

struct RulePlacement {
    std::optional<int> width;  // negative: percent of the available width
    std::optional<int> size;
    int alignment = kAlignCentre;
    bool shaded = true;
};

class CLayoutContext {
  public:
    // Document margins: 10 pixels left and right, 20 top and bottom.
    static constexpr int kLeftMargin = 10;
    static constexpr int kTopMargin = 20;

    CLayoutContext(CFontTable& fonts, DisplayList& out, int leftMargin, int top, int width);

    // Table cells: never wrap, and the widest word is tracked for the cell's minimum width.
    void SetNoWrap(bool noWrap) { noWrap_ = noWrap; }
    // The table cell (an index into the list's cells) whose lines this context lays out.
    void SetCell(std::uint32_t cell) { cell_ = cell; }
    // Measuring a table cell: no wrapping, and every word, image and preformatted line counts
    // towards the widest word, which becomes the cell's minimum width.
    void SetMeasuring() {
        noWrap_ = true;
        measuring_ = true;
    }
    bool Measuring() const { return measuring_; }
    // Texts layout makes go to this store instead of the display list's own (a table cell's
    // boxes move into the display list of the flow around the table).
    void KeepTextsIn(std::deque<std::string>& store) { texts_ = &store; }
    std::deque<std::string>& TextStore() { return *texts_; }
    // Table header cells: bold text.
    void SetBold(bool bold) { bold_ = bold; }
    // Changes the flow width (the view was resized); the caller lays out again from the top.
    int Width() const { return width_; }

    void PlaceText(const html::CHTMLElement* element, std::string_view text, StyleWord style,
                   const html::CHTMLElement* anchor);
    void PlacePreformatted(const html::CHTMLElement* element, std::string_view text,
                           StyleWord style, const html::CHTMLElement* anchor);
    void PlaceBullet(const html::CHTMLElement* element, int shape);
    void PlaceNumber(const html::CHTMLElement* element, std::string label, StyleWord style);
    void PlaceRule(const html::CHTMLElement* element, const RulePlacement& rule);
    void PlaceImage(const html::CHTMLElement* element, const ImagePlacement& image,
                    const html::CHTMLElement* anchor);

    // An inline box of the given size standing on the baseline `ascent` below its top.
    void PlaceControl(const html::CHTMLElement* element, int width, int height, int ascent,
                      std::string dumpText);

    void Break(BreakKind kind);
    void EndLine();
    void DocumentStart();

    void SetListDepth(int depth);            // list start or end
    void SetDefinitionListDepth(int depth);  // definition list start or end
    void DefinitionData(bool compact);
    void DefinitionTerm();
    void BlockQuote(bool isEnd);
    void Centre(bool isEnd);
    void SetAlignment(int alignment) { alignment_ = alignment; }
    // The document's scroll target was passed; its line's top is recorded when the line closes.
    void MarkScrollTarget() { scrollTargetPending_ = true; }

    // Blocks (tables): a block starts on a line of its own. StartBlock closes the open line and
    // answers the width available beside the floats there; ClearFloats moves below them.
    int StartBlock();
    bool ClearFloats();
    // A block (its boxes go straight into Output()): BeginBlock answers its top left corner at
    // the pen, shifted for centring or right alignment within the available width; EndBlock
    // moves the pen below it. scrollTargetY: where in the block the scroll target lies.
    Point BeginBlock(int width, int height, int alignment);
    void EndBlock(const Rect& block, std::optional<int> scrollTargetY);
    DisplayList& Output() { return out_; }
    // While measuring: a block as wide as maximum that cannot be narrower than minimum.
    void ReserveBlock(int minimum, int maximum);

    // Closes the open line and reaches below every float.
    void Finish();
    // Forgets the closed lines and their boxes once they were written out: the open line's
    // boxes move to the front of the display list.
    void DropClosedLines();

    const Rect& Extent() const { return extent_; }
    int Bottom() const { return bottom_; }
    int WidestWord() const { return widestWord_; }
    std::optional<int> ScrollTargetY() const { return scrollTargetY_; }
    int PenX() const { return penX_; }
    int PenY() const { return penY_; }
    const BaseMetrics& Base() const { return base_; }

  private:
    struct PendingFloat {
        const html::CHTMLElement* element;
        ImagePlacement image;
        const html::CHTMLElement* anchor;
    };
    struct Float {
        Rect rect;  // spacing included
        bool left;
    };

    int LeftLimit(int top, int height) const;
    int RightLimit(int top, int height) const;
    int AvailableWidth() const;
    int LineStartX() const;
    void StartLineIfNeeded();
    void DropFloatsAbove(int y);
    void MoveBelowFloats();
    void PlaceFloat(const html::CHTMLElement* element, const ImagePlacement& image,
                    const html::CHTMLElement* anchor, int width, int height);
    void PlacePendingFloats();
    LayoutBox& AddBox(BoxKind kind, const html::CHTMLElement* element, Rect rect, int ascent);
    std::string_view Keep(std::string text);
    void NoteWidestWord(std::string_view text, const SurfaceFont& font);
    LayoutBox& PlacePiece(const html::CHTMLElement* element, std::string_view text, int width,
                          StyleWord style, const SurfaceFont& font,
                          const html::CHTMLElement* anchor);
    void PlaceWords(const html::CHTMLElement* element, std::string_view text, double advance,
                    StyleWord style, const SurfaceFont& font, const html::CHTMLElement* anchor);
    void CarryWordToNextLine();
    // White space that ends a line is not drawn: no underline runs past its last word, and
    // centring counts only what shows.
    void TrimLineEnd();
    void EndWord(bool afterSpace);
    // Past the deepest position a document may reach: ends it with a notice, ignoring the rest.
    void DropTheRest();

    CFontTable& fonts_;
    DisplayList& out_;
    BaseMetrics base_;

    int leftMargin_;
    int width_;
    int penX_;
    int penY_;
    int listIndent_ = 0;
    int definitionIndent_ = 0;
    int listDepth_ = 0;
    int centreDepth_ = 0;
    int quoteDepth_ = 0;
    int alignment_ = kAlignLeft;
    int lastGapY_;
    bool atLineStart_ = true;
    bool noWrap_ = false;
    std::uint32_t cell_ = kNoCell;
    bool bold_ = false;
    bool full_ = false;
    bool measuring_ = false;
    int widestWord_ = 0;
    int bottom_;
    std::deque<std::string>* texts_;
    Rect extent_;

    // The line being built.
    std::uint32_t lineFirstBox_ = 0;
    int lineTop_ = 0;
    int lineMinBottom_ = 0;
    bool lineHasBoxes_ = false;
    int lineStartX_ = 0;
    int lineAvailable_ = 0;  // available width when the line started
    bool scrollTargetPending_ = false;
    // White space and words across pieces of text. afterSpace_: the line so far ends in white
    // space or nothing, so more white space adds nothing. inWord_: it ends inside a word, which
    // a following piece without a space continues; the word starts at byte wordOffset_ of box
    // wordBox_, at wordX_, and wordAtLineStart_ says nothing before it could have wrapped.
    bool afterSpace_ = true;
    bool inWord_ = false;
    bool wordAtLineStart_ = false;
    std::size_t wordBox_ = 0;
    std::size_t wordOffset_ = 0;
    int wordX_ = 0;
    // Characters of preformatted text on the line, for tab stops.
    std::size_t preColumn_ = 0;
    std::optional<int> scrollTargetY_;

    std::vector<Float> floats_;
    std::vector<PendingFloat> pendingFloats_;
};

}  // namespace corvane::render
