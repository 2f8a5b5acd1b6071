#pragma once
// A profile file with the semantics of Windows private profile files: sections of "key=value"
// lines, section and key names matched without regard to ASCII case, reads that fall back to a
// default, and writes that reach the disk at once.
//
// The parsed file is held in memory; every change is written through at once with
// WriteFileAtomically, so the file on disk is always a complete old or new version. A change that
// cannot be written (full disk, missing directory) stays in memory, the call answers false, and the
// next change or Flush writes it again. Before a change, a file replaced on disk by another process
// since it was last read or written is read again, so that process's changes are kept; between
// such changes the object answers from memory. Use one object per file within a process.
//
// The text format, its escapes and its tolerance of junk lines are in platform/profile_format.h.
// Duplicate keys: the first one is read and changed; deleting a key removes every copy.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_services.h"
#include "platform/profile_format.h"

namespace corvane::platform {

class ProfileFile {
  public:
    // Files larger than this are not read (and then never rewritten).
    static constexpr std::size_t kMaxFileBytes = 64u << 20;

    // Reads the file at path. A missing file is an empty profile, created by the first write.
    explicit ProfileFile(std::string path);

    const std::string& path() const { return path_; }

    // False when the file exists but could not be read (unreadable, too large): every change is
    // then refused, so the file is never replaced by the empty view of it held here.
    bool IsLoaded() const { return loaded_; }

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // The leading decimal number of the value, with an optional sign and leading blanks ("12abc"
    // reads 12). A missing key gives the default; an empty or non-numeric value, or one outside
    // int, reads 0.
    int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;

    // Each answers true when the file on disk holds the change. An empty key is refused.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Gives every key of `keys` the same value, written to disk once; empty keys are skipped.
    bool WriteStrings(std::string_view section, const std::vector<std::string>& keys,
                      std::string_view value);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool DeleteSection(std::string_view section);

    // Names in file order, as first spelled in the file; duplicates listed once.
    std::vector<std::string> Keys(std::string_view section) const;
    std::vector<std::string> Sections() const;

    // Writes a change that an earlier write could not; true when the disk holds every change.
    bool Flush();

  private:
    void Load();
    // Reads the file again when another writer replaced it and no change of ours is pending.
    // False when changes must be refused.
    bool PrepareChange();
    bool Commit();

    std::string path_;
    ProfileModel model_;
    FileVersion version_;  // of the file last read or written
    bool loaded_ = false;
    bool dirty_ = false;
};

}  // namespace corvane::platform
