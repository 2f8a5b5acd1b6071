#include "store/store_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace corvane::store {
namespace {

// Small enough to come from the heap, where every file read reuses it: a larger buffer is mapped
// afresh for each file, a page fault per 4 KB.
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kSmallestChunk = 4096;

class LineSplitter {
  public:
    LineSplitter(const std::function<void(std::string_view)>& onLine, std::size_t maxLine)
        : onLine_(onLine), maxLine_(maxLine) {}

    void Feed(std::string_view data) {
        while (!data.empty()) {
            const void* found = std::memchr(data.data(), '\n', data.size());
            const std::size_t end =
                found != nullptr
                    ? static_cast<std::size_t>(static_cast<const char*>(found) - data.data())
                    : data.size();
            if (found != nullptr && pending_.empty() && !skipping_) {
                // A whole line inside the data: no copy.
                Deliver(data.substr(0, end));
            } else {
                Append(data.substr(0, end));
                if (found == nullptr) return;
                EndLine();
            }
            data.remove_prefix(end + 1);
        }
    }

    // The file ended: a last line without a line end still counts.
    void Finish() {
        if (!pending_.empty() || skipping_) EndLine();
    }

  private:
    void Append(std::string_view piece) {
        if (skipping_) return;
        if (pending_.size() + piece.size() > maxLine_ + 1) {  // + 1 for a CR before the LF
            skipping_ = true;
            pending_.clear();
            return;
        }
        pending_.append(piece);
    }

    void EndLine() {
        if (!skipping_) Deliver(pending_);
        skipping_ = false;
        pending_.clear();
    }

    void Deliver(std::string_view line) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() <= maxLine_) onLine_(line);
    }

    const std::function<void(std::string_view)>& onLine_;
    const std::size_t maxLine_;
    std::string pending_;
    bool skipping_ = false;
};

}  // namespace

bool ForEachStoreLine(const std::string& path,
                      const std::function<void(std::string_view line)>& onLine,
                      std::size_t maxLine) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return false;
    }
    LineSplitter splitter(onLine, maxLine);
    // Sized to the file (a small store is read in one go without touching 64 KB of pages) and
    // left uninitialised: read fills it. One byte more lets the first read see the end.
    const std::size_t size = std::clamp(
        static_cast<std::size_t>(std::max<off_t>(status.st_size, 0)) + 1, kSmallestChunk, kChunk);
    const auto chunk = std::make_unique_for_overwrite<char[]>(size);
    for (;;) {
        const ssize_t got = read(fd, chunk.get(), size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        splitter.Feed(std::string_view(chunk.get(), static_cast<std::size_t>(got)));
    }
    close(fd);
    splitter.Finish();
    return true;
}

}  // namespace corvane::store
