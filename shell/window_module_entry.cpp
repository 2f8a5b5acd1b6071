#include "shell/screenshot.h"
#include "shell/window_main.h"
#include "shell/window_module.h"

extern "C" __attribute__((visibility("default"))) int corvane_window_module_main(
    const corvane::shell::WindowModeStart* start) {
    using corvane::shell::CommandLine;
    if (start->commandLine->headless == CommandLine::Headless::kScreenshot ||
        start->commandLine->headless == CommandLine::Headless::kPrintPdf) {
        return corvane::shell::RunScreenshot(*start->commandLine, *start->profileDirectory,
                                             *start->argc, start->argv);
    }
    return corvane::shell::RunWindow(*start->commandLine, *start->profileDirectory, *start->argc,
                                     start->argv);
}
