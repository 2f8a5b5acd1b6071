#include "protocols/quoted_printable_encoder.h"

namespace corvane::protocols {
namespace {

constexpr std::size_t kMaxLine = 998;
constexpr std::size_t kMaxEncodedLine = 76;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

}  // namespace

bool FitsSevenBit(std::string_view text) {
    std::size_t lineLength = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0 || byte > 127) return false;
        lineLength = IsLineEnd(c) ? 0 : lineLength + 1;
        if (lineLength > kMaxLine) return false;
    }
    return true;
}

void AppendQuotedPrintable(std::string_view text, std::string& out) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::size_t column = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (IsLineEnd(c)) {
            if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
            out += "\r\n";
            column = 0;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        const bool beforeLineEnd = at + 1 == text.size() || IsLineEnd(text[at + 1]);
        const bool literal = (byte >= 33 && byte <= 126 && byte != '=') ||
                             ((c == ' ' || c == '\t') && !beforeLineEnd);
        const std::size_t width = literal ? 1 : 3;
        // Room for the soft break's "=" unless this is the line's last character.
        const std::size_t limit = beforeLineEnd ? kMaxEncodedLine : kMaxEncodedLine - 1;
        if (column + width > limit) {
            out += "=\r\n";
            column = 0;
        }
        if (literal) {
            out += c;
        } else {
            out += '=';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
        column += width;
    }
}

}  // namespace corvane::protocols
