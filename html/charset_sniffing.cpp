#include "html/charset_sniffing.h"

#include "platform/ascii.h"

namespace corvane::html {
namespace {

std::size_t FindIgnoreCase(std::string_view text, std::string_view word, std::size_t from) {
    for (std::size_t i = from; i + word.size() <= text.size(); ++i) {
        if (StartsWithIgnoreCase(text.substr(i), word)) return i;
    }
    return std::string_view::npos;
}

bool IsCharsetNameChar(char c) {
    return IsAsciiAlnum(c) || c == '-' || c == '_' || c == '.' || c == ':';
}

// The name after "charset" (white space, "=", white space, an optional quote) in `text`.
std::string_view ValueAfterCharset(std::string_view text) {
    for (std::size_t at = FindIgnoreCase(text, "charset", 0); at != std::string_view::npos;
         at = FindIgnoreCase(text, "charset", at + 1)) {
        std::size_t i = at + 7;
        while (i < text.size() && IsAsciiSpace(text[i])) ++i;
        if (i == text.size() || text[i] != '=') continue;
        ++i;
        while (i < text.size() && (IsAsciiSpace(text[i]) || text[i] == '"' || text[i] == '\'')) {
            ++i;
        }
        std::size_t end = i;
        while (end < text.size() && IsCharsetNameChar(text[end])) ++end;
        if (end > i) return text.substr(i, end - i);
    }
    return {};
}

}  // namespace

ByteOrderMark FindByteOrderMark(std::string_view start) {
    if (start.starts_with("\xEF\xBB\xBF")) return {"UTF-8", 3};
    if (start.starts_with("\xFF\xFE")) return {"UTF-16LE", 2};
    if (start.starts_with("\xFE\xFF")) return {"UTF-16BE", 2};
    return {};
}

std::string_view FindMetaCharset(std::string_view head) {
    std::size_t i = 0;
    while ((i = head.find('<', i)) != std::string_view::npos) {
        const std::string_view rest = head.substr(i);
        if (rest.starts_with("<!--")) {
            const std::size_t end = head.find("-->", i + 4);
            if (end == std::string_view::npos) return {};
            i = end + 3;
            continue;
        }
        ++i;
        if (!StartsWithIgnoreCase(rest, "<meta") || rest.size() < 6 ||
            !(IsAsciiSpace(rest[5]) || rest[5] == '/')) {
            continue;
        }
        const std::size_t end = rest.find('>');
        if (end == std::string_view::npos) return {};
        const std::string_view name = ValueAfterCharset(rest.substr(0, end));
        if (!name.empty()) return name;
    }
    return {};
}

}  // namespace corvane::html
