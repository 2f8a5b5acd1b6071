#pragma once
// The page an FTP directory listing becomes: the header with the server's CWD messages, the
// parent link, and one line per entry of the LIST answer, parsed as UNIX or Windows_NT lines.
// Everything the server wrote is escaped: as text with character references, inside links
// percent-escaped.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::protocols {

enum class FtpSystem { kOther = 0, kUnix = 1, kWindowsNt = 2 };

// The system type from a SYST reply's text after its code ("UNIX Type: L8", "Windows_NT").
FtpSystem FtpSystemFromReply(std::string_view text);

struct FtpEntry {
    enum class Kind { kFile, kDirectory, kLink, kOther };
    Kind kind = Kind::kOther;
    std::string name;
    std::string date;
    std::int64_t size = 0;
};

// One line of a LIST answer; nullopt for lines that do not parse ("total 12") and for "." and
// "..". UNIX names are the text after the date, spaces included; a link loses " -> target".
std::optional<FtpEntry> ParseFtpListLine(std::string_view line, FtpSystem system);

// `shownLocation` is the location without any password; `path` the decoded URL path.
std::string FtpListingHeader(std::string_view shownLocation, std::string_view path,
                             const std::vector<std::string>& messages);
// The parent link of `directory` (which ends in "/"); empty for the root.
std::string FtpParentLine(std::string_view serverText, std::string_view directory);
std::string FtpEntryLine(std::string_view serverText, std::string_view directory,
                         const FtpEntry& entry);

}  // namespace corvane::protocols
