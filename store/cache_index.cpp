#include "store/cache_index.h"

#include <cstdlib>

#include "platform/ascii.h"
#include "store/field_escapes.h"
#include "store/store_lines.h"

namespace corvane::store {
namespace {

std::string_view SkipSpaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

// A decimal number at the front of text, clamped to int32; text moves past it.
std::int32_t TakeNumber(std::string_view& text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::int64_t number = 0;
    while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
        if (number < INT32_MAX) number = number * 10 + (text.front() - '0');
        text.remove_prefix(1);
    }
    if (number > INT32_MAX) number = INT32_MAX;
    return static_cast<std::int32_t>(negative ? -number : number);
}

}  // namespace

CacheIndexValue ParseCacheIndexValue(std::string_view value) {
    CacheIndexValue parsed;
    const auto comma = value.find(',');
    parsed.fileName = UnescapeField(value.substr(0, comma));
    if (comma == std::string_view::npos) {
        parsed.contentType = "text/plain";
        return parsed;
    }
    std::string_view rest = value.substr(comma + 1);
    const auto typeEnd = rest.find(',');
    parsed.contentType = UnescapeField(rest.substr(0, typeEnd));
    if (typeEnd == std::string_view::npos) return parsed;
    rest = SkipSpaces(rest.substr(typeEnd + 1));
    parsed.refreshSeconds = TakeNumber(rest);
    const auto semicolon = rest.find(';');
    if (semicolon == std::string_view::npos) return parsed;
    rest = SkipSpaces(rest.substr(semicolon + 1));
    if (StartsWithIgnoreCase(rest, "url=")) parsed.refreshUrl = UnescapeField(rest.substr(4));
    return parsed;
}

std::string FormatCacheIndexLine(std::string_view key, const CacheIndexValue& value) {
    std::string line = EscapeField(key, "=[");
    line += '=';
    line += EscapeField(value.fileName, ",;");
    line += ',';
    line += EscapeField(value.contentType, ",;");
    if (value.refreshSeconds >= 0) {
        line += ',';
        line += std::to_string(value.refreshSeconds);
        if (!value.refreshUrl.empty()) {
            line += "; url=";
            line += EscapeField(value.refreshUrl, "");
        }
    }
    line += '\n';
    return line;
}

bool ReadCacheIndex(
    const std::string& path,
    const std::function<void(std::string_view key, CacheIndexValue value)>& onEntry) {
    return ForEachStoreLine(path, [&](std::string_view line) {
        if (!line.empty() && line.front() == '[' && line.back() == ']') return;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0) return;
        const std::string_view key = line.substr(0, equals);
        // Keys rarely hold an escape: most are passed on from the line itself.
        if (key.find('\\') == std::string_view::npos)
            onEntry(key, ParseCacheIndexValue(line.substr(equals + 1)));
        else
            onEntry(UnescapeField(key), ParseCacheIndexValue(line.substr(equals + 1)));
    });
}

}  // namespace corvane::store
