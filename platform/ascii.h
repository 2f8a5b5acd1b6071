#pragma once
// ASCII-only case folding for names the program matches without regard to case (profile sections
// and keys, file patterns). Bytes above 127 compare exactly: their case depends on a character set
// the bytes do not carry.

#include <string_view>

namespace corvane::platform {

constexpr char AsciiToLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiToLower(a[i]) != AsciiToLower(b[i])) return false;
    }
    return true;
}

}  // namespace corvane::platform
