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

namespace corvane::html {
class CHTML;
}

namespace corvane::render {

class CFlowLayout {
  public:
    CFlowLayout(CFontTable& fonts) : fonts_(fonts) {}

    // The document to lay out, or none; drops the current layout.
    void SetDocument(const html::CHTML* document);
    const html::CHTML* Document() const { return document_; }

    // Starts again from the top at the given layout width (the view's client width).
    void Restart(int layoutWidth);
    // Lays out the elements added since the last call. Returns true when anything was placed.
    bool Update();
    // Closes the open line at the end of the data.
    void Finish();

    const DisplayList& Display() const { return display_; }
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

  private:
    void LayoutElement(const html::CHTMLElement& element);

    CFontTable& fonts_;
    const html::CHTML* document_ = nullptr;
    DisplayList display_;
    std::unique_ptr<CLayoutContext> context_;
    const html::CHTMLElement* last_ = nullptr;  // the last element laid out
    int layoutWidth_ = 0;
    bool finished_ = false;
};

}  // namespace corvane::render
