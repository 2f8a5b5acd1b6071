#include "bookmarks/desktop_link.h"

namespace corvane::bookmarks {
namespace {

constexpr std::size_t kMaxStemBytes = 100;

std::string EscapeValue(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == ' ' && i == 0) {
            out += "\\s";
        } else if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace

std::string DesktopLinkText(std::string_view name, std::string_view url) {
    return "[Desktop Entry]\nVersion=1.0\nType=Link\nName=" + EscapeValue(name) +
           "\nURL=" + EscapeValue(url) + "\nIcon=text-html\n";
}

std::string DesktopLinkFileName(std::string_view name,
                                const std::function<bool(const std::string&)>& taken) {
    std::string stem;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        stem.push_back(c == '/' || byte < 0x20 || byte == 0x7f ? '_' : c);
    }
    if (stem.size() > kMaxStemBytes) {
        std::size_t cut = kMaxStemBytes;
        // Never split a UTF-8 sequence: back up over continuation bytes.
        while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xc0) == 0x80) --cut;
        stem.resize(cut);
    }
    if (stem.empty()) stem = "Bookmark";
    if (stem.front() == '.') stem.front() = '_';
    std::string candidate = stem + ".desktop";
    for (int n = 2; taken(candidate); ++n)
        candidate = stem + " (" + std::to_string(n) + ").desktop";
    return candidate;
}

}  // namespace corvane::bookmarks
