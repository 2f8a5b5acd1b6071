#pragma once
// "New Window": another corvane process takes over this window's Back/Forward list. The stores
// are saved first so the new process reads this one's visits and logins; the list goes into a
// hand-over file in the temporary directory, and the program is started through the launcher
// (never a shell) with "--profile", the profile directory, "-h", the file and the address.

#include <string>
#include <vector>

namespace corvane::core {
class CHTRequest;
}

namespace corvane::shell {

class CApplication;

// The running executable (from /proc/self/exe); empty when it cannot be found.
std::string RunningExecutable();

// False when the hand-over file could not be written or the program not started; the file is
// then removed again.
bool StartNewWindow(CApplication& application, const std::vector<core::CHTRequest*>& history,
                    const std::string& address, const std::string& program = RunningExecutable());

}  // namespace corvane::shell
