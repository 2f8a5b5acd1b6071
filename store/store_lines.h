#pragma once
// Reading the program's line-oriented stores ("ovalon.url", "ovalon.rlm", the cache index and the
// history hand-over file). Lines are read whole, never cut: an address cut at a fixed width would
// name a different document. A line longer than the sanity cap is skipped as a whole, so a
// corrupt or hostile file costs time in proportion to its size and memory only up to the cap.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace corvane::store {

// Far above any real address, realm or history entry.
inline constexpr std::size_t kMaxStoreLine = 64 * 1024;

// Calls onLine for every line of the regular file at path, without its line end (LF, CR LF).
// A last line without a line end is read too; an empty line is passed as one. Answers false
// when the file is missing or is not a regular file (nothing is read).
bool ForEachStoreLine(const std::string& path,
                      const std::function<void(std::string_view line)>& onLine,
                      std::size_t maxLine = kMaxStoreLine);

}  // namespace corvane::store
