#pragma once
// The file of one message being received. Lines are appended as they arrive (pieces of an
// over-long line without a line end between them); Commit makes the file durable (fsync) and
// gives it its final name "CVTnnnn.ML" beside the temporary "CVTnnnn.tmp", so a message file
// with that name is always complete. A message that never commits is removed, and a kill leaves
// at most a ".tmp" file that no index names.

#include <optional>
#include <string>
#include <string_view>

namespace corvane::mail {

class ReceivedMessage {
  public:
    ReceivedMessage() = default;
    ~ReceivedMessage();
    ReceivedMessage(const ReceivedMessage&) = delete;
    ReceivedMessage& operator=(const ReceivedMessage&) = delete;

    // Opens the empty temporary file made for the message; false when it cannot be written.
    bool Open(const std::string& temporaryPath);
    // Appends bytes; false once any write failed (disk full, file-size limit).
    bool Append(std::string_view bytes);
    // Closes the file and renames it to ".ML" (another free name when that one is taken). Answers
    // the final path, nullopt on failure (the file is then removed). With kDurable the file and
    // its name are on disk first; otherwise MakeDurable must follow before anything relies on it.
    enum class Durability { kDurable, kLater };
    std::optional<std::string> Commit(Durability durability = Durability::kDurable);
    // Flushes every file written in the directory's file system, and the names, to disk at once
    // (one call for many messages instead of one per file).
    static bool MakeDurable(const std::string& directory);
    // Removes the file.
    void Discard();

    bool IsOpen() const { return fd_ >= 0; }

  private:
    bool Flush();

    int fd_ = -1;
    std::string path_;
    std::string pending_;  // appended bytes not yet written
    bool failed_ = false;
};

}  // namespace corvane::mail
