#pragma once
// Lays a CHTML document out into a display list and answers the questions about its elements
// that drawing and the view ask (link URLs, visited state, images, colours). This file is the
// one place of render/ that knows the element kinds.
//
// Layout continues from the last element placed while the document is still arriving; a width
// or font change starts again from the first element. Each element is laid out once per pass.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "render/document_painter.h"
#include "render/font_table.h"
#include "render/layout_box.h"
#include "render/layout_context.h"
#include "render/table_layout.h"

namespace corvane::html {
class CHTML;
class CHTMLControl;
}  // namespace corvane::html

namespace corvane::render {

class CFlowLayout {
  public:
    explicit CFlowLayout(CFontTable& fonts)
        : fonts_(fonts),
          tables_(fonts, [this](CLayoutContext& context, const html::CHTMLElement& element) {
              LayoutElement(context, element);
          }) {}
    CFlowLayout(const CFlowLayout&) = delete;
    CFlowLayout& operator=(const CFlowLayout&) = delete;

    // The document to lay out, or none; drops the current layout.
    void SetDocument(const html::CHTML* document);
    const html::CHTML* Document() const { return document_; }

    // No limit on the time an update may take.
    static constexpr std::uint32_t kNoBudget = UINT32_MAX;

    // Starts again from the top at the given layout width (the view's client width), laying out
    // what the budget allows.
    void Restart(int layoutWidth, std::uint32_t budgetMs = kNoBudget);
    // Lays out the elements added since the last call, stopping once about budgetMs have
    // passed, so a window stays responsive while a long document is laid out. Returns true
    // when anything was placed.
    bool Update(std::uint32_t budgetMs = kNoBudget);
    // Every element the document holds so far is laid out.
    bool CaughtUp() const;
    // Closes the open line at the end of the data.
    void Finish();

    const DisplayList& Display() const { return display_; }
    // Drops the closed lines (see CLayoutContext::DropClosedLines).
    void DropClosedLines();
    // Once the closed lines are dropped: the earliest element the layout still refers to (the
    // first on the open line, else the last laid out); elements before it may go. Null before
    // anything is laid out.
    const html::CHTMLElement* FirstElementInUse() const;
    // Size of the laid-out document including its margins.
    int DocumentWidth() const;
    int DocumentHeight() const;
    std::optional<int> ScrollTargetY() const;

    // Questions about the elements behind the boxes.
    std::string LinkUrl(const html::CHTMLElement* anchor) const;
    bool IsVisited(const html::CHTMLElement* anchor) const;
    bool IsMap(const html::CHTMLElement* image) const;
    ImageInfo ImageOf(const html::CHTMLElement* image) const;
    // Where images come from; without it every image shows its loading placeholder.
    std::function<ImageInfo(const html::CHTMLElement* image)> images;
    // Document colours over the user's when the user allows it.
    ColorScheme Colors(const ColorScheme& user, bool useDocumentColors) const;
    // The font a control's window shows its text in: the body font, fixed pitch inside PRE.
    const SurfaceFont& ControlFont(const html::CHTMLControl& control) const;

  private:
    // Also lays out the contents of table cells, each in a context of its own.
    void LayoutElement(CLayoutContext& context, const html::CHTMLElement& element);
    void LayoutText(CLayoutContext& context, const html::CHTMLText& text, std::size_t from);

    CFontTable& fonts_;
    CTableLayout tables_;
    const html::CHTML* document_ = nullptr;
    DisplayList display_;
    std::unique_ptr<CLayoutContext> context_;
    const html::CHTMLElement* last_ = nullptr;  // the last element laid out
    // How much of the last element's text was laid out: later pieces of text may join it.
    std::size_t lastTextSize_ = 0;
    int layoutWidth_ = 0;
    bool finished_ = false;
};

}  // namespace corvane::render
