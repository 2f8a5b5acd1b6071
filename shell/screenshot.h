#pragma once
// --screenshot and --print-pdf: the headless load drawn with real fonts on Qt's platform that
// needs no display, written as a PNG picture or as the printed pages in a PDF file.

#include <string>

#include "shell/command_line.h"

namespace corvane::shell {

// Exit status as for the other headless modes; a file that cannot be written is 1.
int RunScreenshot(const CommandLine& commandLine, const std::string& profileDirectory, int& argc,
                  char** argv);

}  // namespace corvane::shell
