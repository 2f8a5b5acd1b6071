#pragma once
// Paints a laid-out document: the background, then every box that meets the clip. Lines are in
// vertical order, so painting starts at the first line below the clip's top and stops at the
// first line past its bottom; floating images are tested on their own.

#include <functional>

#include "render/drawing_surface.h"
#include "render/layout_box.h"
#include "render/text_selection.h"

namespace corvane::render {

// The colours in effect: the user's settings, overridden by the document's BODY colours when
// "Use Document Color" is on.
struct ColorScheme {
    Color text = kBlack;
    Color background = kWhite;
    Color link = MakeColor(0, 0, 255);
    Color visitedLink = MakeColor(128, 0, 128);
    Color activeLink = MakeColor(255, 0, 0);
    bool underlineLinks = true;
    // Selected text: the system's highlight colours, set by the window.
    Color selectionText = kWhite;
    Color selectionBackground = MakeColor(0, 0, 128);
};

// Pixels between a placeholder's icon and its ALT text, and between the text and the frame.
inline constexpr int kImageAltGap = 3;

enum class ImageState { kLoading, kFailed, kDecoded };

// What painting needs to know of an image element.
struct ImageInfo {
    ImageState state = ImageState::kLoading;
    SurfaceBitmap bitmap;  // when decoded: the rows ready so far
    int border = 0;
    // 0 until the image's size is known; layout then reserves it.
    int naturalWidth = 0;
    int naturalHeight = 0;
};

// What painting asks of the document behind the boxes.
struct PaintQueries {
    std::function<bool(const html::CHTMLElement* anchor)> isVisited;
    std::function<ImageInfo(const html::CHTMLElement* image)> imageInfo;
    const html::CHTMLElement* pressedAnchor = nullptr;
    // The selected part of a text or number box; never asked while printing.
    std::function<TextRange(const LayoutBox& box)> selectedPart;
    // Background picture tiled over the area, if any.
    const SurfaceBitmap* backgroundImage = nullptr;
};

class CDocumentPainter {
  public:
    CDocumentPainter(DrawingSurface& surface, const ColorScheme& colors,
                     const PaintQueries& queries, const SurfaceFont& defaultFont)
        : surface_(surface), colors_(colors), queries_(queries), defaultFont_(defaultFont) {}

    // Everything is in document coordinates; the surface's clip is area.
    void PaintBackground(const Rect& area);
    void PaintBoxes(const DisplayList& list, const Rect& area);
    void PaintBox(const LayoutBox& box);

    Color TextColor(const html::CHTMLElement* anchor) const;

  private:
    void PaintText(const LayoutBox& box);
    void DrawVisibleText(const SurfaceFont& font, int x, int y, std::string_view text, Color color);
    // Draws the box's selected characters over its text, on the highlight.
    void PaintSelectedPart(const LayoutBox& box);
    void PaintSelectedControl(const LayoutBox& box);
    void PaintBullet(const LayoutBox& box);
    void PaintRule(const LayoutBox& box);
    void PaintImage(const LayoutBox& box);
    void PaintIcon(const Rect& square, bool broken);
    void PaintEdges(const Rect& rect, Color topLeft, Color bottomRight);
    void PaintTableFrame(const LayoutBox& box);
    void PaintCellFrame(const LayoutBox& box);

    DrawingSurface& surface_;
    const ColorScheme& colors_;
    const PaintQueries& queries_;
    const SurfaceFont& defaultFont_;
};

}  // namespace corvane::render
