#pragma once
// Qt and everything built on it live in a module loaded only by the modes that draw: the window
// and --screenshot. The text modes then start without loading Qt and its libraries, which would
// cost more than a small page's whole load.

#include <string>

#include "shell/command_line.h"

namespace corvane::shell {

struct WindowModeStart {
    const CommandLine* commandLine;
    const std::string* profileDirectory;
    int* argc;
    char** argv;
};

// Loads the module and runs the mode the command line asks for; answers the exit status, or 1
// with a message on stderr when the module cannot be loaded.
int RunInWindowModule(const WindowModeStart& start);

}  // namespace corvane::shell

// The module's entry point, found by name.
extern "C" int corvane_window_module_main(const corvane::shell::WindowModeStart* start);
