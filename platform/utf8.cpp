#include "platform/utf8.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace corvane {
namespace {

// 0x80 to 0x9F. The five bytes Windows-1252 leaves undefined read as the control characters of
// the same number, as browsers read them: every byte stays a character of its own, so text
// converted to UTF-8 (and back, by the form encoder) loses nothing.
constexpr std::array<char16_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

std::size_t EncodeUtf8(char32_t codePoint, char* out) {
    if ((codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) {
        codePoint = kReplacementCharacter;
    }
    if (codePoint < 0x80) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<char>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 4;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    char bytes[4];
    out.append(bytes, EncodeUtf8(codePoint, bytes));
}

Utf8Sequence ScanUtf8(std::string_view text) {
    if (text.empty()) return {0, false, true};
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return {1, true, false};
    std::size_t length = 0;
    // The second byte's range excludes overlong forms, surrogates and values past U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {1, false, false};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i == text.size()) return {i, false, true};
        const auto byte = static_cast<unsigned char>(text[i]);
        if (i == 1 ? byte < low || byte > high : !IsContinuation(byte)) return {i, false, false};
    }
    return {length, true, false};
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const Utf8Sequence sequence = ScanUtf8(text.substr(i));
        if (!sequence.valid) return false;
        i += sequence.length;
    }
    return true;
}

char32_t DecodeUtf8(std::string_view text, std::size_t* length) {
    const Utf8Sequence sequence = ScanUtf8(text);
    *length = sequence.length;
    if (!sequence.valid) return kReplacementCharacter;
    const std::size_t size = sequence.length;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (size == 1) return lead;
    char32_t value = lead & (0x7F >> size);
    for (std::size_t i = 1; i < size; ++i) {
        value = (value << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    }
    return value;
}

bool IsWideCharacter(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

std::size_t DisplayColumns(std::string_view text) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size();) {
        // Eight ASCII bytes at a time: most text is ASCII, one column a byte.
        std::uint64_t word;
        if (i + sizeof word <= text.size() &&
            (std::memcpy(&word, text.data() + i, sizeof word), (word & 0x8080808080808080u) == 0)) {
            columns += sizeof word;
            i += sizeof word;
            continue;
        }
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++columns;
            ++i;
            continue;
        }
        std::size_t length = 0;
        columns += IsWideCharacter(DecodeUtf8(text.substr(i), &length)) ? 2 : 1;
        i += length;
    }
    return columns;
}

char32_t Windows1252ToUnicode(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
}

std::string DisplayUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string text;
    text.reserve(bytes.size() * 2);
    for (char byte : bytes)
        AppendUtf8(text, Windows1252ToUnicode(static_cast<unsigned char>(byte)));
    return text;
}

}  // namespace corvane
