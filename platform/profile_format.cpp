#include "platform/profile_format.h"

#include "platform/ascii.h"

#include <utility>

namespace corvane::platform {
namespace {

// A value between a pair of the same quotes, as written by hand ("Home Page="http://x/""),
// reads without them.
bool IsQuoted(std::string_view text) {
    return text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
           text.back() == text.front();
}

bool NeedsHexEscape(std::string_view text, std::size_t i, ProfileTextRole role) {
    auto c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\t') || c == 0x7F) return true;
    if (IsAsciiBlank(text[i]) && (i == 0 || i + 1 == text.size())) return true;
    switch (role) {
        case ProfileTextRole::kSection:
            return c == ']';
        case ProfileTextRole::kKey:
            return c == '=' || (i == 0 && (c == '[' || c == ';' || c == '#'));
        case ProfileTextRole::kValue:
            // So a value of ours that starts and ends with a quote keeps both.
            return i == 0 && IsQuoted(text);
    }
    return false;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = AsciiLowerChar(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void AppendEntry(ProfileSection& section, std::string_view line) {
    std::size_t equals = line.find('=');
    std::string_view key =
        equals == std::string_view::npos ? "" : TrimAsciiBlanks(line.substr(0, equals));
    if (key.empty()) {
        AppendProfileEntry(section, {"", std::string(line)});
        return;
    }
    std::string_view value = TrimAsciiBlanks(line.substr(equals + 1));
    if (IsQuoted(value)) value = value.substr(1, value.size() - 2);
    AppendProfileEntry(section, {DecodeProfileText(key), DecodeProfileText(value)});
}

void IndexKeys(ProfileSection& section) {
    section.keyIndex.clear();
    for (std::size_t i = 0; i < section.entries.size(); ++i) {
        const std::string& key = section.entries[i].key;
        if (!key.empty()) section.keyIndex.try_emplace(AsciiLower(key), i);
    }
}

}  // namespace

const ProfileSection* FindProfileSection(const ProfileModel& model, std::string_view name) {
    const auto found = model.sectionIndex.find(AsciiLower(name));
    return found == model.sectionIndex.end() ? nullptr : &model.sections[found->second];
}

ProfileSection* FindProfileSection(ProfileModel& model, std::string_view name) {
    return const_cast<ProfileSection*>(FindProfileSection(std::as_const(model), name));
}

ProfileSection& AddProfileSection(ProfileModel& model, std::string_view name) {
    const auto [position, added] =
        model.sectionIndex.try_emplace(AsciiLower(name), model.sections.size());
    if (added) model.sections.push_back(ProfileSection{std::string(name), {}, {}});
    return model.sections[position->second];
}

bool RemoveProfileSection(ProfileModel& model, std::string_view name) {
    const auto found = model.sectionIndex.find(AsciiLower(name));
    if (found == model.sectionIndex.end()) return false;
    const std::size_t removed = found->second;
    model.sections.erase(model.sections.begin() + static_cast<std::ptrdiff_t>(removed));
    model.sectionIndex.erase(found);
    for (auto& [key, position] : model.sectionIndex) {
        if (position > removed) --position;
    }
    return true;
}

const ProfileEntry* FindProfileEntry(const ProfileSection& section, std::string_view key) {
    if (key.empty()) return nullptr;
    const auto found = section.keyIndex.find(AsciiLower(key));
    return found == section.keyIndex.end() ? nullptr : &section.entries[found->second];
}

ProfileEntry* FindProfileEntry(ProfileSection& section, std::string_view key) {
    return const_cast<ProfileEntry*>(FindProfileEntry(std::as_const(section), key));
}

void AppendProfileEntry(ProfileSection& section, ProfileEntry entry) {
    if (!entry.key.empty())
        section.keyIndex.try_emplace(AsciiLower(entry.key), section.entries.size());
    section.entries.push_back(std::move(entry));
}

std::size_t RemoveProfileEntries(ProfileSection& section, std::string_view key) {
    if (!FindProfileEntry(section, key)) return 0;
    const std::size_t removed = std::erase_if(section.entries, [&](const ProfileEntry& entry) {
        return !entry.key.empty() && EqualsIgnoreCase(entry.key, key);
    });
    IndexKeys(section);
    return removed;
}

std::string EncodeProfileText(std::string_view text, ProfileTextRole role) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (NeedsHexEscape(text, i, role)) {
            auto byte = static_cast<unsigned char>(c);
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::string DecodeProfileText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] != '\\' || next == '\0') {
            out += text[i];
        } else if (next == '\\' || next == 'r' || next == 'n') {
            out += next == 'r' ? '\r' : next == 'n' ? '\n' : '\\';
            ++i;
        } else if (next == 'x' && i + 3 < text.size() && HexDigitValue(text[i + 2]) >= 0 &&
                   HexDigitValue(text[i + 3]) >= 0) {
            out += static_cast<char>(HexDigitValue(text[i + 2]) * 16 + HexDigitValue(text[i + 3]));
            i += 3;
        } else {
            out += '\\';
        }
    }
    return out;
}

ProfileModel ParseProfile(std::string_view text) {
    ProfileModel model;
    ProfileSection* current = nullptr;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        std::string_view trimmed = TrimAsciiBlanks(line);
        if (trimmed.empty()) continue;
        std::size_t close = trimmed.find(']');
        if (trimmed.front() == '[' && close != std::string_view::npos) {
            current = &AddProfileSection(
                model, DecodeProfileText(TrimAsciiBlanks(trimmed.substr(1, close - 1))));
        } else if (current == nullptr) {
            model.preamble.emplace_back(line);
        } else if (trimmed.front() == ';' || trimmed.front() == '#') {
            AppendProfileEntry(*current, {"", std::string(line)});
        } else {
            AppendEntry(*current, line);
        }
    }
    return model;
}

std::string SerializeProfile(const ProfileModel& model) {
    std::string out;
    auto appendLine = [&out](std::string_view a, std::string_view b = "", std::string_view c = "") {
        out.append(a).append(b).append(c) += '\n';
    };
    for (const std::string& line : model.preamble) appendLine(line);
    for (const ProfileSection& section : model.sections) {
        appendLine("[", EncodeProfileText(section.name, ProfileTextRole::kSection), "]");
        for (const ProfileEntry& entry : section.entries) {
            if (entry.key.empty()) {
                appendLine(entry.value);
            } else {
                appendLine(EncodeProfileText(entry.key, ProfileTextRole::kKey), "=",
                           EncodeProfileText(entry.value, ProfileTextRole::kValue));
            }
        }
    }
    return out;
}

}  // namespace corvane::platform
