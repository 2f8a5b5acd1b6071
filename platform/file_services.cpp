#include "platform/file_services.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <random>

#include "platform/ascii.h"

namespace corvane::platform {
namespace {

constexpr unsigned kTempNumbers = 0xFFFF;
constexpr std::size_t kTempPrefixLength = 3;

FileInfo InfoFromStat(const struct stat& status) {
    return {S_ISDIR(status.st_mode), static_cast<std::uint64_t>(status.st_size),
            static_cast<std::int64_t>(status.st_mtim.tv_sec)};
}

bool IsDirectory(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Iterative wildcard match with one back-track point: linear in practice, never exponential.
bool MatchesPattern(std::string_view name, std::string_view pattern) {
    if (pattern == "*.*") return true;
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || AsciiLowerChar(pattern[p]) == AsciiLowerChar(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

std::string TempDirectory() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    if (fromEnvironment != nullptr && *fromEnvironment != '\0' && IsDirectory(fromEnvironment)) {
        std::string directory = fromEnvironment;
        while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
        return directory;
    }
    return "/tmp";
}

std::string JoinPath(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

std::string CurrentDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
}

std::optional<std::string> CreateTempFile(std::string_view directory, std::string_view prefix) {
    prefix = prefix.substr(0, std::min(prefix.size(), kTempPrefixLength));
    if (prefix.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos) {
        errno = EINVAL;
        return std::nullopt;
    }
    // Start at a random number so that names from earlier runs (or other processes) are seldom
    // met; then walk through all of them, as the exclusive create decides which one is free.
    static std::minstd_rand generator(static_cast<unsigned>(std::time(nullptr)) ^
                                      static_cast<unsigned>(::getpid()));
    unsigned start = generator() % kTempNumbers;
    for (unsigned attempt = 0; attempt < kTempNumbers; ++attempt) {
        unsigned number = (start + attempt) % kTempNumbers + 1;
        char digits[8];
        std::snprintf(digits, sizeof digits, "%X", number);
        std::string path = JoinPath(directory, std::string(prefix) + digits + ".tmp");
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) return std::nullopt;
    }
    errno = EEXIST;
    return std::nullopt;
}

std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory,
                                                         std::string_view pattern) {
    DIR* stream = ::opendir(directory.c_str());
    if (stream == nullptr) return std::nullopt;
    std::vector<DirectoryEntry> entries;
    while (const dirent* item = ::readdir(stream)) {
        std::string_view name = item->d_name;
        if (name == "." || name == ".." || !MatchesPattern(name, pattern)) continue;
        struct stat status {};
        // An entry deleted between readdir and stat is simply no longer there.
        if (::fstatat(::dirfd(stream), item->d_name, &status, 0) != 0) continue;
        entries.push_back({std::string(name), InfoFromStat(status)});
    }
    ::closedir(stream);
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    return entries;
}

std::optional<std::vector<std::string>> ListFileNames(const std::string& directory,
                                                      std::string_view pattern) {
    DIR* stream = ::opendir(directory.c_str());
    if (stream == nullptr) return std::nullopt;
    std::vector<std::string> names;
    while (const dirent* item = ::readdir(stream)) {
        std::string_view name = item->d_name;
        if (name == "." || name == ".." || !MatchesPattern(name, pattern)) continue;
        bool isDirectory = item->d_type == DT_DIR;
        // Some file systems do not say the type in the listing.
        struct stat status {};
        if (item->d_type == DT_UNKNOWN) {
            if (::fstatat(::dirfd(stream), item->d_name, &status, 0) != 0) continue;
            isDirectory = S_ISDIR(status.st_mode);
        }
        if (!isDirectory) names.emplace_back(name);
    }
    ::closedir(stream);
    return names;
}

std::optional<FileInfo> GetFileInfo(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return InfoFromStat(status);
}

FileVersion GetFileVersion(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return {};
    return {true, status.st_dev, status.st_ino, status.st_size,
            static_cast<long long>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

bool SetModificationTime(const std::string& path, std::int64_t secondsSinceEpoch) {
    struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(secondsSinceEpoch), 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool MoveFile(const std::string& from, const std::string& to, ExistingTarget existing) {
    if (existing == ExistingTarget::kReplace) return ::rename(from.c_str(), to.c_str()) == 0;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
    // File systems without RENAME_NOREPLACE: a hard link fails on an existing target just as
    // atomically; it only serves files, which is what gets moved.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    return ::unlink(from.c_str()) == 0;
}

bool DeleteFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool CreateDirectories(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        std::string prefix = path.substr(0, end);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (end == std::string::npos) break;
    }
    if (IsDirectory(path)) return true;
    errno = ENOTDIR;
    return false;
}

}  // namespace corvane::platform
