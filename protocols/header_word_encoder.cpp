#include "protocols/header_word_encoder.h"

#include "protocols/http_message.h"

namespace corvane::protocols {
namespace {

// Longer ASCII values are encoded too, as the words fold where plain text might not.
constexpr std::size_t kMaxPlainLength = 900;
// "=?UTF-8?B?" + "?=" around at most 45 bytes (60 base64 characters): 72 characters.
constexpr std::size_t kBytesPerWord = 45;

bool IsPlainAscii(std::string_view text) {
    if (text.size() > kMaxPlainLength) return false;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte > 126) return false;
    }
    // "=?" could be read as the start of an encoded word.
    return text.find("=?") == std::string_view::npos;
}

// The length of the UTF-8 sequence starting with `lead` (1 for stray bytes).
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

}  // namespace

std::string EncodeHeaderText(std::string_view text) {
    if (IsPlainAscii(text)) return std::string(text);
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = at;
        while (end < text.size()) {
            const std::size_t next =
                std::min(text.size(), end + SequenceLength(static_cast<unsigned char>(text[end])));
            if (next - at > kBytesPerWord) break;
            end = next;
        }
        if (!out.empty()) out += "\r\n ";
        out += "=?UTF-8?B?" + Base64(text.substr(at, end - at)) + "?=";
        at = end;
    }
    return out;
}

std::string FormatAddress(std::string_view name, std::string_view address) {
    if (name.empty()) return std::string(address);
    std::string shown;
    if (!IsPlainAscii(name)) {
        shown = EncodeHeaderText(name);
    } else if (name.find_first_of("()<>[]:;@\\,.\"") == std::string_view::npos) {
        shown = name;
    } else {
        shown = "\"";
        for (const char c : name) {
            if (c == '"' || c == '\\') shown += '\\';
            shown += c;
        }
        shown += '"';
    }
    return shown + " <" + std::string(address) + ">";
}

}  // namespace corvane::protocols
