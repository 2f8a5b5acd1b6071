#include "store/visited_list.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "platform/file_services.h"
#include "platform/whole_file.h"
#include "store/field_escapes.h"
#include "store/store_lines.h"

namespace corvane::store {
namespace {

// Visits read from the file go into the table a few at a time (CHTHostServices::EntryBatch);
// the keys wait here, copied, because a read line lasts only until the next one.
class VisitBatch {
  public:
    explicit VisitBatch(core::CHTHostServices& host) : host_(host) { text_.reserve(kTextRoom); }

    void Add(std::string_view key, std::int64_t time) {
        if (count_ == kBatch || text_.size() + key.size() > kTextRoom) Flush();
        if (key.size() > kTextRoom) {
            Visit(host_.Entry(key), time);
            return;
        }
        // Within the reserved room the text never moves, so the views stay valid.
        keys_[count_] = std::string_view(text_.data() + text_.size(), key.size());
        text_.append(key);
        times_[count_++] = time;
    }

    void Flush() {
        host_.EntryBatch({keys_.data(), count_}, {entries_.data(), count_});
        for (std::size_t i = 0; i < count_; ++i) Visit(*entries_[i], times_[i]);
        count_ = 0;
        text_.clear();
    }

  private:
    static constexpr std::size_t kBatch = 32;
    static constexpr std::size_t kTextRoom = kBatch * 128;

    static void Visit(core::CHTRequestEntry& entry, std::int64_t time) {
        entry.visitTime = std::max(entry.visitTime, time);
    }

    core::CHTHostServices& host_;
    std::string text_;
    std::array<std::string_view, kBatch> keys_;
    std::array<std::int64_t, kBatch> times_{};
    std::array<core::CHTRequestEntry*, kBatch> entries_{};
    std::size_t count_ = 0;
};

}  // namespace

void LoadVisited(core::CHTHostServices& host, const std::string& path) {
    // A guess at the count of lines from the file's size, so that the table's index is not grown
    // again and again while it fills (address lines are mostly longer; a file of shorter ones
    // costs one growth more). Saving reads the file into a table that mostly holds it already.
    constexpr std::uint64_t kTypicalLine = 64;
    if (const auto info = platform::GetFileInfo(path)) {
        const auto lines = static_cast<std::size_t>(info->size / kTypicalLine);
        if (lines > host.Entries().size()) host.ReserveEntries(lines - host.Entries().size());
    }
    VisitBatch batch(host);
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
        if (key.find('\\') == std::string_view::npos)
            batch.Add(key, time);
        else
            batch.Add(UnescapeField(key), time);
    });
    batch.Flush();
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
