#include "store/history_menu.h"

#include "core/request.h"

namespace corvane::store {

std::vector<HistoryMenuItem> BuildHistoryMenu(const std::vector<core::CHTRequest*>& history,
                                              int position) {
    std::vector<HistoryMenuItem> items;
    for (int i = 0; i < kMaxHistoryItems && i < static_cast<int>(history.size()); ++i) {
        const int index = static_cast<int>(history.size()) - 1 - i;
        items.push_back({kFirstHistoryCommand + i,
                         "&" + std::to_string(i) + " " + history[index]->canonicalUrl,
                         index == position});
    }
    if (static_cast<int>(items.size()) == kMaxHistoryItems)
        items.push_back({kMoreHistoryCommand, "More...", false});
    return items;
}

}  // namespace corvane::store
