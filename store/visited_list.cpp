#include "store/visited_list.h"

#include <algorithm>
#include <charconv>

#include "platform/whole_file.h"
#include "store/field_escapes.h"
#include "store/store_lines.h"

namespace corvane::store {

void LoadVisited(core::CHTHostServices& host, const std::string& path) {
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
    for (const auto& [key, entry] : host.Entries()) {
        if (entry.visitTime <= 0 || (daysValid && entry.visitTime <= cutoff)) continue;
        text += EscapeField(key, "");
        text += '=';
        text += std::to_string(entry.visitTime);
        text += '\n';
    }
    return !platform::WriteFileAtomically(path, text);
}

}  // namespace corvane::store
