#include "platform/directory_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_services.h"

namespace corvane::platform {

DirectoryLock::DirectoryLock(int directoryFd) : fd_(directoryFd) {
    while (fd_ >= 0 && flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
}

DirectoryLock::DirectoryLock(const std::string& directory)
    : DirectoryLock(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    ownsFd_ = true;
}

DirectoryLock::~DirectoryLock() {
    if (fd_ < 0) return;
    flock(fd_, LOCK_UN);
    if (ownsFd_) close(fd_);
}

bool LockFileBeingWritten(int fd) {
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
}

void DeleteUnlockedFiles(const std::string& directory, std::string_view pattern,
                         const std::function<bool(const std::string& name)>& keep) {
    auto listing = ListDirectory(directory, pattern);
    if (!listing) return;
    for (const auto& entry : *listing) {
        if (entry.info.isDirectory || (keep && keep(entry.name))) continue;
        const std::string path = JoinPath(directory, entry.name);
        const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat status {};
        if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == geteuid() &&
            flock(fd, LOCK_EX | LOCK_NB) == 0)
            DeleteFile(path);
        close(fd);
    }
}

}  // namespace corvane::platform
