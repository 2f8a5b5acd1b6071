#pragma once
// The program's command line, parsed without any toolkit so that it is tested like any other unit.
//
//   corvane [--profile DIR] [-h HISTORYFILE] [ADDRESS | PATH]
//   corvane [--profile DIR] --dump-source ADDRESS
//   corvane [--profile DIR] --dump-text [--width PX] ADDRESS
//   corvane [--profile DIR] --screenshot FILE.png [--width PX] [--height PX] ADDRESS
//   corvane [--profile DIR] --print-pdf FILE.pdf [--width PX] ADDRESS
//   corvane --help | --version
//
// "-h" hands over the Back/Forward list of the window that started this one. "--" ends the
// options, so an address or path that starts with "-" can follow it.

#include <optional>
#include <string>
#include <vector>

namespace corvane::shell {

struct CommandLine {
    enum class Action { kRun, kHelp, kVersion };
    // The modes without a window: load the address, write what was asked, exit.
    enum class Headless { kNone, kDumpSource, kDumpText, kScreenshot, kPrintPdf };
    Action action = Action::kRun;
    Headless headless = Headless::kNone;
    std::optional<std::string> outputFile;  // the picture or the PDF
    std::optional<int> width;               // pixels, 1 to 32767
    std::optional<int> height;
    std::optional<std::string> profileDirectory;
    std::optional<std::string> historyFile;
    std::optional<std::string> target;  // an address, or the path of a local file
};

struct CommandLineParse {
    std::optional<CommandLine> commandLine;  // nullopt on an error
    std::string error;                       // what was wrong, for "corvane: " + error
};

// arguments excludes the program name. "--help" and "--version" take effect where they stand:
// what follows them is not examined.
CommandLineParse ParseCommandLine(const std::vector<std::string>& arguments);

// The text printed by --help and by a run without arguments.
std::string UsageText();

}  // namespace corvane::shell
