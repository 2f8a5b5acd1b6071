#pragma once
// --screenshot: the headless load drawn with real fonts on Qt's platform that needs no display,
// written as a PNG file.

#include <string>

#include "shell/command_line.h"

namespace corvane::shell {

// Exit status as for the other headless modes; a picture that cannot be written is 1.
int RunScreenshot(const CommandLine& commandLine, const std::string& profileDirectory, int& argc,
                  char** argv);

}  // namespace corvane::shell
