#pragma once
// The profile directory: where the settings, visited list, realm store, bookmark file, cache and
// mail directory live. It is the --profile option when given, else $CORVANE_HOME, else
// $XDG_DATA_HOME/corvane, else ~/.local/share/corvane; the first start creates it.

#include <optional>
#include <string>

namespace corvane::platform {

// Where the directory can come from, strongest first. Empty texts count as not given.
struct ProfileDirectorySources {
    std::optional<std::string> option;       // --profile DIR
    std::optional<std::string> corvaneHome;  // $CORVANE_HOME
    std::optional<std::string> xdgDataHome;  // $XDG_DATA_HOME; used only when absolute
    std::optional<std::string> home;         // $HOME, or the account's home directory
};

// The environment's values, with the given --profile option.
ProfileDirectorySources ProfileDirectorySourcesFromEnvironment(std::optional<std::string> option);

// An absolute, normalised path without a trailing "/" (relative texts are taken from the current
// directory). nullopt when no source gives one.
std::optional<std::string> ResolveProfileDirectory(const ProfileDirectorySources& sources);

// Resolves the directory and creates it (with missing parents, mode 0700) when it does not exist.
// On failure, error says why in a sentence fit for the user.
std::optional<std::string> OpenProfileDirectory(const ProfileDirectorySources& sources,
                                                std::string& error);

}  // namespace corvane::platform
