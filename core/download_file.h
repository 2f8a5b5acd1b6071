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

// A file a download is written into; owns the descriptor. Nothing is final until Commit: a file
// that is destroyed or discarded before is deleted, so a failed transfer leaves no partial file.
class DownloadFile {
  public:
    // fd open for writing on path; with a tempPath the data is written there and replaces path
    // on Commit.
    DownloadFile(int fd, std::string path, std::string tempPath = {});
    DownloadFile(DownloadFile&& other) noexcept;
    DownloadFile& operator=(DownloadFile&& other) noexcept;
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;
    ~DownloadFile() { Discard(); }

    // Where the data ends up.
    const std::string& Path() const { return path_; }
    // Writes all of data; false on a write error.
    [[nodiscard]] bool Write(const void* data, std::size_t length);
    // Closes the file and, when it was written under a temporary name, flushes it to disk and
    // renames it over Path(). False when any step failed; the file is then discarded.
    [[nodiscard]] bool Commit();
    // Closes the file and deletes what was written, unless it was committed.
    void Discard();

  private:
    int fd_ = -1;
    std::string path_;
    std::string tempPath_;
};

// A file that replaces `target` on Commit: written under a fresh temporary name in the target's
// directory, so an existing file stays whole until the new one is complete. A new file gets the
// permissions the umask allows, a replaced one keeps its own. nullopt (errno set) when the
// directory cannot be written or the target is a directory.
std::optional<DownloadFile> CreateReplacingFile(const std::string& target);

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
