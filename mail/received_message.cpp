#include "mail/received_message.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/directory_lock.h"
#include "platform/file_services.h"

namespace corvane::mail {
namespace {

// Writes go out in blocks of about this size.
constexpr std::size_t kWriteBlock = 64 * 1024;
// Other final names tried when "CVTnnnn.ML" exists already.
constexpr int kNameAttempts = 0x10000;

std::string WithExtension(const std::string& path, std::string_view extension) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                                 ? path.substr(0, dot)
                                 : path;
    return stem + std::string(extension);
}

std::string AlternativeName(const std::string& path, int number) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string suffix;
    for (int value = number; value > 0; value >>= 4)
        suffix.insert(suffix.begin(), kHex[value & 15]);
    return WithExtension(path, "") + "-" + suffix + ".ML";
}

bool SyncPath(const std::string& directory, bool wholeFileSystem) {
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = (wholeFileSystem ? syncfs(fd) : fsync(fd)) == 0;
    close(fd);
    return synced;
}

}  // namespace

ReceivedMessage::~ReceivedMessage() {
    Discard();
}

bool ReceivedMessage::Open(const std::string& temporaryPath) {
    Discard();
    fd_ = open(temporaryPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW);
    if (fd_ < 0) return false;
    path_ = temporaryPath;
    // Held until the file has its final name, so another process's sweep of leftovers passes it.
    if (!platform::LockFileBeingWritten(fd_)) {
        close(fd_);
        fd_ = -1;
        path_.clear();
        return false;
    }
    failed_ = false;
    return true;
}

bool ReceivedMessage::Flush() {
    std::size_t done = 0;
    while (!failed_ && done < pending_.size()) {
        const ssize_t written = write(fd_, pending_.data() + done, pending_.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0)
            failed_ = true;
        else
            done += static_cast<std::size_t>(written);
    }
    pending_.clear();
    return !failed_;
}

bool ReceivedMessage::Append(std::string_view bytes) {
    if (fd_ < 0 || failed_) return false;
    pending_.append(bytes);
    return pending_.size() < kWriteBlock || Flush();
}

std::optional<std::string> ReceivedMessage::Commit(Durability durability) {
    const bool durable = durability == Durability::kDurable;
    if (fd_ < 0 || !Flush() || (durable && fsync(fd_) != 0)) {
        Discard();
        return std::nullopt;
    }
    std::string target = WithExtension(path_, ".ML");
    for (int attempt = 1; attempt < kNameAttempts; ++attempt) {
        if (platform::MoveFile(path_, target)) break;
        if (errno != EEXIST) {
            Discard();
            return std::nullopt;
        }
        target = AlternativeName(path_, attempt);
    }
    close(fd_);
    fd_ = -1;
    if (platform::GetFileInfo(path_)) {
        Discard();
        return std::nullopt;
    }
    path_.clear();
    // The rename must reach the disk too before the index names the file.
    const std::size_t slash = target.rfind('/');
    if (durable && !SyncPath(slash == 0 ? "/" : target.substr(0, slash), false)) {
        platform::DeleteFile(target);
        return std::nullopt;
    }
    return target;
}

bool ReceivedMessage::MakeDurable(const std::string& directory) {
    return SyncPath(directory, true);
}

void ReceivedMessage::Discard() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    pending_.clear();
    if (!path_.empty()) platform::DeleteFile(path_);
    path_.clear();
}

}  // namespace corvane::mail
