#pragma once
// The scrolling view of one document without a toolkit: it lays the document out at its
// client width, paints the area asked for, maps mouse positions to links, shows the link under
// the mouse in the status bar and follows a link clicked with the left button. The Qt widget
// forwards its events here and implements CViewWindow for what only it can do.
//
// Points are in document coordinates (the widget adds the scroll position).

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/host_services.h"
#include "render/flow_layout.h"
#include "render/form_controls.h"
#include "render/page_search.h"
#include "render/text_dump.h"
#include "render/text_selection.h"

namespace corvane::render {

enum class CursorKind { kArrow, kLink, kPressedLink, kSelecting, kBusy };

struct ScrollSizes {
    int totalWidth = 0;
    int totalHeight = 0;
    int pageWidth = 0;
    int pageHeight = 0;
    int lineWidth = 0;
    int lineHeight = 0;
    friend bool operator==(const ScrollSizes&, const ScrollSizes&) = default;
};

// Page and line sizes of 0 become a tenth of the next larger size; all become positive.
ScrollSizes MakeScrollSizes(int totalWidth, int totalHeight, int pageWidth, int pageHeight,
                            int lineWidth, int lineHeight);

class CViewWindow {
  public:
    virtual ~CViewWindow() = default;
    // Sets the scroll ranges; a bar whose page holds the whole total is disabled.
    virtual void SetScrollSizes(const ScrollSizes& sizes) = 0;
    // Repaints a document area, or everything when it is empty.
    virtual void Repaint(const Rect& documentArea) = 0;
    // Calls CHTMLView::OnRelayout on a later turn of the event loop.
    virtual void PostRelayout() = 0;
    virtual void SetCursor(CursorKind cursor) = 0;
    virtual void ScrollToY(int y) = 0;
    // The document y at the top of the client area.
    virtual int ScrollY() const { return 0; }
};

// The window of a view that is never shown (headless runs, pictures of a page): it does nothing.
class CHiddenViewWindow : public CViewWindow {
  public:
    void SetScrollSizes(const ScrollSizes&) override {}
    void Repaint(const Rect&) override {}
    void PostRelayout() override {}
    void SetCursor(CursorKind) override {}
    void ScrollToY(int) override {}
};

// A followed link: what the window hands to Navigate.
struct LinkRequest {
    std::string url;       // as written in the link (resolved against base)
    std::string base;      // BASE HREF, or the document's own address
    int method = 0;        // 1 for an ISMAP click: a private query request
    std::string referrer;  // the address of the page the link was on
};

struct ViewSettings {
    FontSettings fonts;
    ColorScheme colors;
    bool useDocumentColors = true;
};

class CHTMLView {
  public:
    CHTMLView(DrawingSurface& measuringSurface, platform::HostServices& host, CViewWindow& window);

    // Makes the fonts; false when they cannot be made (the window then closes).
    [[nodiscard]] bool ApplySettings(const ViewSettings& settings);
    const ViewSettings& Settings() const { return settings_; }

    // Shows a document (or none) whose address is url; resets scrolling and mouse state.
    void SetDocument(const html::CHTML* document, std::string url, std::string base);
    // Lays out what arrived since the last call, within layoutBudgetMs, and repaints.
    void Update();
    // Everything that has arrived is laid out. Until then, onLayoutBehind asks the window to
    // call Update again (after a relayout, or an update cut short by its budget).
    bool LayoutCaughtUp() const { return layout_.CaughtUp(); }
    // The document is complete.
    void Finish();

    void OnSize(int clientWidth, int clientHeight);
    // The window scrolled: the top-left document point now shown. Control windows follow.
    void OnScroll(Point scroll);
    void OnRelayout();
    void RepaintAll() { window_.Repaint(Rect{}); }
    void Paint(DrawingSurface& surface, const Rect& area);

    void MouseMove(Point point);
    // The mouse left the view: no link is under it any more.
    void MouseLeave();
    void LeftButtonDown(Point point);
    void LeftButtonUp(Point point);

