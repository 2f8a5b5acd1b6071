#include "store/visited_list.h"

#include <algorithm>
#include <charconv>

#include "platform/file_services.h"
#include "platform/whole_file.h"
#include "store/field_escapes.h"
#include "store/store_lines.h"

namespace corvane::store {

void LoadVisited(core::CHTHostServices& host, const std::string& path) {
    // A guess at the count of lines from the file's size, so that the table's index is not grown
    // again and again while it fills (address lines are mostly longer; a file of shorter ones
    // costs one growth more). Saving reads the file into a table that mostly holds it already.
    constexpr std::uint64_t kTypicalLine = 64;
    if (const auto info = platform::GetFileInfo(path)) {
        const auto lines = static_cast<std::size_t>(info->size / kTypicalLine);
        if (lines > host.Entries().size()) host.ReserveEntries(lines - host.Entries().size());
    }
    ForEachStoreLine(path, [&](std::string_view line) {
        // The time never holds "=", an address may ("?a=b").
        const auto equals = line.rfind('=');
        if (equals == std::string_view::npos || equals == 0) return;
        const std::string_view number = line.substr(equals + 1);
        std::int64_t time = 0;
        const auto [end, error] =
            std::from_chars(number.data(), number.data() + number.size(), time);
        if (error != std::errc() || time <= 0) return;
        const std::string_view key = line.substr(0, equals);
        core::CHTRequestEntry& entry = key.find('\\') == std::string_view::npos
                                           ? host.Entry(key)
                                           : host.Entry(UnescapeField(key));
        entry.visitTime = std::max(entry.visitTime, time);
    });
}

bool SaveVisited(core::CHTHostServices& host, const std::string& path,
                 std::optional<int> daysValid) {
    LoadVisited(host, path);
    const std::int64_t cutoff =
        daysValid ? host.Now() - static_cast<std::int64_t>(*daysValid) * 86400 : 0;
    std::string text;
    for (const core::CHTRequestEntry& entry : host.Entries()) {
        if (entry.visitTime <= 0 || (daysValid && entry.visitTime <= cutoff)) continue;
        text += EscapeField(entry.key, "");
        text += '=';
        text += std::to_string(entry.visitTime);
        text += '\n';
    }
    return !platform::WriteFileAtomically(path, text);
}

}  // namespace corvane::store
