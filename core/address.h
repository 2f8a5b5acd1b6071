#pragma once
// Parsed URLs. ParseAddress reads a URL (optionally relative to a base), FormatAddress writes the
// canonical string: the key under which a document is shared between windows, cached and
// remembered in the history.

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::core {

struct CHTAddress {
    std::int16_t scheme = -1;   // scheme index, -1 when the text named no registered scheme
    bool hasLocation = false;   // a network location ("//" and a host) was given or implied
    bool absolutePath = false;  // the path is rooted
    std::string host;           // any ":port" suffix stays in it
    std::string path;           // without its leading "/", with any "?query"
    std::string anchor;         // after the last "#", without it

    bool operator==(const CHTAddress&) const = default;
};

// Reads `text` into `address`. Leading white space is skipped and the address ends at the next
// white space (or NUL). Never fails: text that names no registered scheme is read, without a base,
// as an http location.
void ParseAddress(CHTAddress& address, std::string_view text, const CHTAddress* base = nullptr);
CHTAddress ParseAddress(std::string_view text, const CHTAddress* base = nullptr);

std::string FormatAddress(const CHTAddress& address);

// Resolves "." and ".." segments of a path that has no leading "/".
void NormalizeDotSegments(std::string& path);

// Escapes in place for URLs and form data: a space becomes "+", bytes outside letters, digits and
// "*-./@_" become "%XX".
void EscapeUrlText(std::string& text);

// A local path (DOS form with drive letters and backslashes accepted) as an escaped URL path
// beginning with "/": c:\web\a b.htm becomes /c|/web/a+b.htm.
std::string LocalPathToUrlPath(std::string_view path);

// Rewrites the text of a location field into a full URL. An empty text becomes the URL of the
// document the window shows (`currentUrl`), when there is one.
void CompleteTypedUrl(std::string& text, std::string_view currentUrl = {});

// The URL of a local file opened by path (File Open).
std::string LocalFileUrl(std::string_view path);

}  // namespace corvane::core
