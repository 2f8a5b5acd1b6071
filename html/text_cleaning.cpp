#include "html/text_cleaning.h"

#include <algorithm>
#include <array>

namespace corvane::html {
namespace {

constexpr bool IsControl(unsigned char c) {
    return c < 32 || c == 127;
}

}  // namespace

void CollapseText(std::string_view text, std::string& result) {
    result.clear();
    const bool blank = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) <= 32; });
    if (blank) return;
    // Written through a pointer: this runs over every byte of every page.
    static constexpr auto kBlank = [] {
        std::array<bool, 256> table{};
        for (int c = 0; c < 256; ++c)
            table[c] = IsControl(static_cast<unsigned char>(c)) || c == ' ';
        return table;
    }();
    result.resize(text.size());
    char* out = result.data();
    bool afterBlank = false;
    for (const char c : text) {
        const bool isBlank = kBlank[static_cast<unsigned char>(c)];
        if (isBlank && afterBlank) continue;
        *out++ = isBlank ? ' ' : c;
        afterBlank = isBlank;
    }
    result.resize(static_cast<std::size_t>(out - result.data()));
}

void CleanPreformattedText(std::string_view text, std::string& result) {
    result.assign(text);
    for (char& c : result) {
        if (c == '\r') {
            c = '\n';
        } else if (c != '\n' && c != '\t' && IsControl(static_cast<unsigned char>(c))) {
            c = ' ';
        }
    }
}

std::string CleanTitle(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && static_cast<unsigned char>(text[start]) <= 32) ++start;
    text.remove_prefix(start);
    text = text.substr(0, std::min(text.find('\r'), text.find('\n')));
    std::string result(text);
    for (char& c : result) {
        if (IsControl(static_cast<unsigned char>(c))) c = ' ';
    }
    return result;
}

}  // namespace corvane::html
