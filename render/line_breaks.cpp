#include "render/line_breaks.h"

#include "platform/utf8.h"

namespace corvane::render {
namespace {

bool IsOneOf(char32_t c, std::u32string_view set) {
    return set.find(c) != std::u32string_view::npos;
}

// Punctuation that stays with the character before it: closing marks, and the small kana and
// prolonged sound mark that may not start a Japanese line.
bool StaysWithBefore(char32_t c) {
    return IsOneOf(c,
                   U",.;:!?)]}%'\"\u3001\u3002\uFF0C\uFF0E\uFF1A\uFF1B\uFF1F\uFF01\uFF09"
                   U"\u300D\u300F\u3011\u3015\u3009\u300B\u3017\u3019\u301F\uFF5D\uFF3D"
                   U"\uFF1E\u30FB\u30FC\u309D\u309E\u30FD\u30FE\u3041\u3043\u3045\u3047"
                   U"\u3049\u3063\u3083\u3085\u3087\u308E\u30A1\u30A3\u30A5\u30A7\u30A9"
                   U"\u30C3\u30E3\u30E5\u30E7\u30EE\u30F5\u30F6\u2019\u201D");
}

// Opening marks, which stay with the character after them.
bool StaysWithAfter(char32_t c) {
    return IsOneOf(c,
                   U"([{'\"\uFF08\u300C\u300E\u3010\u3014\u3008\u300A\u3016\u3018\u301D"
                   U"\uFF5B\uFF3B\uFF1C\u2018\u201C");
}

// Ideographs and Hangul syllables are no punctuation: most CJK text needs no search.
bool IsPunctuationCandidate(char32_t c) {
    return !((c >= 0x3400 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3));
}

bool BreaksBetween(char32_t before, char32_t after) {
    return (IsWideCharacter(before) || IsWideCharacter(after)) &&
           !(IsPunctuationCandidate(after) && StaysWithBefore(after)) &&
           !(IsPunctuationCandidate(before) && StaysWithAfter(before));
}

}  // namespace

std::size_t NextWordEnd(std::string_view text, std::size_t from) {
    char32_t previous = 0;
    bool previousWide = false;
    for (std::size_t i = from; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == ' ') return i + 1;
        if (byte < 0x80 && !previousWide) {
            // Between two ASCII characters only a space breaks.
            previous = byte;
            ++i;
            continue;
        }
        char32_t c = byte;
        std::size_t length = 1;
        if (byte >= 0x80) c = DecodeUtf8(text.substr(i), &length);
        if (i > from && BreaksBetween(previous, c)) return i;
        previous = c;
        previousWide = IsWideCharacter(c);
        i += length;
    }
    return text.size();
}

std::size_t LastWordStart(std::string_view text) {
    std::size_t start = 0;
    for (std::size_t end = NextWordEnd(text, 0); end < text.size(); end = NextWordEnd(text, end)) {
        start = end;
    }
    return start;
}

bool EndsInWideCharacter(std::string_view text) {
    std::size_t start = text.size();
    while (start > 0 && text.size() - start < 4 &&
           (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) {
        --start;
    }
    if (start == 0) return false;
    std::size_t length = 0;
    return IsWideCharacter(DecodeUtf8(text.substr(start - 1), &length));
}

}  // namespace corvane::render
