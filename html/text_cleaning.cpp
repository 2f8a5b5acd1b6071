#include "html/text_cleaning.h"

#include <algorithm>

namespace corvane::html {
namespace {

bool IsControl(unsigned char c) {
    return c < 32 || c == 127;
}

}  // namespace

void CollapseText(std::string_view text, std::string& result) {
    result.clear();
    const bool blank = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) <= 32; });
    if (blank) return;
    for (const char c : text) {
        const char mapped = IsControl(static_cast<unsigned char>(c)) ? ' ' : c;
        if (mapped == ' ' && !result.empty() && result.back() == ' ') continue;
        result.push_back(mapped);
    }
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
