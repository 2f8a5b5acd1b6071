#pragma once
// The visited list "ovalon.url": one "canonical URL=seconds since 1970" line per address ever
// shown. In memory it is the request table's visit times (core::CHTRequestEntry::visitTime);
// marking a document visited is core::CHTRequest::MarkSeen. Saving drops addresses older than
// the age limit, so they are forgotten at the next start.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/ht_host_services.h"

namespace corvane::store {

inline constexpr std::string_view kVisitedFileName = "ovalon.url";

// Adds the file's visits to the table; an address already there keeps the later of the two
// times. Lines without "=" or without a positive time are skipped; a missing file adds nothing.
void LoadVisited(core::CHTHostServices& host, const std::string& path);

// Rewrites the file with every address whose visit time is set and, with `daysValid`, later
// than now minus that many days. Visits that another window saved meanwhile are merged in first.
// False when the file could not be written (it is then left as it was).
bool SaveVisited(core::CHTHostServices& host, const std::string& path,
                 std::optional<int> daysValid);

inline bool IsVisited(const core::CHTRequestEntry& entry) {
    return entry.visitTime != 0;
}

}  // namespace corvane::store
