#include "store/cache_copy_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "core/protocol.h"
#include "core/request.h"
#include "platform/directory_lock.h"
#include "platform/file_services.h"
#include "store/disk_cache.h"

namespace corvane::store {
namespace {

constexpr std::size_t kWriteChunk = 64 * 1024;

}  // namespace

std::unique_ptr<CacheCopyWriter> CacheCopyWriter::Create(CDiskCache& cache,
                                                         core::CHTRequest& request) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::optional<std::string> path = platform::CreateTempFile(cache.Directory(), kCopyPrefix);
        if (!path) return nullptr;
        const int fd = open(path->c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0 || !platform::LockFileBeingWritten(fd)) {
            if (fd >= 0) close(fd);
            continue;  // another window's start-up took it for a leftover meanwhile
        }
        // The final name must be free too: a copy of that name may still be indexed.
        std::string copy = *path;
        copy.replace(copy.size() - 4, 4, ".cvc");
        if (platform::GetFileInfo(copy)) {
            close(fd);
            platform::DeleteFile(*path);
            continue;
        }
        return std::unique_ptr<CacheCopyWriter>(
            new CacheCopyWriter(cache, request, std::move(*path), fd));
    }
    return nullptr;
}

CacheCopyWriter::CacheCopyWriter(CDiskCache& cache, core::CHTRequest& request, std::string path,
                                 int fd)
    : cache_(cache), request_(request), path_(std::move(path)), fd_(fd) {
    if (request.protocol != nullptr) contentType_ = request.protocol->contentType;
    pending_.reserve(kWriteChunk);
}

CacheCopyWriter::~CacheCopyWriter() {
    Discard();
}

void CacheCopyWriter::Discard() {
    if (fd_ < 0) return;
    close(fd_);
    fd_ = -1;
    platform::DeleteFile(path_);
}

bool CacheCopyWriter::WritePending() {
    std::size_t done = 0;
    while (done < pending_.size()) {
        const ssize_t wrote = write(fd_, pending_.data() + done, pending_.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    pending_.clear();
    return true;
}

void CacheCopyWriter::Put(const void* data, std::size_t length) {
    if (fd_ < 0 || failed_) return;
    const char* bytes = static_cast<const char*>(data);
    pending_.insert(pending_.end(), bytes, bytes + length);
    bytes_ += length;
    if (pending_.size() >= kWriteChunk && !WritePending()) failed_ = true;
}

void CacheCopyWriter::End(int status) {
    if (fd_ < 0) return;
    const bool whole = status >= 0 && !failed_ && WritePending() &&
                       (request_.announcedLength < 0 ||
                        bytes_ == static_cast<std::uint64_t>(request_.announcedLength));
    if (!whole) {
        Discard();
        return;
    }
    // The lock goes with the descriptor; the rename follows at once in this thread.
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    if (!closed) {
        platform::DeleteFile(path_);
        return;
    }
    cache_.Commit(request_, path_, bytes_, contentType_);
}

}  // namespace corvane::store
