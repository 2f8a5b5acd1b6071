#pragma once
// The command-line modes without a window: load one address the way the window does (the same
// load lifecycle, protocols, convertors, layout and drawing with real fonts on the offscreen
// platform), then write its source, its text or a picture of it and exit.

#include <string>

#include "shell/command_line.h"

namespace corvane::shell {

// Exit status: 0 when the load ends with a document, 1 when it fails (the message box text is on
// stderr). Needs a QApplication.
int RunHeadless(const CommandLine& commandLine, const std::string& profileDirectory);

}  // namespace corvane::shell
