#include "html/mime_text.h"

#include <optional>

#include "core/url_escapes.h"
#include "html/charset_decoder.h"
#include "platform/ascii.h"

namespace corvane::html {
namespace {

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::string DecodeQ(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_') {
            out.push_back(' ');
        } else if (text[i] == '=' && i + 2 < text.size() && core::HexDigitValue(text[i + 1]) >= 0 &&
                   core::HexDigitValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(core::HexDigitValue(text[i + 1]) * 16 +
                                            core::HexDigitValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

struct EncodedWord {
    std::size_t length = 0;  // of the whole "=?...?=" form
    std::string utf8;
};

// The encoded word at the start of text, if there is one.
std::optional<EncodedWord> ReadEncodedWord(std::string_view text) {
    if (!text.starts_with("=?")) return std::nullopt;
    const std::size_t charsetEnd = text.find('?', 2);
    if (charsetEnd == std::string_view::npos || charsetEnd + 2 >= text.size() ||
        text[charsetEnd + 2] != '?')
        return std::nullopt;
    const std::size_t end = text.find("?=", charsetEnd + 3);
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view charset = text.substr(2, charsetEnd - 2);
    charset = charset.substr(0, charset.find('*'));  // a language suffix
    const char encoding = AsciiLowerChar(text[charsetEnd + 1]);
    const std::string_view payload = text.substr(charsetEnd + 3, end - charsetEnd - 3);
    if (encoding != 'b' && encoding != 'q') return std::nullopt;
    const std::string bytes = encoding == 'b' ? DecodeBase64(payload) : DecodeQ(payload);
    return EncodedWord{end + 2, ToUtf8(bytes, charset)};
}

}  // namespace

std::string DecodeBase64(std::string_view text) {
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        const int value = Base64Value(c);
        if (value < 0) continue;
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<char>((bits >> count) & 0xFF));
        }
    }
    return out;
}

std::string DecodeQuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t spaces = 0;  // spaces and tabs written since the last other byte
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out.resize(out.size() - spaces);  // spaces at a line end were added in transport
            spaces = 0;
            out.push_back(c);
            continue;
        }
        if (c == '=') {
            std::size_t next = i + 1;
            while (next < text.size() && (text[next] == ' ' || text[next] == '\t')) ++next;
            if (next == text.size() || text[next] == '\r' || text[next] == '\n') {
                // A soft line break: the line goes on after it.
                if (next < text.size() && text[next] == '\r') ++next;
                if (next < text.size() && text[next] == '\n') ++next;
                i = next - 1;
                spaces = 0;
                continue;
            }
            if (i + 2 < text.size() && core::HexDigitValue(text[i + 1]) >= 0 &&
                core::HexDigitValue(text[i + 2]) >= 0) {
                out.push_back(static_cast<char>(core::HexDigitValue(text[i + 1]) * 16 +
                                                core::HexDigitValue(text[i + 2])));
                i += 2;
                spaces = 0;
                continue;
            }
        }
        out.push_back(c);
        spaces = c == ' ' || c == '\t' ? spaces + 1 : 0;
    }
    out.resize(out.size() - spaces);
    return out;
}

std::string ToUtf8(std::string_view bytes, std::string_view charset) {
    html::CharsetDecoder decoder(charset, false);
    std::string out;
    decoder.Decode(bytes, out);
    decoder.Finish(out);
    return out;
}

std::string DecodeHeaderText(std::string_view text, std::string_view charset) {
    std::string out;
    std::size_t plainStart = 0;
    std::size_t at = 0;
    bool afterWord = false;  // only white space since the last encoded word
    while (at < text.size()) {
        const std::size_t next = text.find("=?", at);
        if (next == std::string_view::npos) break;
        const std::optional<EncodedWord> word = ReadEncodedWord(text.substr(next));
        if (!word) {
            at = next + 2;
            continue;
        }
        const std::string_view between = text.substr(plainStart, next - plainStart);
        const bool onlySpace = between.find_first_not_of(" \t\r\n") == std::string_view::npos;
        if (!(afterWord && onlySpace)) out += ToUtf8(between, charset);
        out += word->utf8;
        at = plainStart = next + word->length;
        afterWord = true;
    }
    out += ToUtf8(text.substr(plainStart), charset);
    return out;
}

}  // namespace corvane::html
