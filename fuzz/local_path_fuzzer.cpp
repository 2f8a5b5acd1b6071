// Local paths from file: URLs and the listing lines of file names: any URL path converts without
// fault, and any file name lists with a link that leads back to that very name.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "protocols/directory_listing.h"
#include "protocols/local_path.h"

using namespace corvane::protocols;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)UrlPathToLocalPath(text, TrailingSlash::kDrop);
    (void)ExpandHomeDirectory(text, "/home/u");

    // A file name holds no "/" and no NUL.
    std::string name;
    for (const char c : text) {
        if (c != '/' && c != '\0') name.push_back(c);
    }
    if (name.empty()) return 0;
    const auto back = UrlPathToLocalPath("/d/" + EscapePathForUrl(name), TrailingSlash::kKeep);
    if (!back || *back != "/d/" + name) std::abort();

    const DirectoryEntry entry{name, static_cast<std::time_t>(size) * 86400, 1, false};
    const std::string line = FormatEntryLine("/d/", entry);
    const std::size_t quote = line.find('"', 11);  // the HREF's closing quote
    if (line.compare(0, 18, "  <A HREF=\"file://") != 0 || quote == std::string::npos ||
        line.compare(line.size() - 2, 2, "\r\n") != 0) {
        std::abort();
    }
    const std::string href = line.substr(18, quote - 18);
    if (UrlPathToLocalPath(href, TrailingSlash::kKeep) != "/d/" + name) std::abort();
    return 0;
}
