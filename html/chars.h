#pragma once
// Character classes of the HTML scanner. They are the plain ASCII classes, independent of the
// process locale, so a document reads the same on every machine.

namespace corvane::html {

constexpr bool IsLetter(unsigned char c) {
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}
constexpr bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
// Space, tab, LF, vertical tab, form feed and CR.
constexpr bool IsSpace(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
constexpr unsigned char ToLower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
}
constexpr unsigned char ToUpper(unsigned char c) {
    return c >= 'a' && c <= 'z' ? c - 32 : c;
}

}  // namespace corvane::html