    std::function<void(const LinkRequest&)> onFollowLink;
    // A click on the icon square of an image not shown yet asks for that one image.
    std::function<void(const html::CHTMLElement* image)> onLoadImage;
    std::function<void()> onLayoutBehind;
    // How long one Update or relayout may lay out; a window sets a small one to stay responsive.
    std::uint32_t layoutBudgetMs = CFlowLayout::kNoBudget;
    // Runs before the view touches its document (paint, mouse, layout): the window checks there
    // that the document it attached is still the one its request holds.
    std::function<void()> beforeUse;

    const CFlowLayout& Layout() const { return layout_; }
    // The form controls and their windows; the window sets their factory and onSubmit.
    CFormControls& Forms() { return forms_; }
    // Where the document's images come from (decoded rows, natural sizes, failures).
    void SetImageSource(std::function<ImageInfo(const html::CHTMLElement* image)> source) {
        layout_.images = std::move(source);
    }
    std::string DumpText() const;
    // The same text a line at a time, for documents too long to hold twice.
    void WriteText(const TextSink& sink) const;
    DumpMetrics TextMetrics() const;
    // From now on every line is written to the stream as soon as it is laid out, and then
    // forgotten, so a document dumped as it arrives is never held laid out whole. Painting and
    // hit testing see only the line still open; nullptr ends it.
    void StreamTextTo(CTextStream* stream) { textStream_ = stream; }
    const html::CHTMLElement* HitTest(Point point, const LayoutBox** boxOut = nullptr) const;
    // The image whose icon square (the strip at the left of its box, inside the border) holds
    // the point while the image is not shown yet; null otherwise.
    const html::CHTMLElement* IconSquareAt(Point point) const;
    // The status text for a point: the link's URL, with "?x,y" on an ISMAP image.
    std::string LinkTextAt(Point point) const;
    int LayoutCount() const { return layoutCount_; }

    // The text selection. A drag outside links selects; a press alone clears it.
    bool HasSelection() const;
    OrderedSelection Selection() const;
    std::string SelectedText() const;
    // Puts the selected text on the clipboard; false when nothing is selected.
    bool Copy();
    void Select(Point from, Point to);
    void ClearSelection();
    // Selected text is drawn in these colours (the system's highlight).
    void SetSelectionColors(Color text, Color background);
    // A drag ended with text selected: the window offers it as the primary selection.
    std::function<void(const std::string& text)> onSelectionMade;

    // What lies under a point, for the context menu: the link's address and the image with its
    // address (empty when none), and the document's background picture.
    struct PointTargets {
        std::string linkUrl;
        const html::CHTMLElement* image = nullptr;
        std::string imageUrl;
        std::string backgroundUrl;
    };
    PointTargets TargetsAt(Point point) const;
    // The address the view's links resolve against, and the document's own.
    const std::string& Base() const { return base_.empty() ? url_ : base_; }
    const std::string& Url() const { return url_; }

    // "Find Next" of the Find dialog: shows the match as the selection, scrolled into view, or
    // tells the user that the pattern is empty or the page holds no further match.
    enum class FindOutcome { kEmptyPattern, kFound, kFinished };
    FindOutcome FindNext(std::string_view pattern, bool fromTop, bool matchCase);

  private:
    void RelayoutNow();
    void AfterLayout();
    void RepaintAnchor(const html::CHTMLElement* anchor);
    void PlaceControls();
    void SetSelection(Point anchor, Point focus);
    // Where a character of the text list is drawn: its left edge, or with `after` its right
    // edge, at the top of its line. Null when no box shows it.
    std::optional<Point> PointOf(const TextPosition& position, bool after) const;

    platform::HostServices& host_;
    CViewWindow& window_;
    CFontTable fonts_;
    CFlowLayout layout_;
    CFormControls forms_{layout_};
    ViewSettings settings_;
    std::string url_;
    std::string base_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    Point scroll_;
    int layoutCount_ = 0;
    CTextStream* textStream_ = nullptr;
    bool relayoutPosted_ = false;
    bool scrolledToTarget_ = false;

    const html::CHTMLElement* hover_ = nullptr;
    const html::CHTMLElement* pressed_ = nullptr;
    bool selecting_ = false;
    std::string status_;
    // Where the selecting drag started and where it is now; equal when nothing is selected.
    Point selectionAnchor_;
    Point selectionFocus_;
    Color selectionText_ = kWhite;
    Color selectionBackground_ = MakeColor(0, 0, 128);
    CPageSearch search_;
};

}  // namespace corvane::render
