#include "core/url_escapes.h"

#include "platform/ascii.h"

namespace corvane::core {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsUrlSafeByte(unsigned char c) {
    switch (c) {
        case '*':
        case '-':
        case '.':
        case '/':
        case '@':
        case '_':
            return true;
        default:
            return IsAsciiAlnum(static_cast<char>(c));
    }
}

std::string DecodeUrlEscapes(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int high = HexDigitValue(text[i + 1]);
            int low = HexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                decoded += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        decoded += text[i];
    }
    return decoded;
}

}  // namespace corvane::core
