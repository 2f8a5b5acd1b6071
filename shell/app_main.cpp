#include "shell/app_main.h"

#include <cstdio>

namespace corvane::shell {

int AppMain(int, char**) {
    std::printf("Corvane %s\n", CORVANE_VERSION);
    return 0;
}

}  // namespace corvane::shell
