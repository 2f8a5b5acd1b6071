#pragma once

namespace corvane::shell {

// The program: reads the command line, then runs the window or a headless mode.
int AppMain(int argc, char** argv);

}  // namespace corvane::shell
