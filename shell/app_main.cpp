#include "shell/app_main.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/profile_directory.h"
#include "platform/whole_file.h"
#include "shell/command_line.h"
#include "shell/headless_runner.h"
#include "shell/window_module.h"

namespace corvane::shell {
namespace {

// Exit codes: 0 done, 1 the run failed, 2 the command line was wrong.
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Qt is told to draw off screen before it starts; the window modes need a real display.
bool HasDisplay() {
    if (std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr) return true;
    // A platform chosen by hand that needs no display server (offscreen, vnc, eglfs...).
    const std::string_view platform =
        std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
    return !platform.empty() && !platform.starts_with("xcb") && !platform.starts_with("wayland");
}

int Run(const CommandLine& commandLine, int& argc, char** argv) {
    std::string error;
    auto sources = platform::ProfileDirectorySourcesFromEnvironment(commandLine.profileDirectory);
    std::optional<std::string> profile = platform::OpenProfileDirectory(sources, error);
    if (!profile) {
        std::fprintf(stderr, "corvane: %s\n", error.c_str());
        return kExitFailure;
    }
    platform::RemoveLeftoverTemporaries(*profile);
    WindowModeStart start{&commandLine, &*profile, &argc, argv};
    switch (commandLine.headless) {
        case CommandLine::Headless::kDumpSource:
        case CommandLine::Headless::kDumpText:
            return RunHeadlessText(commandLine, *profile);
        case CommandLine::Headless::kScreenshot:
        case CommandLine::Headless::kPrintPdf:
            return RunInWindowModule(start);
        case CommandLine::Headless::kNone:
            break;
    }
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "corvane: there is no display to open a window on.\n"
                     "Without one, use --dump-text, --dump-source or --screenshot FILE.png "
                     "(see corvane --help).\n");
        return kExitFailure;
    }
    return RunInWindowModule(start);
}

}  // namespace

int AppMain(int argc, char** argv) {
    // A file-size limit must fail the write that meets it, which is then reported, instead of
    // killing the program in the middle of it.
    std::signal(SIGXFSZ, SIG_IGN);
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
    return Run(*parse.commandLine, argc, argv);
}

}  // namespace corvane::shell
