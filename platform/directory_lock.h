#pragma once
// Coordination between processes sharing a directory of stores (two windows, or a window and a
// headless mail check run by a timer): an exclusive advisory lock on the directory itself, held
// while an index is read again and rewritten, and locks on files still being written, so a sweep
// of leftovers never takes a file another process is filling. flock locks vanish with their
// process, so a killed writer never leaves the directory locked.

#include <functional>
#include <string>
#include <string_view>

namespace corvane::platform {

// Held from construction to destruction; blocks until the lock is granted. Without a directory
// (it cannot be opened) it holds nothing, so callers keep working in a store nobody shares.
class DirectoryLock {
  public:
    // Locks through a descriptor the caller keeps open (and closes).
    explicit DirectoryLock(int directoryFd);
    // Opens the directory for the time of the lock.
    explicit DirectoryLock(const std::string& directory);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

  private:
    int fd_ = -1;
    bool ownsFd_ = false;
};

// Marks an open file as being written, until it is closed: the sweep below leaves it alone.
// False when another process holds it.
bool LockFileBeingWritten(int fd);

// Deletes the regular files of ours in directory matching pattern (ListDirectory's wildcards)
// that no process holds with LockFileBeingWritten, except those `keep` names (by file name).
void DeleteUnlockedFiles(const std::string& directory, std::string_view pattern,
                         const std::function<bool(const std::string& name)>& keep = nullptr);

}  // namespace corvane::platform
