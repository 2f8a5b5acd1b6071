#include "protocols/http_message.h"

#include <ctime>

#include "platform/ascii.h"

namespace corvane::protocols {
namespace {

constexpr char kUserAgentLine[] = "User-Agent: Corvane/2.0 Linux/1.0\r\n";

constexpr std::uint64_t kLargestContentLength = std::uint64_t{1} << 62;

std::size_t FindIgnoreCase(std::string_view text, std::string_view word) {
    for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
        if (EqualsIgnoreCase(text.substr(at, word.size()), word)) return at;
    }
    return std::string_view::npos;
}

}  // namespace

std::optional<int> ParseStatusLine(std::string_view line) {
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos || space < 8 || !line.starts_with("HTTP/") ||
        line[6] != '.') {
        return std::nullopt;
    }
    std::string_view rest = line.substr(space + 1);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (rest.size() < 3 || !IsAsciiDigit(rest[0]) || !IsAsciiDigit(rest[1]) ||
        !IsAsciiDigit(rest[2]) || (rest.size() > 3 && IsAsciiDigit(rest[3]))) {
        return std::nullopt;
    }
    return (rest[0] - '0') * 100 + (rest[1] - '0') * 10 + (rest[2] - '0');
}

std::optional<HeaderField> SplitHeaderLine(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    return HeaderField{TrimAsciiBlanks(line.substr(0, colon)),
                       TrimAsciiBlanks(line.substr(colon + 1))};
}

std::optional<std::int64_t> ParseContentLength(std::string_view value) {
    value = TrimAsciiBlanks(value);
    if (value.empty() || value.size() > 19) return std::nullopt;
    std::uint64_t length = 0;
    for (char c : value) {
        if (!IsAsciiDigit(c)) return std::nullopt;
        length = length * 10 + static_cast<unsigned>(c - '0');  // 19 digits stay below 2^64
    }
    if (length > kLargestContentLength) return std::nullopt;
    return static_cast<std::int64_t>(length);
}

std::optional<RefreshValue> ParseRefresh(std::string_view value) {
    value = TrimAsciiBlanks(value);
    std::size_t digits = 0;
    std::int64_t seconds = 0;
    while (digits < value.size() && IsAsciiDigit(value[digits])) {
        // A day is plenty; a larger delay would never be waited for anyway.
        seconds = std::min<std::int64_t>(seconds * 10 + (value[digits] - '0'), 86'400);
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    RefreshValue refresh;
    refresh.seconds = static_cast<std::int32_t>(seconds);
    const std::size_t semicolon = value.find(';', digits);
    if (semicolon == std::string_view::npos) return refresh;
    const std::string_view rest = TrimAsciiBlanks(value.substr(semicolon + 1));
    if (StartsWithIgnoreCase(rest, "url="))
        refresh.url = std::string(TrimAsciiBlanks(rest.substr(4)));
    return refresh;
}

std::optional<std::string> ParseRealm(std::string_view value) {
    const std::size_t at = FindIgnoreCase(value, "realm=");
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view realm = value.substr(at + 6);
    if (realm.starts_with('"')) {
        realm.remove_prefix(1);
        return std::string(realm.substr(0, realm.find('"')));
    }
    return std::string(realm.substr(0, realm.find(' ')));
}

bool HasLineBreak(std::string_view value) {
    return value.find_first_of("\r\n") != std::string_view::npos ||
           FindIgnoreCase(value, "%0d") != std::string_view::npos ||
           FindIgnoreCase(value, "%0a") != std::string_view::npos;
}

std::string HttpDate(std::int64_t seconds) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (gmtime_r(&time, &parts) == nullptr) return {};
    char text[64];
    // Two digits for the day: servers read the fixed-length date form and ignore "5 Dec".
    std::snprintf(text, sizeof text, "%s, %02d %s %d %02d:%02d:%02d GMT", kDays[parts.tm_wday],
                  parts.tm_mday, kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour,
                  parts.tm_min, parts.tm_sec);
    return text;
}

std::string Base64(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
        std::uint32_t group = 0;
        for (std::size_t i = 0; i < 3; ++i) {
            group <<= 8;
            if (i < count) group |= static_cast<unsigned char>(bytes[at + i]);
        }
        for (std::size_t i = 0; i < 4; ++i) {
            out += i <= count ? kAlphabet[(group >> (18 - 6 * i)) & 63] : '=';
        }
    }
    return out;
}

std::string FormatTunnelRequest(std::string_view authority) {
    const std::string target(authority);
    return "CONNECT " + target + " HTTP/1.0\r\nHost: " + target + "\r\n" + kUserAgentLine;
}

std::string FormatHttpRequest(const HttpRequestParts& parts) {
    std::string text = parts.post ? "POST " : "GET ";
    text += parts.target;
    text += " HTTP/1.0\r\n";
    text += "Host: " + parts.hostHeader + "\r\n";
    text += "Accept: image/gif, image/x-xbitmap, image/jpeg, */*\r\n";
    if (parts.reload) text += "Pragma: no-cache\r\n";
    text += kUserAgentLine;
    if (!parts.referrer.empty()) text += "Referer: " + parts.referrer + "\r\n";
    if (!parts.authorization.empty()) {
        text += "Authorization: Basic " + Base64(parts.authorization) + "\r\n";
    }
    if (parts.post) {
        text += "Content-type: ";
        text += parts.bodyType.empty() ? "application/x-www-form-urlencoded" : parts.bodyType;
        text += "\r\nContent-length: " + std::to_string(parts.body.size()) + "\r\n\r\n";
        text += parts.body;
        text += "\r\n";
        return text;
    }
    if (parts.ifModifiedSince != 0) {
        text += "If-Modified-Since: " + HttpDate(parts.ifModifiedSince) + "\r\n";
    }
    text += "\r\n";
    return text;
}

}  // namespace corvane::protocols
