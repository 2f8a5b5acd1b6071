#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/file_services.h"
#include "shell/window_module.h"

namespace corvane::shell {
namespace {

constexpr const char* kModuleName = "corvane-window.so";

std::string ExecutableDirectory() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return ".";
    const std::string executable(path, static_cast<std::size_t>(length));
    const std::size_t slash = executable.rfind('/');
    return slash == std::string::npos ? "." : executable.substr(0, slash);
}

}  // namespace

int RunInWindowModule(const WindowModeStart& start) {
    // Beside the program in the build tree; in its own library folder once installed.
    const std::string directory = ExecutableDirectory();
    std::string errors;
    for (const std::string& path :
         {platform::JoinPath(directory, kModuleName),
          platform::JoinPath(directory, CORVANE_WINDOW_MODULE_FROM_PROGRAM)}) {
        // Never closed: Qt's objects live until the process ends.
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            errors += errors.empty() ? "" : "; ";
            errors += dlerror();
            continue;
        }
        auto* entry = reinterpret_cast<decltype(&corvane_window_module_main)>(
            dlsym(module, "corvane_window_module_main"));
        if (entry == nullptr) {
            std::fprintf(stderr, "corvane: %s has no entry point\n", path.c_str());
            return 1;
        }
        return entry(&start);
    }
    std::fprintf(stderr, "corvane: cannot load the window module: %s\n", errors.c_str());
    return 1;
}

}  // namespace corvane::shell
