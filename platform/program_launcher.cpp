#include "platform/program_launcher.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace corvane::platform {
namespace {

int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

// True when the child has ended and is now reaped (or was reaped by someone else).
bool TryReap(pid_t pid) {
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(pid, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    return result == pid || (result < 0 && errno == ECHILD);
}

// The child starts with default signal handling and nothing blocked, whatever this process set up
// for itself (an ignored SIGPIPE, for one, would otherwise be inherited).
class SpawnAttributes {
  public:
    SpawnAttributes() {
        ::posix_spawnattr_init(&attributes_);
        sigset_t all, none;
        sigfillset(&all);
        sigemptyset(&none);
        ::posix_spawnattr_setsigdefault(&attributes_, &all);
        ::posix_spawnattr_setsigmask(&attributes_, &none);
        ::posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* get() const { return &attributes_; }

  private:
    posix_spawnattr_t attributes_;
};

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool IsExecutableCommand(std::string_view commandLine) {
    const std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty() || words.front().empty()) return false;
    const std::string& program = words.front();
    if (program.find('/') != std::string::npos) return IsExecutableFile(program);
    const char* path = std::getenv("PATH");
    std::string_view directories = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = directories.find(':');
        const std::string_view directory = directories.substr(0, colon);
        // An empty entry would mean the current directory, which a configured command must not
        // depend on.
        if (!directory.empty() && IsExecutableFile(std::string(directory) + "/" + program))
            return true;
        if (colon == std::string_view::npos) return false;
        directories.remove_prefix(colon + 1);
    }
}

ProgramLauncher::ProgramLauncher(EventLoop& loop, ExitWatch exitWatch)
    : loop_(loop), exitWatch_(exitWatch) {}

ProgramLauncher::~ProgramLauncher() {
    ReapEnded();
    for (std::size_t i = children_.size(); i-- > 0;) Forget(i);
    if (polling_) loop_.StopTimer(pollTimer_);
}

bool ProgramLauncher::Start(std::string_view commandLine) {
    return Start(SplitCommandLine(commandLine));
}

bool ProgramLauncher::Start(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments[0].empty()) {
        errno = ENOENT;
        return false;
    }
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    static const SpawnAttributes attributes;
    pid_t pid = 0;
    int error = ::posix_spawnp(&pid, argv[0], nullptr, attributes.get(), argv.data(), environ);
    if (error != 0) {
        errno = error;
        return false;
    }
    WatchExit(pid);
    return true;
}

void ProgramLauncher::WatchExit(pid_t pid) {
    int pidFd = exitWatch_ == ExitWatch::kPidFd ? OpenPidFd(pid) : -1;
    if (pidFd < 0) {
        children_.push_back({pid, -1, 0});
        if (!polling_) {
            pollTimer_ = loop_.StartTimer(kPollingIntervalMs, true, [this] { ReapEnded(); });
            polling_ = true;
        }
        return;
    }
    // A pidfd turns readable when its process ends.
    WatchId watch =
        loop_.WatchFd(pidFd, kIoRead, [this, pid](int, unsigned) { OnChildReady(pid); });
    children_.push_back({pid, pidFd, watch});
}

void ProgramLauncher::OnChildReady(pid_t pid) {
    for (std::size_t i = 0; i < children_.size(); ++i) {
        if (children_[i].pid == pid && TryReap(pid)) {
            Forget(i);
            return;
        }
    }
}

void ProgramLauncher::ReapEnded() {
    for (std::size_t i = children_.size(); i-- > 0;) {
        if (TryReap(children_[i].pid)) Forget(i);
    }
    if (polling_ && std::none_of(children_.begin(), children_.end(),
                                 [](const Child& child) { return child.pidFd < 0; })) {
        loop_.StopTimer(pollTimer_);
        polling_ = false;
    }
}

void ProgramLauncher::Forget(std::size_t index) {
    Child child = children_[index];
    children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(index));
    if (child.pidFd >= 0) {
        loop_.UnwatchFd(child.watch);
        ::close(child.pidFd);
    }
}

}  // namespace corvane::platform
