#pragma once
// The browser window: Qt started on the display, the main frame with its view, the first page the
// command line asks for, and Qt's event loop until the window closes.

#include <string>

#include "shell/command_line.h"

namespace corvane::shell {

// Answers the program's exit status.
int RunWindow(const CommandLine& commandLine, const std::string& profile, int& argc, char** argv);

}  // namespace corvane::shell
