#pragma once
// Files that downloads are written to before a configured application opens them. The name comes
// from the URL, which a hostile server controls, so it is reduced to a plain base name and the
// file is created exclusively inside a private directory of ours: it can never leave that
// directory, never clobber an existing file and never follow a symbolic link planted there.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::core {

// Longest base name we create; well under every file system's limit, extension included.
inline constexpr std::size_t kMaxDownloadNameLength = 120;

// The file name a download of the given address path gets: the last segment (the query cut off),
// URL escapes decoded, reduced to a safe base name: only what follows the last "/" of the decoded
// text, control characters replaced by "_", leading ".", "-" and blanks dropped, bounded in length
// with the extension kept. Empty when nothing usable remains.
std::string SafeDownloadName(std::string_view addressPath);

// The extension of a safe name (the text after its last "."), empty when there is none or it is
// too long to be one.
std::string_view DownloadNameExtension(std::string_view safeName);

// An open file created exclusively in the download directory; owns the descriptor.
class DownloadFile {
  public:
    DownloadFile() = default;
    DownloadFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    DownloadFile(DownloadFile&& other) noexcept;
    DownloadFile& operator=(DownloadFile&& other) noexcept;
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;
    ~DownloadFile() { Close(); }

    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }
    // Writes all of data; false on a write error.
    [[nodiscard]] bool Write(const void* data, std::size_t length);
    // Closes the descriptor (idempotent); false when the final close reported an error.
    bool Close();

  private:
    int fd_ = -1;
    std::string path_;
};

// A directory of ours (mode 0700, made with a fresh random name) below a parent such as the
// system's temporary directory. Created on first use; the directory is held open so that files
// are created relative to it even if its path is swapped afterwards.
class DownloadDirectory {
  public:
    // parent empty: the system's temporary directory.
    explicit DownloadDirectory(std::string parent = {});
    ~DownloadDirectory();
    DownloadDirectory(const DownloadDirectory&) = delete;
    DownloadDirectory& operator=(const DownloadDirectory&) = delete;

    // Full path of the directory once created, empty before.
    const std::string& Path() const { return path_; }

    // Creates a new file for the given address path: the safe name when it is free, otherwise
    // (or when no safe name remains) a fresh "CVT" name carrying the safe name's extension.
    // nullopt when the directory or the file cannot be created.
    std::optional<DownloadFile> Create(std::string_view addressPath);

  private:
    bool EnsureCreated();
    std::optional<DownloadFile> CreateExclusive(const std::string& name);
    std::optional<DownloadFile> CreateFresh(std::string_view extension);

    std::string parent_;
    std::string path_;
    int dirFd_ = -1;
};

// The process-wide download directory under the system's temporary directory.
DownloadDirectory& SystemDownloadDirectory();

}  // namespace corvane::core
