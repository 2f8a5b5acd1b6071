#pragma once
// What the command line asks for at start-up once the shell has taken its options ("-h" with a
// handed-over history file among them): an address or a local file to open.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::config {

enum class StartTarget {
    kNothing,    // nothing to load (the handed-over history, if any, is shown as it stands)
    kHomePage,   // an empty command line with "Autoload Home Page" on
    kLocalFile,  // `target` is a local path: open it through CommandLineFileUrl
    kAddress,    // `target` is an address: load it with the remember flag
};

struct StartupCommand {
    StartTarget kind = StartTarget::kNothing;
    std::string target;
};

// What the words left after the options ask for; they are joined with spaces into one target.
// A target that names an existing file or directory (relative to `currentDirectory`, or under
// `home` with "~/") is a local file, as with every Linux program; so is one that looks like a
// path (IsLocalPathText). Anything else is an address.
StartupCommand ParseCommandLine(std::span<const std::string> words, bool autoloadHomePage,
                                std::string_view home, std::string_view currentDirectory);

// A text names a local file when its second character is ":", when it holds "\", or when it
// begins with "/", "./", "../" or "~/".
bool IsLocalPathText(std::string_view text);

// The absolute path of a local path given on the command line: "~/" is the home directory, and
// a path that is not absolute is taken from `currentDirectory`. A path with a drive letter or a
// backslash stays as it is.
std::string CommandLinePath(std::string_view path, std::string_view home,
                            std::string_view currentDirectory);

// The file: URL of CommandLinePath.
std::string CommandLineFileUrl(std::string_view path, std::string_view home,
                               std::string_view currentDirectory);

}  // namespace corvane::config
