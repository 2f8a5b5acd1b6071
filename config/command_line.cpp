#include "config/command_line.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "config/settings_paths.h"
#include "core/address.h"

namespace corvane::config {
namespace {

constexpr std::size_t kMaxHandOverBytes = 4u << 20;
constexpr std::size_t kMaxHandOverEntries = 10000;

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool EndsWithTmp(std::string_view name) {
    if (name.size() < 4) return false;
    const std::string_view suffix = name.substr(name.size() - 4);
    return suffix[0] == '.' && (suffix[1] | 0x20) == 't' && (suffix[2] | 0x20) == 'm' &&
           (suffix[3] | 0x20) == 'p';
}

std::string RealDirectory(const std::string& path) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) return {};
    return resolved;
}

}  // namespace

StartupCommand ParseCommandLine(std::span<const std::string> words, bool autoloadHomePage,
                                std::string_view home, std::string_view currentDirectory) {
    StartupCommand command;
    std::size_t next = 0;
    while (next < words.size() && Trim(words[next]).empty()) ++next;
    if (next == words.size()) {
        command.kind = autoloadHomePage ? StartTarget::kHomePage : StartTarget::kNothing;
        return command;
    }
    std::string rest;
    for (; next < words.size(); ++next) {
        if (!rest.empty()) rest.push_back(' ');
        rest += words[next];
    }
    command.target = std::string(Trim(rest));
    if (!command.target.empty()) {
        struct stat status {};
        const bool exists =
            stat(CommandLinePath(command.target, home, currentDirectory).c_str(), &status) == 0;
        command.kind = exists || IsLocalPathText(command.target) ? StartTarget::kLocalFile
                                                                 : StartTarget::kAddress;
    }
    return command;
}

bool IsLocalPathText(std::string_view text) {
    return (text.size() > 1 && text[1] == ':') || text.find('\\') != std::string_view::npos ||
           StartsWith(text, "/") || StartsWith(text, "./") || StartsWith(text, "../") ||
           StartsWith(text, "~/");
}

std::string CommandLinePath(std::string_view path, std::string_view home,
                            std::string_view currentDirectory) {
    if (StartsWith(path, "~/")) return std::string(home) + std::string(path.substr(1));
    if (StartsWith(path, "/") || (path.size() > 1 && path[1] == ':') ||
        path.find('\\') != std::string_view::npos) {
        return std::string(path);
    }
    std::string absolute(currentDirectory);
    if (absolute.empty() || absolute.back() != '/') absolute.push_back('/');
    return absolute += path;
}

std::string CommandLineFileUrl(std::string_view path, std::string_view home,
                               std::string_view currentDirectory) {
    return core::LocalFileUrl(CommandLinePath(path, home, currentDirectory));
}

std::vector<HistoryEntry> ReadHistoryHandOver(const std::string& path) {
    std::vector<HistoryEntry> entries;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return entries;
    struct stat status {};
    std::string text;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        text.resize(
            std::min<std::size_t>(static_cast<std::size_t>(status.st_size), kMaxHandOverBytes));
        std::size_t filled = 0;
        while (filled < text.size()) {
            const ssize_t got = read(fd, text.data() + filled, text.size() - filled);
            if (got <= 0) break;
            filled += static_cast<std::size_t>(got);
        }
        text.resize(filled);
    }
    close(fd);

    std::string_view rest = text;
    while (!rest.empty() && entries.size() < kMaxHandOverEntries) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        entries.emplace_back(std::string(line.substr(0, equals)),
                             std::string(line.substr(equals + 1)));
    }
    return entries;
}

bool IsHistoryHandOverFile(const std::string& path, const std::string& temporaryDirectory) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return false;
    const std::string_view name = std::string_view(path).substr(slash + 1);
    if (!StartsWith(name, kHistoryHandOverPrefix) || !EndsWithTmp(name)) return false;
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

std::vector<HistoryEntry> TakeHistoryHandOver(const std::string& path,
                                              const std::string& temporaryDirectory) {
    std::vector<HistoryEntry> entries = ReadHistoryHandOver(path);
    if (IsHistoryHandOverFile(path, temporaryDirectory)) unlink(path.c_str());
    return entries;
}

}  // namespace corvane::config
