#include "config/settings_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "config/settings_section.h"
#include "core/address.h"

namespace corvane::config {
namespace {

bool IsDirectory(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    return IsDirectory(path);
}

std::string JoinProfile(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (!path.empty() && path.back() != '/') path.push_back('/');
    path += name;
    return path;
}

}  // namespace

std::string ProfilePath(std::string_view profileDirectory, const ProfileKey& key) {
    return JoinProfile(profileDirectory, key.nameInProfile);
}

std::string ResolveDirectory(const std::string& directory, const std::string& fallback) {
    if (IsDirectory(directory) || MakeDirectories(directory)) return directory;
    return fallback;
}

std::string CacheDirectory(const CSettingsSection& cache, std::string_view profileDirectory,
                           const std::string& temporaryDirectory) {
    const std::string configured =
        cache.GetString(keys::kCacheDir.key, ProfilePath(profileDirectory, keys::kCacheDir));
    return ResolveDirectory(configured, temporaryDirectory);
}

std::string MailDirectory(const CSettingsSection& mailAndNews, std::string_view profileDirectory,
                          const std::string& temporaryDirectory) {
    std::string directory =
        ResolveDirectory(mailAndNews.GetString(keys::kMailDirectory.key,
                                               ProfilePath(profileDirectory, keys::kMailDirectory)),
                         temporaryDirectory);
    if (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    return directory;
}

std::string ExecutableDirectory() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    std::string path(buffer, static_cast<std::size_t>(length));
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    path.resize(slash + 1);
    return path;
}

std::string FileUrlForPath(std::string_view path) {
    // The URL-path conversion puts the root's "/" in front itself.
    while (!path.empty() && path.front() == '/') path.remove_prefix(1);
    return core::LocalFileUrl(path);
}

std::string StartPageUrl(std::string_view directory) {
    const std::string path = JoinProfile(directory, kStartPageName);
    struct stat status {};
    if (directory.empty() || stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return {};
    }
    return FileUrlForPath(path);
}

}  // namespace corvane::config
