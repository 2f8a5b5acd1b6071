#include "platform/profile_directory.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/file_services.h"

namespace corvane::platform {
namespace {

std::optional<std::string> Given(const std::optional<std::string>& text) {
    if (text && !text->empty()) return text;
    return std::nullopt;
}

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

std::optional<std::string> AccountHome() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        return std::nullopt;
    }
    return Given(std::string(found->pw_dir));
}

std::string Normalised(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    std::string text = (error ? path : absolute).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

}  // namespace

ProfileDirectorySources ProfileDirectorySourcesFromEnvironment(std::optional<std::string> option) {
    ProfileDirectorySources sources;
    sources.option = std::move(option);
    sources.corvaneHome = Environment("CORVANE_HOME");
    sources.xdgDataHome = Environment("XDG_DATA_HOME");
    sources.home = Given(Environment("HOME"));
    if (!sources.home) sources.home = AccountHome();
    return sources;
}

std::optional<std::string> ResolveProfileDirectory(const ProfileDirectorySources& sources) {
    if (auto option = Given(sources.option)) return Normalised(*option);
    if (auto corvaneHome = Given(sources.corvaneHome)) return Normalised(*corvaneHome);
    // The XDG rules say a relative value is invalid and must be ignored.
    if (auto xdg = Given(sources.xdgDataHome); xdg && xdg->front() == '/') {
        return Normalised(std::filesystem::path(*xdg) / "corvane");
    }
    if (auto home = Given(sources.home)) {
        return Normalised(std::filesystem::path(*home) / ".local/share/corvane");
    }
    return std::nullopt;
}

std::optional<std::string> OpenProfileDirectory(const ProfileDirectorySources& sources,
                                                std::string& error) {
    std::optional<std::string> directory = ResolveProfileDirectory(sources);
    if (!directory) {
        error = "no profile directory: give --profile DIR, or set CORVANE_HOME or HOME";
        return std::nullopt;
    }
    if (!CreateDirectories(*directory)) {
        error = "cannot create the profile directory " + *directory + ": " + std::strerror(errno);
        return std::nullopt;
    }
    return directory;
}

}  // namespace corvane::platform
