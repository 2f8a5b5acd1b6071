#include "html/attributes.h"

#include "html/chars.h"

namespace corvane::html {
namespace {

bool MatchesUpperAt(std::string_view text, std::size_t position, std::string_view word) {
    if (text.size() - position < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (ToUpper(static_cast<unsigned char>(text[position + i])) !=
            static_cast<unsigned char>(word[i])) {
            return false;
        }
    }
    return true;
}

bool MayPrecedeName(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '"';
}
bool MayFollowName(char c) {
    return c == '=' || c == ' ' || c == '\t';
}

// Offset just after the attribute's name, or npos.
std::size_t FindAttributeName(std::string_view text, std::string_view name) {
    bool inQuotes = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            inQuotes = !inQuotes;
            continue;
        }
        if (inQuotes || (i > 0 && !MayPrecedeName(text[i - 1]))) continue;
        if (!MatchesUpperAt(text, i, name)) continue;
        const std::size_t after = i + name.size();
        if (after == text.size() || MayFollowName(text[after])) return after;
    }
    return std::string_view::npos;
}

std::size_t SkipSpaces(std::string_view text, std::size_t position) {
    while (position < text.size() && IsSpace(static_cast<unsigned char>(text[position]))) {
        ++position;
    }
    return position;
}

}  // namespace

std::optional<std::string> GetAttribute(std::string_view tagText, std::string_view name) {
    if (name.empty()) return std::nullopt;
    std::size_t position = FindAttributeName(tagText, name);
    if (position == std::string_view::npos) return std::nullopt;
    position = SkipSpaces(tagText, position);
    if (position == tagText.size() || tagText[position] != '=') return std::string();
    position = SkipSpaces(tagText, position + 1);
    std::size_t end = position;
    if (position < tagText.size() && tagText[position] == '"') {
        ++position;
        end = tagText.find('"', position);
        if (end == std::string_view::npos) end = tagText.size();
    } else {
        while (end < tagText.size() && !IsSpace(static_cast<unsigned char>(tagText[end]))) ++end;
    }
    std::string value;
    value.reserve(end - position);
    for (std::size_t i = position; i < end; ++i) {
        if (static_cast<unsigned char>(tagText[i]) >= 32) value.push_back(tagText[i]);
    }
    return value;
}

bool GetAttribute(std::string_view tagText, std::string_view name, std::string& value) {
    std::optional<std::string> found = GetAttribute(tagText, name);
    if (!found || found->empty()) return false;
    value = std::move(*found);
    return true;
}

bool TagTextContains(std::string_view tagText, std::string_view word) {
    if (word.empty()) return true;
    for (std::size_t i = 0; i + word.size() <= tagText.size(); ++i) {
        if (MatchesUpperAt(tagText, i, word)) return true;
    }
    return false;
}

}  // namespace corvane::html
