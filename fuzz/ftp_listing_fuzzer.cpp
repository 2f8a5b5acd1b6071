// Any listing line, read as a UNIX, Windows_NT or unknown server's, parses or is skipped; a parsed
// entry has a name that is neither empty, "." nor "..", and its page line is bounded, ends in one
// CR LF and holds no markup of the server's own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "protocols/ftp_listing.h"

using corvane::protocols::FtpSystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    // Lines come split at LF.
    if (line.find('\n') != std::string_view::npos) return 0;
    for (const FtpSystem system : {FtpSystem::kOther, FtpSystem::kUnix, FtpSystem::kWindowsNt}) {
        const auto entry = corvane::protocols::ParseFtpListLine(line, system);
        if (!entry) continue;
        if (entry->name.empty() || entry->name == "." || entry->name == "..") std::abort();
        const std::string html = corvane::protocols::FtpEntryLine("h", "/d/", *entry);
        if (html.size() > 12 * size + 128) std::abort();
        if (!html.ends_with("\r\n") || html.find("\r\n") != html.size() - 2) std::abort();
        // Exactly the one link the line writes: no "<" of the server's survives.
        std::size_t tags = 0;
        for (char c : html) tags += c == '<';
        if (tags != 2) std::abort();
    }
    return 0;
}
