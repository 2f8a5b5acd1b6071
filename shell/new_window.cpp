#include "shell/new_window.h"

#include <limits.h>
#include <unistd.h>

#include "platform/file_services.h"
#include "shell/application.h"
#include "store/history_file.h"

namespace corvane::shell {

std::string RunningExecutable() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

bool StartNewWindow(CApplication& application, const std::vector<core::CHTRequest*>& history,
                    const std::string& address, const std::string& program) {
    if (program.empty()) return false;
    const std::optional<std::string> handOver = store::WriteHistoryFile(history);
    if (!handOver) return false;
    application.SaveStores();
    std::vector<std::string> arguments = {program, "--profile", application.ProfileDirectory(),
                                          "-h", *handOver};
    if (!address.empty()) arguments.push_back(address);
    if (application.Launcher().Start(arguments)) return true;
    platform::DeleteFile(*handOver);
    return false;
}

}  // namespace corvane::shell
