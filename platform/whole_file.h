#pragma once
// Whole-file reading and the one way the program replaces a stored file.
//
// WriteFileAtomically writes the new content to a temporary file in the same directory, flushes it
// to disk, renames it over the old file and flushes the directory. A crash, a kill -9 or a full
// disk at any moment leaves either the complete old file or the complete new one, never a mixture
// or an empty file. Every store of the program (settings, cache index, visited list, realms, mail
// and news stores, bookmarks) is written through it.

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

namespace corvane::platform {

// Who may read a file that WriteFileAtomically creates.
enum class NewFileAccess {
    kOwnerOnly,  // mode 0600: stores hold passwords and private mail
    kUmask,      // 0666 less the umask, like any file the user saves
};

// Replaces the file at path with content. An existing regular file keeps its permission bits; a
// new file gets the mode `access` asks for. A symbolic link at path is
// replaced, not followed. Answers an empty error code on success; on failure the old file is
// untouched and the temporary file is removed; the one exception is a failure to flush the
// directory after the rename, where the new content is in place but might not survive a power
// cut. Only a kill between creating and renaming the temporary file leaves that file behind: a
// hidden ".NAME.XXXXXX" next to the stored file.
[[nodiscard]] std::error_code WriteFileAtomically(const std::string& path, std::string_view content,
                                                  NewFileAccess access = NewFileAccess::kOwnerOnly);

// Removes the hidden temporary files that writers killed mid-rewrite left in directory (exactly
// the ".NAME.XXXXXX" regular files of WriteFileAtomically, untouched for a minute, so a rewrite
// that another process is doing right now is never disturbed). Answers how many were removed.
int RemoveLeftoverTemporaries(const std::string& directory);

// Reads the whole regular file into content (anything else is refused). A file larger than maxBytes
// is refused with std::errc::file_too_large, so a corrupt or hostile file cannot exhaust memory.
[[nodiscard]] std::error_code ReadWholeFile(const std::string& path, std::size_t maxBytes,
                                            std::string& content);

}  // namespace corvane::platform
