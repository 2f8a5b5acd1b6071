#include "shell/command_line.h"

#include <string_view>

namespace corvane::shell {
namespace {

constexpr std::string_view kProfileOption = "--profile";

CommandLineParse Failure(std::string error) {
    return {std::nullopt, std::move(error)};
}

}  // namespace

CommandLineParse ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view word = arguments[i];
        bool hasNext = i + 1 < arguments.size();
        if (optionsEnded || word.empty() || word.front() != '-') {
            if (result.target) {
                return Failure("only one address or file can be opened, but both \"" +
                               *result.target + "\" and \"" + std::string(word) + "\" were given");
            }
            result.target = std::string(word);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "--help") {
            result.action = CommandLine::Action::kHelp;
            return {result, ""};
        } else if (word == "--version") {
            result.action = CommandLine::Action::kVersion;
            return {result, ""};
        } else if (word == kProfileOption || word.starts_with("--profile=")) {
            std::string directory;
            if (word == kProfileOption) {
                if (!hasNext) return Failure("option --profile needs a directory");
                directory = arguments[++i];
            } else {
                directory = word.substr(kProfileOption.size() + 1);
            }
            if (directory.empty()) return Failure("option --profile needs a directory");
            result.profileDirectory = std::move(directory);
        } else if (word == "-h") {
            if (!hasNext || arguments[i + 1].empty()) {
                return Failure("option -h needs a history file (for help, use --help)");
            }
            result.historyFile = arguments[++i];
        } else {
            return Failure("unknown option " + std::string(word));
        }
    }
    return {result, ""};
}

std::string UsageText() {
    return "Usage: corvane [--profile DIR] [-h HISTORYFILE] [ADDRESS | PATH]\n"
           "       corvane --help\n"
           "       corvane --version\n"
           "\n"
           "Opens ADDRESS (a URL) or the local file PATH in a browser window.\n"
           "\n"
           "Options:\n"
           "  --profile DIR    keep settings, cache, history, mail and bookmarks in DIR\n"
           "                   (default: $CORVANE_HOME, else $XDG_DATA_HOME/corvane,\n"
           "                   else ~/.local/share/corvane); created when missing\n"
           "  -h HISTORYFILE   start with the Back/Forward list read from HISTORYFILE,\n"
           "                   which is deleted afterwards when its name ends in .tmp\n"
           "  --               end of options: what follows is an address or a path\n"
           "  --help           show this help and exit\n"
           "  --version        show the version and exit\n";
}

}  // namespace corvane::shell
