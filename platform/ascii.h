#pragma once
// The program's one set of locale-free ASCII helpers. URLs, protocol texts, profile names and file
// patterns are compared byte by byte, never through the C library's locale; bytes above 127 compare
// exactly, since their case depends on a character set the bytes do not carry. They live in the
// top namespace so that every layer uses the same ones.

#include <string>
#include <string_view>

namespace corvane {

constexpr char AsciiLowerChar(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}
constexpr bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
constexpr bool IsAsciiBlank(char c) {
    return c == ' ' || c == '\t';
}
constexpr bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool IsAsciiAlnum(char c) {
    return IsAsciiAlpha(c) || IsAsciiDigit(c);
}

// `text` without the characters `isTrimmed` accepts at either end.
template <typename Predicate>
constexpr std::string_view TrimAscii(std::string_view text, Predicate isTrimmed) {
    while (!text.empty() && isTrimmed(text.front())) text.remove_prefix(1);
    while (!text.empty() && isTrimmed(text.back())) text.remove_suffix(1);
    return text;
}
constexpr std::string_view TrimAsciiSpace(std::string_view text) {
    return TrimAscii(text, IsAsciiSpace);
}
// Only spaces and tabs: header and profile lines keep any other control byte as data.
constexpr std::string_view TrimAsciiBlanks(std::string_view text) {
    return TrimAscii(text, IsAsciiBlank);
}

std::string AsciiLower(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

}  // namespace corvane
