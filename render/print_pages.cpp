#include "render/print_pages.h"

#include <algorithm>
#include <cstdint>

#include "render/html_view.h"
#include "render/offset_surface.h"

namespace corvane::render {
namespace {

constexpr Color kFrameColor = kBlack;

int Scale(int value, int multiplier, int divisor) {
    return divisor > 0 ? static_cast<int>(static_cast<std::int64_t>(value) * multiplier / divisor)
                       : 0;
}

// The lowest point anything was placed at: the last line, a float, the line still open.
int ContentBottom(const DisplayList& list) {
    int bottom = list.lines.empty() ? 0 : list.lines.back().bottom;
    for (std::uint32_t index : list.floats)
        bottom = std::max(bottom, list.boxes[index].rect.bottom);
    const std::uint32_t open = list.lines.empty() ? 0 : list.lines.back().endBox;
    for (std::size_t i = open; i < list.boxes.size(); ++i)
        bottom = std::max(bottom, list.boxes[i].rect.bottom);
    return bottom;
}

}  // namespace

PrintGeometry ComputePrintGeometry(const PrinterPage& printer, int screenDpi, int layoutWidth) {
    PrintGeometry geometry;
    geometry.inch = screenDpi;
    const int printableHeight = std::max(1, printer.height - printer.dpiY);
    geometry.pageHeight = std::max(1, Scale(screenDpi, printableHeight, printer.dpiY));
    geometry.pageWidth = std::max(1, Scale(screenDpi, printer.width, printer.dpiX));
    if (layoutWidth > geometry.pageWidth) {
        geometry.pageHeight = Scale(geometry.pageHeight, layoutWidth, geometry.pageWidth);
        geometry.inch = Scale(screenDpi, layoutWidth, geometry.pageWidth);
        geometry.pageWidth = layoutWidth;
    }
    return geometry;
}

PrintGeometry ComputeImagePrintGeometry(const PrinterPage& printer, int screenDpi,
                                        const Rect& image) {
    const PrintGeometry paper = ComputePrintGeometry(printer, screenDpi, 0);
    PrintGeometry geometry;
    geometry.pageHeight = std::max(1, image.bottom);
    geometry.pageWidth = std::max(1, Scale(paper.pageWidth, geometry.pageHeight, paper.pageHeight));
    if (image.right > geometry.pageWidth) {
        geometry.pageWidth = image.right;
        geometry.pageHeight = std::max(1, Scale(paper.pageHeight, image.right, paper.pageWidth));
    }
    geometry.inch = std::max(1, Scale(screenDpi, geometry.pageHeight, paper.pageHeight));
    return geometry;
}

std::vector<int> PageStarts(const DisplayList& list, int pageHeight) {
    std::vector<int> starts{0};
    pageHeight = std::max(1, pageHeight);
    const int documentHeight = ContentBottom(list);
    while (starts.back() + pageHeight < documentHeight) {
        const int start = starts.back();
        int next = start + pageHeight;
        // A line cut by the page's end begins the next page instead.
        const auto line = std::partition_point(list.lines.begin(), list.lines.end(),
                                               [&](const LineBox& l) { return l.bottom <= next; });
        if (line != list.lines.end() && line->top < next && line->top > start) next = line->top;
        starts.push_back(next);
    }
    return starts;
}

std::string PrintDate(const std::tm& date) {
    return std::to_string(date.tm_mon + 1) + "/" + std::to_string(date.tm_mday) + "/" +
           std::to_string(date.tm_year + 1900);
}

Rect PageSlice(const PrintGeometry& geometry, const std::vector<int>& pageStarts, int page) {
    const auto index = static_cast<std::size_t>(page - 1);
    const int top = pageStarts[index];
    const int bottom =
        index + 1 < pageStarts.size() ? pageStarts[index + 1] : top + geometry.pageHeight;
    return Rect{0, top, geometry.pageWidth, bottom};
}

void PrintPage(DrawingSurface& surface, CHTMLView& view, const PrintGeometry& geometry,
               const std::vector<int>& pageStarts, int page, const PageFrame& frame) {
    if (page < 1 || static_cast<std::size_t>(page) > pageStarts.size()) return;
    const Rect slice = PageSlice(geometry, pageStarts, page);
    const int sliceTop = slice.top;
    surface.SetClip(Rect{0, 0, geometry.pageWidth, geometry.PaperHeight()});
    // Header and footer: Courier New, 14 units high (11 points at 96 units an inch), the same
    // size on paper when the page's inch is scaled (a wide layout, a single image).
    const int points = std::max(1, (11 * geometry.inch + 48) / 96);
    const std::unique_ptr<SurfaceFont> font = surface.CreateFont(FontSpec{"Courier New", points});
    if (font) {
        const auto drawRight = [&](int y, std::string_view text) {
            surface.DrawText(*font, geometry.pageWidth - font->TextWidth(text), y, text,
                             kFrameColor);
        };
        surface.DrawText(*font, 0, 0, frame.title, kFrameColor);
        drawRight(0, frame.url);
        const std::string number =
            "Page " + std::to_string(page) + " of " + std::to_string(pageStarts.size());
        surface.DrawText(*font, 0, geometry.FooterTop(), number, kFrameColor);
        drawRight(geometry.FooterTop(), frame.date);
    }
    COffsetSurface body(surface, 0, geometry.BodyTop() - sliceTop);
    view.Paint(body, slice);
}

}  // namespace corvane::render
