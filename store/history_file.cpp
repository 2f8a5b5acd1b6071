#include "store/history_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "core/ht_host_services.h"
#include "core/request.h"
#include "platform/ascii.h"
#include "platform/whole_file.h"
#include "store/field_escapes.h"
#include "store/store_lines.h"

namespace corvane::store {
namespace {

constexpr std::size_t kMaxHandOverBytes = 4u << 20;
constexpr std::size_t kMaxHandOverEntries = 10000;

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string RealDirectory(const std::string& path) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) return {};
    return resolved;
}

}  // namespace

std::optional<std::string> WriteHistoryFile(const std::vector<core::CHTRequest*>& history,
                                            const std::string& directory) {
    std::string text;
    for (const core::CHTRequest* request : history) {
        const std::string& key =
            request->key != nullptr ? request->key->key : request->canonicalUrl;
        text += EscapeField(key, "=");
        text += '=';
        text += EscapeField(request->canonicalUrl, "");
        text += '\n';
    }
    std::optional<std::string> path = platform::CreateTempFile(directory, kHistoryHandOverPrefix);
    if (!path) return std::nullopt;
    if (platform::WriteFileAtomically(*path, text)) {
        platform::DeleteFile(*path);
        return std::nullopt;
    }
    return path;
}

std::vector<HistoryEntry> ReadHistoryFile(const std::string& path) {
    std::vector<HistoryEntry> entries;
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 ||
        static_cast<std::size_t>(status.st_size) > kMaxHandOverBytes)
        return entries;
    ForEachStoreLine(path, [&](std::string_view line) {
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || entries.size() >= kMaxHandOverEntries) return;
        entries.emplace_back(UnescapeField(line.substr(0, equals)),
                             UnescapeField(line.substr(equals + 1)));
    });
    return entries;
}

bool IsHistoryHandOverFile(const std::string& path, const std::string& temporaryDirectory) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return false;
    const std::string_view name = std::string_view(path).substr(slash + 1);
    if (!name.starts_with(kHistoryHandOverPrefix) || name.size() < 4 ||
        !EqualsIgnoreCase(name.substr(name.size() - 4), ".tmp"))
        return false;
    const std::string_view digits =
        name.substr(kHistoryHandOverPrefix.size(), name.size() - kHistoryHandOverPrefix.size() - 4);
    if (digits.empty() || digits.size() > 4) return false;
    for (const char c : digits) {
        if (!IsHexDigit(c)) return false;
    }
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != geteuid()) {
        return false;
    }
    const std::string directory = RealDirectory(path.substr(0, slash + (slash == 0 ? 1 : 0)));
    return !directory.empty() && directory == RealDirectory(temporaryDirectory);
}

std::vector<HistoryEntry> TakeHistoryFile(const std::string& path,
                                          const std::string& temporaryDirectory) {
    std::vector<HistoryEntry> entries = ReadHistoryFile(path);
    if (IsHistoryHandOverFile(path, temporaryDirectory)) unlink(path.c_str());
    return entries;
}

}  // namespace corvane::store
