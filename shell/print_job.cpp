#include "shell/print_job.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>
#include <ctime>

#include "shell/page_image.h"
#include "shell/qt_drawing_surface.h"

namespace corvane::shell {
namespace {

// Screen units: the view lays out at 96 pixels an inch.
constexpr int kScreenDpi = 96;

render::PrintGeometry GeometryFor(const QPaintDevice& device, const render::CHTMLView& view) {
    const render::DisplayList& list = view.Layout().Display();
    if (list.boxes.size() == 1 && list.boxes.front().kind == render::BoxKind::kImage) {
        return render::ComputeImagePrintGeometry(PrinterPageOf(device), kScreenDpi,
                                                 list.boxes.front().rect);
    }
    return render::ComputePrintGeometry(PrinterPageOf(device), kScreenDpi,
                                        view.Layout().DocumentWidth());
}

}  // namespace

render::PrinterPage PrinterPageOf(const QPaintDevice& device) {
    return render::PrinterPage{device.width(), device.height(), device.logicalDpiX(),
                               device.logicalDpiY()};
}

int CountPages(const QPaintDevice& device, const render::CHTMLView& view) {
    const render::PrintGeometry geometry = GeometryFor(device, view);
    return static_cast<int>(
        render::PageStarts(view.Layout().Display(), geometry.pageHeight).size());
}

render::PageFrame FrameForNow(std::string title, std::string url) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return render::PageFrame{std::move(title), std::move(url), render::PrintDate(local)};
}

void OfferPages(QPrintDialog& dialog, QPrinter& printer, int pageCount) {
    dialog.setMinMax(1, pageCount);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    printer.setFromTo(1, std::min(pageCount, render::kPreselectedPages));
    dialog.setPrintRange(QAbstractPrintDialog::PageRange);
}

std::pair<int, int> ChosenPages(const QPrinter& printer, int pageCount) {
    if (printer.printRange() != QPrinter::PageRange || printer.fromPage() < 1)
        return {1, pageCount};
    return {printer.fromPage(), std::min(pageCount, printer.toPage())};
}

int PrintDocument(QPagedPaintDevice& device, render::CHTMLView& view,
                  const render::PageFrame& frame, int firstPage, int lastPage) {
    const render::PrintGeometry geometry = GeometryFor(device, view);
    const std::vector<int> starts =
        render::PageStarts(view.Layout().Display(), geometry.pageHeight);
    firstPage = std::max(1, firstPage);
    lastPage = std::min(lastPage, static_cast<int>(starts.size()));
    if (firstPage > lastPage) return 0;
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    // Anisotropic: the page in screen units fills the printable area.
    const double scaleX = static_cast<double>(device.width()) / geometry.pageWidth;
    const double scaleY = static_cast<double>(device.height()) / geometry.PaperHeight();
    QtDrawingSurface surface(kScreenDpi, QtDrawingSurface::Target::kPrinter);
    surface.SetPainter(&painter);
    int printed = 0;
    for (int page = firstPage; page <= lastPage; ++page) {
        if (page > firstPage && !device.newPage()) break;
        painter.save();
        painter.scale(scaleX, scaleY);
        render::PrintPage(surface, view, geometry, starts, page, frame);
        const render::Rect slice = render::PageSlice(geometry, starts, page);
        painter.translate(0, geometry.BodyTop() - slice.top);
        painter.setClipRect(QRect(0, slice.top, slice.Width(), slice.Height()));
        PaintControls(view, painter, slice);
        painter.restore();
        ++printed;
    }
    surface.SetPainter(nullptr);
    return painter.end() ? printed : 0;
}

}  // namespace corvane::shell
