#pragma once
// Printing the view's document as it is laid out on the screen: the layout is cut into page
// slices in screen units, and each page shows a header line (title left, address right), the
// slice, and a footer line ("Page n of m" left, the date right). The printer side scales screen
// units to its own; everything here is in screen units.
//
// Pages break at the top of a line that would be cut, so no line of text is printed in halves,
// and the slice is as wide as the layout when the layout is wider than the paper, so nothing is
// cut off at the right: the page then shows the layout smaller, keeping its proportions.

#include <ctime>
#include <string>
#include <vector>

#include "render/drawing_surface.h"
#include "render/layout_box.h"

namespace corvane::render {

class CHTMLView;

// The printer's printable area in its own pixels and resolution.
struct PrinterPage {
    int width = 0;
    int height = 0;
    int dpiX = 0;
    int dpiY = 0;
};

struct PrintGeometry {
    int inch = 96;       // screen units printed as an inch: the screen's DPI unless scaled down
    int pageWidth = 0;   // the slice width, screen units
    int pageHeight = 0;  // the slice height, screen units
    // The whole page in screen units: half an inch above the slice for the header, half an inch
    // below it for the footer.
    int PaperHeight() const { return pageHeight + inch; }
    int BodyTop() const { return inch / 2; }
    int FooterTop() const { return pageHeight + inch / 2 + 2; }
};

// Printable height is the printer's height less an inch for the header and footer.
PrintGeometry ComputePrintGeometry(const PrinterPage& printer, int screenDpi, int layoutWidth);

// A page showing a single image prints it whole on one page: the slice is as high as the image
// reaches (its box's bottom), or, for an image wider than the page at that scale, as wide as it
// reaches, the height following from the paper's proportions.
PrintGeometry ComputeImagePrintGeometry(const PrinterPage& printer, int screenDpi,
                                        const Rect& image);

// The document y where each page's slice begins; at least one page, and no page that would hold
// only the margin below the last line.
std::vector<int> PageStarts(const DisplayList& list, int pageHeight);

// The page count the print dialog starts with, pages 1 to this preselected.
inline constexpr int kPreselectedPages = 40;

struct PageFrame {
    std::string title;
    std::string url;
    std::string date;  // "month/day/year"
};

// "12/7/2026" for 7 December 2026.
std::string PrintDate(const std::tm& date);

// The document area page `page` (1-based, within pageStarts) shows: from its start to the next
// page's start, the last page a whole page high.
Rect PageSlice(const PrintGeometry& geometry, const std::vector<int>& pageStarts, int page);

// Draws page `page` (1-based) of `pageStarts` onto a surface whose origin is the page's top-left
// corner, in screen units.
void PrintPage(DrawingSurface& surface, CHTMLView& view, const PrintGeometry& geometry,
               const std::vector<int>& pageStarts, int page, const PageFrame& frame);

}  // namespace corvane::render
