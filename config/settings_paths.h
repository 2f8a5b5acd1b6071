#pragma once
// Where the settings point on disk: names inside the profile directory, the directories that are
// made on first use, and the start page shipped beside the executable.

#include <string>
#include <string_view>

#include "config/settings_keys.h"
#include "platform/file_services.h"

namespace corvane::config {

class CSettingsSection;

// The profile directory joined with the key's default name.
std::string ProfilePath(std::string_view profileDirectory, const ProfileKey& key);

// Makes the directory (and its missing parents, mode 0700) when it does not exist; answers it, or
// `fallback` (the system's temporary directory) when it cannot be had as a directory.
std::string ResolveDirectory(const std::string& directory, const std::string& fallback);

// "Cache Dir" and "Mail Directory", read and resolved when first used. The mail directory loses
// a trailing "/" (the cache directory keeps the form it was given).
std::string CacheDirectory(const CSettingsSection& cache, std::string_view profileDirectory,
                           const std::string& temporaryDirectory = platform::TempDirectory());
std::string MailDirectory(const CSettingsSection& mailAndNews, std::string_view profileDirectory,
                          const std::string& temporaryDirectory = platform::TempDirectory());

// The directory holding the running executable (from /proc/self/exe), with a trailing "/";
// empty when it cannot be found.
std::string ExecutableDirectory();

// The start page's file name beside the executable.
inline constexpr std::string_view kStartPageName = "start.html";

// The file: URL of the start page in `directory`, the default home page; empty when the file is
// not there (the program then starts with an empty window).
std::string StartPageUrl(std::string_view directory);

}  // namespace corvane::config
