#include "html/attribute_values.h"

#include <algorithm>
#include <limits>

#include "html/chars.h"

namespace corvane::html {
namespace {

std::string_view SkipLeadingSpaces(std::string_view text) {
    while (!text.empty() && IsSpace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    return text;
}

// Decimal digits at the start, saturated; nullopt when there are none.
std::optional<std::int64_t> ParseDigits(std::string_view& text) {
    if (text.empty() || !IsDigit(static_cast<unsigned char>(text.front()))) return std::nullopt;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    while (!text.empty() && IsDigit(static_cast<unsigned char>(text.front()))) {
        value = std::min(kLimit, value * 10 + (text.front() - '0'));
        text.remove_prefix(1);
    }
    return value;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const unsigned char lower = ToLower(static_cast<unsigned char>(c));
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return 0;
}

std::uint32_t HexPair(std::string_view text, std::size_t position) {
    std::uint32_t value = 0;
    for (std::size_t i = position; i < position + 2 && i < text.size(); ++i) {
        value = value * 16 + static_cast<std::uint32_t>(HexValue(text[i]));
    }
    return value;
}

}  // namespace

std::int32_t ParseInteger(std::string_view value) {
    value = SkipLeadingSpaces(value);
    bool negative = false;
    if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    const std::int64_t magnitude = ParseDigits(value).value_or(0);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::uint32_t ParseColour(std::string_view value) {
    if (value.size() < 4) return 0;
    if (value.front() == '#') value.remove_prefix(1);
    const std::uint32_t red = HexPair(value, 0);
    const std::uint32_t green = HexPair(value, 2);
    const std::uint32_t blue = HexPair(value, 4);
    return red | green << 8 | blue << 16;
}

int ParseFontSize(std::string_view value) {
    value = SkipLeadingSpaces(value);
    int sign = 0;
    if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
        sign = value.front() == '-' ? -1 : 1;
        value.remove_prefix(1);
    }
    const std::optional<std::int64_t> number = ParseDigits(value);
    if (!number) return 0;
    const std::int64_t size = sign == 0 ? *number : 3 + sign * *number;
    return static_cast<int>(std::clamp<std::int64_t>(size, 1, 7));
}

std::optional<Refresh> ParseRefresh(std::string_view content) {
    content = SkipLeadingSpaces(content);
    const std::optional<std::int64_t> seconds = ParseDigits(content);
    if (!seconds) return std::nullopt;
    Refresh refresh{static_cast<std::int32_t>(*seconds), {}};
    const std::size_t semicolon = content.find(';');
    if (semicolon == std::string_view::npos) return refresh;
    const std::string_view rest = SkipLeadingSpaces(content.substr(semicolon + 1));
    if (rest.size() >= 4 && ToLower(static_cast<unsigned char>(rest[0])) == 'u' &&
        ToLower(static_cast<unsigned char>(rest[1])) == 'r' &&
        ToLower(static_cast<unsigned char>(rest[2])) == 'l' && rest[3] == '=') {
        refresh.url = std::string(rest.substr(4));
    }
    return refresh;
}

}  // namespace corvane::html
