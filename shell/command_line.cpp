#include "shell/command_line.h"

#include <string_view>

namespace corvane::shell {
namespace {

constexpr std::string_view kProfileOption = "--profile";

CommandLineParse Failure(std::string error) {
    return {std::nullopt, std::move(error)};
}

constexpr int kMaxPixels = 32767;

std::optional<int> ParsePixels(std::string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > kMaxPixels) return std::nullopt;
    return value;
}

// The rules that involve several options at once.
std::string CheckHeadless(const CommandLine& line) {
    using Headless = CommandLine::Headless;
    if (line.headless == Headless::kNone) {
        if (line.width || line.height)
            return "--width and --height need --dump-text, --screenshot or --print-pdf";
        return {};
    }
    if (line.height && line.headless != Headless::kScreenshot) return "--height needs --screenshot";
    if (line.width && line.headless == Headless::kDumpSource)
        return "--width needs --dump-text, --screenshot or --print-pdf";
    if (line.historyFile)
        return "-h cannot be used with --dump-source, --dump-text, --screenshot or --print-pdf";
    if (!line.target)
        return "--dump-source, --dump-text, --screenshot and --print-pdf need an address";
    return {};
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
        } else if (word == "--dump-source" || word == "--dump-text" || word == "--screenshot" ||
                   word == "--print-pdf") {
            if (result.headless != CommandLine::Headless::kNone)
                return Failure(
                    "only one of --dump-source, --dump-text, --screenshot and --print-pdf can be "
                    "given");
            if (word == "--dump-source") {
                result.headless = CommandLine::Headless::kDumpSource;
            } else if (word == "--dump-text") {
                result.headless = CommandLine::Headless::kDumpText;
            } else {
                if (!hasNext || arguments[i + 1].empty())
                    return Failure("option " + std::string(word) + " needs a file name");
                result.headless = word == "--screenshot" ? CommandLine::Headless::kScreenshot
                                                         : CommandLine::Headless::kPrintPdf;
                result.outputFile = arguments[++i];
            }
        } else if (word == "--width" || word == "--height") {
            const std::optional<int> pixels =
                hasNext ? ParsePixels(arguments[i + 1]) : std::nullopt;
            if (!pixels) {
                return Failure("option " + std::string(word) +
                               " needs a number of pixels from 1 to 32767");
            }
            ++i;
            (word == "--width" ? result.width : result.height) = pixels;
        } else if (word == "-h") {
            if (!hasNext || arguments[i + 1].empty()) {
                return Failure("option -h needs a history file (for help, use --help)");
            }
            result.historyFile = arguments[++i];
        } else {
            return Failure("unknown option " + std::string(word));
        }
    }
    if (std::string error = CheckHeadless(result); !error.empty()) return Failure(std::move(error));
    return {result, ""};
}

std::string UsageText() {
    return "Usage: corvane [--profile DIR] [-h HISTORYFILE] [ADDRESS | PATH]\n"
           "       corvane [--profile DIR] --dump-source ADDRESS\n"
           "       corvane [--profile DIR] --dump-text [--width PX] ADDRESS\n"
           "       corvane [--profile DIR] --screenshot FILE.png [--width PX] [--height PX] "
           "ADDRESS\n"
           "       corvane [--profile DIR] --print-pdf FILE.pdf [--width PX] ADDRESS\n"
           "       corvane --help\n"
           "       corvane --version\n"
           "\n"
           "Opens ADDRESS (a URL) or the local file PATH in a browser window. A word that names "
           "an\n"
           "existing file or directory (relative, absolute or starting with ~/) is opened as a\n"
           "local file; any other word is taken as an address.\n"
           "\n"
           "Options:\n"
           "  --profile DIR    keep settings, cache, history, mail and bookmarks in DIR\n"
           "                   (default: $CORVANE_HOME, else $XDG_DATA_HOME/corvane,\n"
           "                   else ~/.local/share/corvane); created when missing\n"
           "  -h HISTORYFILE   start with the Back/Forward list read from HISTORYFILE\n"
           "                   (New Window hands one over this way); a hand-over file\n"
           "                   that a Corvane window made in the temporary directory\n"
           "                   is deleted after reading, any other file is kept\n"
           "  --dump-source    write the document's bytes as its convertor got them to stdout\n"
           "  --dump-text      write the laid-out document as text to stdout\n"
           "  --screenshot FILE.png\n"
           "                   write a picture of the laid-out document\n"
           "  --print-pdf FILE.pdf\n"
           "                   print every page of the document into a PDF file, with the\n"
           "                   header and footer the printer gets\n"
           "  --width PX       lay out at this width (default 800)\n"
           "  --height PX      picture height (default: the whole document)\n"
           "  --               end of options: what follows is an address or a path\n"
           "  --help           show this help and exit\n"
           "  --version        show the version and exit\n";
}

}  // namespace corvane::shell
