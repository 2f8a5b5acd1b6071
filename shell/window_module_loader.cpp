#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "config/settings_paths.h"
#include "platform/file_services.h"
#include "shell/window_module.h"

namespace corvane::shell {
namespace {

constexpr const char* kModuleName = "corvane-window.so";

}  // namespace

int RunInWindowModule(const WindowModeStart& start) {
    // Beside the program in the build tree; in its own library folder once installed.
    std::string directory = config::ExecutableDirectory();
    if (directory.empty()) directory = ".";
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
