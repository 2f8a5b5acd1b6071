#pragma once
// Conversions between the path of a file: URL and a local path, and the escaping that lets any
// file name stand inside a link.

#include <optional>
#include <string>
#include <string_view>

namespace corvane::protocols {

enum class TrailingSlash { kKeep, kDrop };

// Turns the path of a file: URL (with its leading "/") into a local path: the query is cut at the
// last "?", escapes are decoded ("+" is a space, as the path-to-URL conversion writes it), a
// leading drive form "c|" becomes "c:", and runs of "/" collapse to one. kDrop removes one
// trailing "/" unless the path is the root. The query is cut before decoding so that a file whose
// name holds an escaped "?" stays reachable. nullopt when the decoded path holds a NUL byte:
// no file can have that name.
std::optional<std::string> UrlPathToLocalPath(std::string_view urlPath, TrailingSlash trailing);

// A path whose first segment is "~" names the user's home directory: "/~" and "/~/x" become
// `home` and `home` + "/x" (the start page links to "file:///~/"). Other paths stay unchanged,
// and so does every path when `home` is empty.
std::string ExpandHomeDirectory(std::string path, std::string_view home);

// Escapes a local path for use as the path of a file: URL: every byte other than letters, digits
// and "*-./@_" becomes "%XX", so spaces, "#", "?", "%", quotes and bytes >= 0x80 survive the trip
// through a link and back through UrlPathToLocalPath.
std::string EscapePathForUrl(std::string_view path);

}  // namespace corvane::protocols
