#include "html/table.h"

#include "html/document.h"

namespace corvane::html {

CHTMLTable::~CHTMLTable() {
    for (const std::unique_ptr<CHTMLTableCell>& cell : cells)
        CHTML::DestroyElements(cell->sentinel);
}

std::vector<std::uint32_t> CHTMLTable::ReplayOrder() const {
    std::vector<std::uint32_t> order;
    order.reserve(cells.size());
    if (caption && !captionBelow) order.push_back(*caption);
    for (const CHTMLTableRow& row : rows)
        order.insert(order.end(), row.cells.begin(), row.cells.end());
    if (caption && captionBelow) order.push_back(*caption);
    return order;
}

bool CHTMLTable::HasCells() const {
    for (const CHTMLTableRow& row : rows) {
        if (!row.cells.empty()) return true;
    }
    return caption.has_value();
}

}  // namespace corvane::html
