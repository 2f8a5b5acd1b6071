#include "protocols/local_path.h"

#include "core/url_escapes.h"
#include "platform/ascii.h"

namespace corvane::protocols {

using core::HexDigitValue;

std::optional<std::string> UrlPathToLocalPath(std::string_view urlPath, TrailingSlash trailing) {
    if (const auto query = urlPath.rfind('?'); query != std::string_view::npos) {
        urlPath = urlPath.substr(0, query);
    }
    std::string decoded;
    decoded.reserve(urlPath.size());
    for (std::size_t i = 0; i < urlPath.size(); ++i) {
        char c = urlPath[i];
        if (c == '+') {
            c = ' ';
        } else if (c == '%' && i + 2 < urlPath.size() && HexDigitValue(urlPath[i + 1]) >= 0 &&
                   HexDigitValue(urlPath[i + 2]) >= 0) {
            c = static_cast<char>(HexDigitValue(urlPath[i + 1]) * 16 +
                                  HexDigitValue(urlPath[i + 2]));
            i += 2;
        }
        if (c == '\0') return std::nullopt;
        decoded.push_back(c);
    }
    if (decoded.size() >= 2 && IsAsciiAlpha(decoded[0]) && decoded[1] == '|') decoded[1] = ':';

    std::string path;
    path.reserve(decoded.size());
    for (const char c : decoded) {
        if (c == '/' && !path.empty() && path.back() == '/') continue;
        path.push_back(c);
    }
    if (trailing == TrailingSlash::kDrop && path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string ExpandHomeDirectory(std::string path, std::string_view home) {
    if (home.empty() || path.compare(0, 2, "/~") != 0 || (path.size() > 2 && path[2] != '/')) {
        return path;
    }
    std::string expanded(home);
    if (expanded.size() > 1 && expanded.back() == '/') expanded.pop_back();
    expanded += path.substr(2);
    return expanded.empty() ? "/" : expanded;
}

std::string EscapePathForUrl(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (core::IsUrlSafeByte(byte)) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0xF]);
        }
    }
    return out;
}

}  // namespace corvane::protocols
