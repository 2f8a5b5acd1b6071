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
StartupCommand ParseCommandLine(std::span<const std::string> words, bool autoloadHomePage);

// A text names a local file when its second character is ":", when it holds "\", or when it
// begins with "/", "./", "../" or "~/".
bool IsLocalPathText(std::string_view text);

// The file: URL of a local path given on the command line: "~/" is the home directory, "./" and
// "../" are taken from `currentDirectory`.
std::string CommandLineFileUrl(std::string_view path, std::string_view home,
                               std::string_view currentDirectory);

}  // namespace corvane::config
