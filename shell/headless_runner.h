#pragma once
// The command-line modes without a window: load one address the way the window does (the same
// load lifecycle, protocols, convertors and layout), then write its source, its text, a picture
// of it or its printed pages as a PDF, and exit. Only the picture and the PDF start Qt, drawing
// with real fonts on the offscreen platform; text is laid out in fixed-pitch columns.

#include <string>

#include "shell/command_line.h"

namespace corvane::shell {

// Exit status: 0 when the load ends with a document, 1 when it fails (the message box text is on
// stderr). Makes its own QApplication when it needs one.
int RunHeadless(const CommandLine& commandLine, const std::string& profileDirectory, int& argc,
                char** argv);

}  // namespace corvane::shell
