#include "render/document_painter.h"

#include <algorithm>
#include <cmath>

namespace corvane::render {
namespace {

constexpr int kIconSide = 32;
// The placeholder's ALT text starts this far into its frame, after the icon and a gap.
constexpr int kAltTextOffset = kIconSide + kImageAltGap;
// Runs longer than this are drawn only where they meet the clip.
constexpr std::size_t kLongRun = 1024;
// As wide as the margin layout leaves beside a control.
constexpr int kSelectedControlFrame = 2;

}  // namespace

Color CDocumentPainter::TextColor(const html::CHTMLElement* anchor) const {
    if (!anchor) return colors_.text;
    if (queries_.isVisited && queries_.isVisited(anchor)) return colors_.visitedLink;
    if (anchor == queries_.pressedAnchor) return colors_.activeLink;
    return colors_.link;
}

void CDocumentPainter::PaintBackground(const Rect& area) {
    const SurfaceBitmap* image = queries_.backgroundImage;
    if (!image || image->width <= 0 || image->height <= 0) {
        surface_.FillRect(area, surface_.IsPrinting() ? kWhite : colors_.background);
        return;
    }
    // Copies at multiples of the image size, each cut to the area by the clip.
    const auto floorTo = [](int value, int step) {
        return value >= 0 ? value / step * step : -((-value + step - 1) / step) * step;
    };
    for (int y = floorTo(area.top, image->height); y < area.bottom; y += image->height) {
        for (int x = floorTo(area.left, image->width); x < area.right; x += image->width) {
            surface_.DrawBitmap(*image, Rect{x, y, x + image->width, y + image->height});
        }
    }
}

void CDocumentPainter::PaintBoxes(const DisplayList& list, const Rect& area) {
    // Frames first: cell rules lie just outside their boxes, under nothing.
    for (std::uint32_t index : list.frames) {
        const LayoutBox& box = list.boxes[index];
        const Rect& r = box.rect;
        if (Rect{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1}.Intersects(area)) PaintBox(box);
    }
    for (std::uint32_t index : list.floats) {
        if (list.boxes[index].rect.Intersects(area)) PaintBox(list.boxes[index]);
    }
    // The first line reaching into the area; lines only go down the page.
    auto line = std::partition_point(list.lines.begin(), list.lines.end(),
                                     [&](const LineBox& l) { return l.bottom <= area.top; });
    for (; line != list.lines.end() && line->top < area.bottom; ++line) {
        for (std::uint32_t i = line->firstBox; i < line->endBox; ++i) {
            const LayoutBox& box = list.boxes[i];
            if (!IsFloat(box) && !IsFrame(box) && box.rect.Intersects(area)) PaintBox(box);
        }
    }
    // Boxes of the line still being built (a document that is still arriving).
    const std::uint32_t open = list.lines.empty() ? 0 : list.lines.back().endBox;
    for (std::uint32_t i = open; i < list.boxes.size(); ++i) {
        const LayoutBox& box = list.boxes[i];
        if (!IsFloat(box) && !IsFrame(box) && box.rect.Intersects(area)) PaintBox(box);
    }
}

void CDocumentPainter::PaintBox(const LayoutBox& box) {
    switch (box.kind) {
        case BoxKind::kText:
            PaintText(box);
            break;
        case BoxKind::kNumber:
            surface_.DrawText(*box.font, box.rect.left, box.rect.top, box.text, colors_.text);
            PaintSelectedPart(box);
            break;
        case BoxKind::kBullet:
            PaintBullet(box);
            break;
        case BoxKind::kRule:
            PaintRule(box);
            break;
        case BoxKind::kImage:
            PaintImage(box);
            break;
        case BoxKind::kTableFrame:
            PaintTableFrame(box);
            break;
        case BoxKind::kCellFrame:
            PaintCellFrame(box);
            break;
        case BoxKind::kControl:
            PaintSelectedControl(box);  // the control's own window draws the rest
            break;
    }
}

void CDocumentPainter::PaintEdges(const Rect& r, Color topLeft, Color bottomRight) {
    surface_.DrawLine(r.left, r.top, r.right, r.top, topLeft);
    surface_.DrawLine(r.left, r.top, r.left, r.bottom, topLeft);
    surface_.DrawLine(r.left, r.bottom - 1, r.right, r.bottom - 1, bottomRight);
    surface_.DrawLine(r.right - 1, r.top, r.right - 1, r.bottom, bottomRight);
}

// Nested one-pixel rectangles from the outside in, lit from the top left: the frame stands out.
void CDocumentPainter::PaintTableFrame(const LayoutBox& box) {
    const int width = box.spaceX;
    Rect r = box.rect;
    for (int i = 0; i < width && !r.IsEmpty(); ++i) {
        if (i == 0 && width > 1) {
            PaintEdges(r, MakeColor(192, 192, 192), kBlack);
        } else {
            PaintEdges(r, kWhite, MakeColor(128, 128, 128));
        }
        r = Rect{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
}

// A rectangle just outside the cell's box, shaded the other way: the cell looks sunken.
void CDocumentPainter::PaintCellFrame(const LayoutBox& box) {
    const Rect& r = box.rect;
    PaintEdges(Rect{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1}, MakeColor(128, 128, 128),
               kWhite);
}

void CDocumentPainter::PaintText(const LayoutBox& box) {
    const Color color = TextColor(box.anchor);
    const Rect& r = box.rect;
    DrawVisibleText(*box.font, r.left, r.top, box.text, color);
    if ((box.style & kStyleUnderline) || (box.anchor && colors_.underlineLinks)) {
        surface_.DrawLine(r.left, r.bottom - 3, r.right, r.bottom - 3, color);
        if (IsHeavy(box.style))
            surface_.DrawLine(r.left, r.bottom - 2, r.right, r.bottom - 2, color);
    }
    PaintSelectedPart(box);
}

void CDocumentPainter::PaintSelectedPart(const LayoutBox& box) {
    if (!queries_.selectedPart || surface_.IsPrinting() || box.font == nullptr) return;
    const TextRange part = queries_.selectedPart(box);
    if (part.IsEmpty()) return;
    const std::string_view selected = box.text.substr(part.first, part.last - part.first);
    const double left = box.rect.left + box.font->TextAdvance(box.text.substr(0, part.first));
    const double right = left + box.font->TextAdvance(selected);
    const int x = static_cast<int>(std::lround(left));
    surface_.FillRect(Rect{x, box.rect.top, static_cast<int>(std::lround(right)), box.rect.bottom},
                      colors_.selectionBackground);
    DrawVisibleText(*box.font, x, box.rect.top, selected, colors_.selectionText);
}

void CDocumentPainter::PaintSelectedControl(const LayoutBox& box) {
    if (!queries_.selectedPart || surface_.IsPrinting() || queries_.selectedPart(box).IsEmpty())
        return;
    // The control's window covers its box: the highlight shows as a frame in its margin.
    const Rect& r = box.rect;
    surface_.FillRect(Rect{r.left - kSelectedControlFrame, r.top - kSelectedControlFrame,
                           r.right + kSelectedControlFrame, r.bottom + kSelectedControlFrame},
                      colors_.selectionBackground);
}

void CDocumentPainter::DrawVisibleText(const SurfaceFont& font, int x, int y, std::string_view text,
                                       Color color) {
    if (text.size() <= kLongRun) {
        surface_.DrawText(font, x, y, text, color);
        return;
    }
    // A word of megabytes is measured up to the clip, a block at a time, and only what meets
    // the clip (with a font height to spare for overhanging glyphs) is drawn.
    const Rect clip = surface_.Clip();
    const double from = clip.left - font.Metrics().height;
    const double to = clip.right + font.Metrics().height;
    const auto advance = [&](std::size_t start, std::size_t count) {
        return font.TextAdvance(text.substr(start, count));
    };
    double left = x;
    std::size_t first = 0;
    for (std::size_t step : {kLongRun, std::size_t{1}}) {
        while (text.size() - first >= step && left + advance(first, step) < from) {
            left += advance(first, step);
            first += step;
        }
    }
    double right = left;
    std::size_t last = first;
    while (last < text.size() && right < to) {
        const std::size_t step = std::min(kLongRun, text.size() - last);
        right += advance(last, step);
        last += step;
    }
    surface_.DrawText(font, static_cast<int>(std::lround(left)), y,
                      text.substr(first, last - first), color);
}

void CDocumentPainter::PaintBullet(const LayoutBox& box) {
    switch (box.variant) {
        case 1:
            surface_.FillEllipse(box.rect, colors_.text);
            break;
        case 2:
            surface_.DrawRect(box.rect, colors_.text);
            break;
        default:
            surface_.FillRect(box.rect, colors_.text);
            break;
    }
}

void CDocumentPainter::PaintRule(const LayoutBox& box) {
    const Rect& r = box.rect;
    if (r.IsEmpty()) return;
    surface_.DrawLine(r.left, r.top, r.right, r.top, kBlack);
    if (box.variant == 0 || r.Height() <= 1) return;
    const int inset = r.Height() > 2 ? 1 : 0;
    surface_.DrawLine(r.left, r.top, r.left, r.bottom, kBlack);
    surface_.DrawLine(r.left + inset, r.bottom - 1, r.right, r.bottom - 1, kWhite);
    surface_.DrawLine(r.right - 1, r.top + inset, r.right - 1, r.bottom, kWhite);
}

void CDocumentPainter::PaintImage(const LayoutBox& box) {
    const ImageInfo info = queries_.imageInfo ? queries_.imageInfo(box.element) : ImageInfo{};
    Rect inner = box.rect;
    inner.left += box.spaceX;
    inner.right -= box.spaceX;
    inner.top += box.spaceY;
    inner.bottom -= box.spaceY;
    const Color color = TextColor(box.anchor);
    const bool decoded = info.state == ImageState::kDecoded;

    if (info.border > 0 || (!decoded && !box.text.empty())) {
        const int frames = std::max(1, info.border);
        for (int i = 0; i < frames && !inner.IsEmpty(); ++i) {
            surface_.DrawRect(inner, color);
            inner = Rect{inner.left + 1, inner.top + 1, inner.right - 1, inner.bottom - 1};
        }
    }
    if (inner.IsEmpty()) return;
    if (decoded) {
        // Only the rows ready so far, at their share of the box.
        Rect rows = inner;
        if (info.naturalHeight > info.bitmap.height && info.naturalHeight > 0)
            rows.bottom = rows.top + static_cast<int>(static_cast<std::int64_t>(inner.Height()) *
                                                      info.bitmap.height / info.naturalHeight);
        surface_.DrawBitmap(info.bitmap, rows);
        return;
    }
    PaintIcon(Rect{inner.left, inner.top, inner.left + kIconSide, inner.top + kIconSide},
              info.state == ImageState::kFailed);
    if (box.text.empty()) return;
    const int x = inner.left + kAltTextOffset;
    const int y = inner.top + std::max(0, (kIconSide - defaultFont_.Metrics().height) / 2);
    surface_.DrawText(defaultFont_, x, y, box.text, color);
    if (box.anchor && colors_.underlineLinks) {
        const int bottom = y + defaultFont_.Metrics().height;
        surface_.DrawLine(x, bottom - 3, x + defaultFont_.TextWidth(box.text), bottom - 3, color);
    }
}

// A small framed picture of a hill under the sun; the broken one is crossed out in red.
void CDocumentPainter::PaintIcon(const Rect& square, bool broken) {
    const Rect frame{square.left + 4, square.top + 6, square.right - 4, square.bottom - 6};
    surface_.FillRect(frame, MakeColor(192, 192, 192));
    surface_.DrawRect(frame, MakeColor(96, 96, 96));
    surface_.FillEllipse(Rect{frame.left + 3, frame.top + 3, frame.left + 9, frame.top + 9},
                         MakeColor(255, 204, 0));
    for (int i = 0; i < 8; ++i) {
        surface_.DrawLine(frame.left + 6 + i, frame.bottom - 2 - i, frame.right - 6 - i,
                          frame.bottom - 2 - i, MakeColor(0, 128, 0));
    }
    if (!broken) return;
    const Color red = MakeColor(204, 0, 0);
    surface_.DrawLine(frame.left, frame.top, frame.right, frame.bottom, red);
    surface_.DrawLine(frame.right - 1, frame.top, frame.left - 1, frame.bottom, red);
}

}  // namespace corvane::render
