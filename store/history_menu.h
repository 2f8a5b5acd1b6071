#pragma once
// The Go menu's history items: the last ten entries of a window's Back/Forward list, newest
// first, as "&0 URL" to "&9 URL" under the commands 32950 to 32959, the current entry checked,
// and "More..." (32960) when there are ten. Choosing 32950 + n is COvalonDoc::GoToHistoryEntry(n).

#include <string>
#include <vector>

namespace corvane::core {
class CHTRequest;
}

namespace corvane::store {

inline constexpr int kFirstHistoryCommand = 32950;
inline constexpr int kMaxHistoryItems = 10;
inline constexpr int kMoreHistoryCommand = 32960;

struct HistoryMenuItem {
    int command = 0;
    std::string text;
    bool checked = false;
    bool operator==(const HistoryMenuItem&) const = default;
};

std::vector<HistoryMenuItem> BuildHistoryMenu(const std::vector<core::CHTRequest*>& history,
                                              int position);

}  // namespace corvane::store
