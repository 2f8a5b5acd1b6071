#include "shell/app_main.h"

#include <cstdio>
#include <string>
#include <vector>

#include "platform/profile_directory.h"
#include "shell/command_line.h"

namespace corvane::shell {
namespace {

// Exit codes: 0 done, 1 the run failed, 2 the command line was wrong.
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Run(const CommandLine& commandLine) {
    std::string error;
    auto sources = platform::ProfileDirectorySourcesFromEnvironment(commandLine.profileDirectory);
    std::optional<std::string> profile = platform::OpenProfileDirectory(sources, error);
    if (!profile) {
        std::fprintf(stderr, "corvane: %s\n", error.c_str());
        return kExitFailure;
    }
    // Until the browser window exists, a run can only show where it would keep its files.
    if (commandLine.target || commandLine.historyFile) {
        std::fprintf(
            stderr, "corvane: cannot open %s: the browser window is not built yet\n",
            commandLine.target ? commandLine.target->c_str() : commandLine.historyFile->c_str());
        return kExitFailure;
    }
    std::printf(
        "%s\nProfile directory: %s\n"
        "The browser window is not built yet: this build only prints its usage.\n",
        UsageText().c_str(), profile->c_str());
    return 0;
}

}  // namespace

int AppMain(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    CommandLineParse parse = ParseCommandLine(arguments);
    if (!parse.commandLine) {
        std::fprintf(stderr, "corvane: %s\nTry 'corvane --help' for more information.\n",
                     parse.error.c_str());
        return kExitUsage;
    }
    switch (parse.commandLine->action) {
        case CommandLine::Action::kHelp:
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        case CommandLine::Action::kVersion:
            std::printf("Corvane %s\n", CORVANE_VERSION);
            return 0;
        case CommandLine::Action::kRun:
            break;
    }
    return Run(*parse.commandLine);
}

}  // namespace corvane::shell
