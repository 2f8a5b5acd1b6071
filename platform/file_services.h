#pragma once
// File-system services the stores and convertors use: the temporary directory, unique temporary
// file names, directory listings by pattern, file size and time, move, delete and directory
// creation. Paths are byte strings with "/" separators. Functions answering bool leave errno set
// on failure.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::platform {

// $TMPDIR when it names a directory, otherwise "/tmp". No trailing "/".
std::string TempDirectory();

// directory + "/" + name, without doubling a "/" that directory already ends with.
std::string JoinPath(std::string_view directory, std::string_view name);

// The process's working directory, or "." when it cannot be named (removed, or too long).
std::string CurrentDirectory();

// Creates an empty file in directory named: the first three characters of prefix, one to four
// upper-case hexadecimal digits of a number from 1 to FFFF, and ".tmp" (for example "QV01A2.tmp").
// The file is created exclusively (O_EXCL, mode 0600), so two callers never receive the same
// name. Answers its full path, or nullopt when the prefix holds "/" or a NUL, or every number is
// taken, or the directory cannot be written.
std::optional<std::string> CreateTempFile(std::string_view directory, std::string_view prefix);

struct FileInfo {
    bool isDirectory = false;
    std::uint64_t size = 0;
    std::int64_t modificationTime = 0;  // seconds since 1 January 1970, UTC
};

struct DirectoryEntry {
    std::string name;
    FileInfo info;
};

// The entries of directory whose names match pattern, sorted by name, without "." and "..".
// The pattern is matched without regard to ASCII case: "*" stands for any run of characters, "?"
// for one, and "*.*" for every name, dotted or not. nullopt when the directory cannot be read.
std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& directory,
                                                         std::string_view pattern);

// The names of the entries of directory that match pattern (as ListDirectory) and are not
// directories, in no particular order. Examines no file: a large directory is listed at the cost
// of reading it.
std::optional<std::vector<std::string>> ListFileNames(const std::string& directory,
                                                      std::string_view pattern);

// Follows symbolic links. nullopt when the file does not exist or cannot be examined.
std::optional<FileInfo> GetFileInfo(const std::string& path);

// What tells one version of a file from another: a file replaced through a rename has a new inode,
// one written in place a new size or time. Compared to notice that another process changed it.
struct FileVersion {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long mtimeNs = 0;
    bool operator==(const FileVersion&) const = default;
};
// Follows symbolic links; a missing file gives the default (exists false).
FileVersion GetFileVersion(const std::string& path);

bool SetModificationTime(const std::string& path, std::int64_t secondsSinceEpoch);

enum class ExistingTarget { kFail, kReplace };
// Renames within one file system; moving to another one fails with EXDEV. With kFail an existing
// target is never touched, not even by a racing writer (the check and the rename are one step).
bool MoveFile(const std::string& from, const std::string& to,
              ExistingTarget existing = ExistingTarget::kFail);

// Deletes a file (not a directory).
bool DeleteFile(const std::string& path);

// Creates the directory and any missing parents, each new one with mode 0700. True when the
// directory exists afterwards, including when it did before.
bool CreateDirectories(const std::string& path);

}  // namespace corvane::platform
