#pragma once
// The HTML pages generated for a local directory and for the list of the machine's roots (the
// page a file: URL with an empty path shows: "/" and the user's home directory).
//
// Names are written escaped: as text with character references, inside links percent-escaped,
// so a name holding "<", "&", quotes, spaces or bytes >= 0x80 lists and links correctly.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocols/generated_units.h"

namespace corvane::protocols {

struct DirectoryEntry {
    std::string name;  // directories carry a trailing "/"
    std::time_t modified = 0;
    std::int64_t size = 0;
    bool isDirectory = false;
};

// The entries of a directory without "." and "..", sorted by name without regard to case (byte
// order decides between names equal that way, so the order never depends on the file system).
// nullopt when the directory cannot be read.
std::optional<std::vector<DirectoryEntry>> ReadDirectoryEntries(const std::string& directory);

// The file: URL that lists a local directory given with its trailing "/". The root gets a path
// of "//", since the bare "file:///" names the roots list.
std::string DirectoryUrl(std::string_view directory);

// One line of a listing: link, name padded to 30 columns, size or 16 spaces, local time, CR LF.
std::string FormatEntryLine(std::string_view directory, const DirectoryEntry& entry);

// The listing of one directory: the header (with the parent link) first, then one entry per unit.
// A directory that cannot be read lists the header and the parent link only.
class DirectoryListing : public GeneratedUnits {
  public:
    // `directory` is an absolute local path, with or without its trailing "/".
    explicit DirectoryListing(std::string directory);

  protected:
    bool NextUnit(std::string& unit) override;

  private:
    std::string directory_;  // with its trailing "/"
    bool headerWritten_ = false;
    std::vector<DirectoryEntry> entries_;
    std::size_t nextEntry_ = 0;
};

// The roots list: the header with "/" as its path, then "/" and the home directory as links.
class RootList : public GeneratedUnits {
  public:
    // `home` is the user's home directory; an empty one, or "/" itself, lists the root alone.
    explicit RootList(std::string home);

  protected:
    bool NextUnit(std::string& unit) override;

  private:
    std::vector<std::string> roots_;
    bool headerWritten_ = false;
    std::size_t nextRoot_ = 0;
};

// $HOME, else the password database's entry for the user; empty when neither is known.
std::string UserHomeDirectory();

}  // namespace corvane::protocols
