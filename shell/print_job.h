#pragma once
// Prints the view's document onto a paged device: a printer chosen in the print dialog, the
// print preview, or a PDF writer for --print-pdf. All three go through PrintDocument, so what
// the PDF shows is what the printer gets.

#include <QPagedPaintDevice>
#include <climits>
#include <utility>

#include "render/html_view.h"
#include "render/print_pages.h"

class QPrintDialog;
class QPrinter;

namespace corvane::shell {

// The device's printable area and resolution.
render::PrinterPage PrinterPageOf(const QPaintDevice& device);
// How many pages the document takes on the device.
int CountPages(const QPaintDevice& device, const render::CHTMLView& view);
// The header and footer of a document printed now.
render::PageFrame FrameForNow(std::string title, std::string url);
// The print dialog offers every page of the document, with the first 40 chosen.
void OfferPages(QPrintDialog& dialog, QPrinter& printer, int pageCount);
// The pages chosen in the dialog, first and last: the range, or all of them.
std::pair<int, int> ChosenPages(const QPrinter& printer, int pageCount);
// Prints pages first to last (1-based, cut to the page count); the number printed, 0 when the
// device could not be painted on.
int PrintDocument(QPagedPaintDevice& device, render::CHTMLView& view,
                  const render::PageFrame& frame, int firstPage = 1, int lastPage = INT_MAX);

}  // namespace corvane::shell
