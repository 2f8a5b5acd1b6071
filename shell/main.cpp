#include "shell/app_main.h"

int main(int argc, char** argv) {
    return corvane::shell::AppMain(argc, argv);
}
