#pragma once
// The history hand-over file: a window's Back/Forward list given to the new process that "New
// Window" starts. One "key=URL text" line per entry, oldest first, in a file made by the
// temporary-name service in the temporary directory. Both fields are escaped
// (store/field_escapes.h): an address holding "=" (a query) would otherwise be split wrongly.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_services.h"

namespace corvane::core {
class CHTRequest;
}

namespace corvane::store {

inline constexpr std::string_view kHistoryHandOverPrefix = "CVH";

// One entry: the request's key (its canonical URL) and its URL text.
using HistoryEntry = std::pair<std::string, std::string>;

// Writes the list into a new hand-over file in `directory`; its path, or nullopt when it could
// not be made or written (nothing is left behind then).
std::optional<std::string> WriteHistoryFile(
    const std::vector<core::CHTRequest*>& history,
    const std::string& directory = platform::TempDirectory());

// Reads a hand-over file; lines without "=" are skipped. A file that cannot be read gives no
// entries. Files above 4 MB, and entries past the 10,000th, are not read: no window holds that
// many.
std::vector<HistoryEntry> ReadHistoryFile(const std::string& path);

// True only for a hand-over file of ours: a regular file (not a link) owned by this user, directly
// in `temporaryDirectory`, named with the hand-over prefix, hexadecimal digits and ".tmp" in any
// case. Only such a file is deleted after reading, so a user's own "x.tmp" is never removed.
bool IsHistoryHandOverFile(const std::string& path,
                           const std::string& temporaryDirectory = platform::TempDirectory());

// Reads the hand-over file and deletes it when it is one of ours.
std::vector<HistoryEntry> TakeHistoryFile(
    const std::string& path, const std::string& temporaryDirectory = platform::TempDirectory());

}  // namespace corvane::store
