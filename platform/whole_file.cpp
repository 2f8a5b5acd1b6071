#include "platform/whole_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "platform/ascii.h"

namespace corvane::platform {
namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

// Closes a descriptor once, when the owner goes out of scope.
class FdCloser {
  public:
    explicit FdCloser(int fd) : fd_(fd) {}
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
    ~FdCloser() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and answers whether close itself reported a failure (NFS reports late write
    // errors here).
    bool CloseNow() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A rename is only durable once the directory holding the name is on disk too. File systems that
// cannot sync a directory answer EINVAL; the rename has still happened then.
std::error_code SyncDirectory(const std::string& directory) {
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return LastError();
    FdCloser closer(fd);
    if (::fsync(fd) != 0 && errno != EINVAL) return LastError();
    return {};
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

std::error_code WriteTemporaryFile(int fd, const std::string& path, std::string_view content,
                                   NewFileAccess access) {
    struct stat old {};
    if (::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (::fchmod(fd, old.st_mode & 07777) != 0) return LastError();
    } else if (access == NewFileAccess::kUmask) {
        if (::fchmod(fd, 0666 & ~CurrentUmask()) != 0) return LastError();
    }
    if (!WriteAll(fd, content)) return LastError();
    if (::fsync(fd) != 0) return LastError();
    return {};
}

// The temporary file mkostemp makes for NAME: "." NAME "." and six letters or digits.
constexpr std::string_view kTemporarySuffix = ".XXXXXX";

bool IsTemporaryName(std::string_view name) {
    const std::size_t suffix = name.size() - std::min(name.size(), kTemporarySuffix.size());
    if (name.size() < 2 + kTemporarySuffix.size() || name[0] != '.' || name[suffix] != '.')
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(suffix) + 1, name.end(),
                       [](char c) { return IsAsciiAlnum(c); });
}

}  // namespace

std::error_code WriteFileAtomically(const std::string& path, std::string_view content,
                                    NewFileAccess access) {
    std::size_t slash = path.rfind('/');
    std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return std::make_error_code(std::errc::is_a_directory);

    std::string temp =
        (slash == std::string::npos ? "" : directory) + "." + name + std::string(kTemporarySuffix);
    std::vector<char> templateBuffer(temp.begin(), temp.end());
    templateBuffer.push_back('\0');
    FdCloser file(::mkostemp(templateBuffer.data(), O_CLOEXEC));
    if (file.get() < 0) return LastError();
    temp.assign(templateBuffer.data());

    std::error_code error = WriteTemporaryFile(file.get(), path, content, access);
    if (!file.CloseNow() && !error) error = LastError();
    if (!error && ::rename(temp.c_str(), path.c_str()) != 0) error = LastError();
    if (error) {
        ::unlink(temp.c_str());
        return error;
    }
    return SyncDirectory(directory);
}

std::error_code ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& content) {
    content.clear();
    // O_NONBLOCK: a FIFO in the file's place must not hang the program; it is refused below.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return LastError();
    FdCloser closer(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) return LastError();
    if (S_ISDIR(info.st_mode)) return std::make_error_code(std::errc::is_a_directory);
    if (!S_ISREG(info.st_mode)) return std::make_error_code(std::errc::invalid_argument);
    if (info.st_size > 0 && static_cast<std::size_t>(info.st_size) > maxBytes) {
        return std::make_error_code(std::errc::file_too_large);
    }
    // The size is only a hint: the file may grow while it is read, so the limit is checked again.
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        if (got == 0) return {};
        if (content.size() + static_cast<std::size_t>(got) > maxBytes) {
            content.clear();
            return std::make_error_code(std::errc::file_too_large);
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

int RemoveLeftoverTemporaries(const std::string& directory) {
    constexpr time_t kQuietSeconds = 60;
    const std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(directory.c_str()), ::closedir);
    if (!handle) return 0;
    const time_t now = ::time(nullptr);
    int removed = 0;
    while (const dirent* item = ::readdir(handle.get())) {
        if (!IsTemporaryName(item->d_name)) continue;
        const std::string path = directory + "/" + item->d_name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (now - info.st_mtime < kQuietSeconds) continue;
        if (::unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

}  // namespace corvane::platform
