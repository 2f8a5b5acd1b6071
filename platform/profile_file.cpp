#include "platform/profile_file.h"

#include <algorithm>
#include <charconv>
#include <unordered_set>
#include <utility>

#include "platform/ascii.h"
#include "platform/whole_file.h"

namespace corvane::platform {
ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {
    Load();
}

void ProfileFile::Load() {
    std::string text;
    version_ = GetFileVersion(path_);
    std::error_code error = ReadWholeFile(path_, kMaxFileBytes, text);
    loaded_ = !error || error == std::errc::no_such_file_or_directory;
    model_ = loaded_ ? ParseProfile(text) : ProfileModel{};
}

bool ProfileFile::PrepareChange() {
    if (!dirty_ && !(GetFileVersion(path_) == version_)) Load();
    return loaded_;
}

bool ProfileFile::Commit() {
    dirty_ = true;
    if (WriteFileAtomically(path_, SerializeProfile(model_))) return false;
    dirty_ = false;
    version_ = GetFileVersion(path_);
    return true;
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const ProfileSection* found = FindProfileSection(model_, section);
    const ProfileEntry* entry = found ? FindProfileEntry(*found, key) : nullptr;
    return std::string(entry ? std::string_view(entry->value) : defaultValue);
}

int ProfileFile::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
    const ProfileSection* found = FindProfileSection(model_, section);
    const ProfileEntry* entry = found ? FindProfileEntry(*found, key) : nullptr;
    if (entry == nullptr) return defaultValue;
    std::string_view digits = entry->value;
    while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t')) {
        digits.remove_prefix(1);
    }
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    int value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    // As the profile service did: a value that is there but holds no number reads 0.
    return error == std::errc() ? value : 0;
}

bool ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
    if (key.empty() || !PrepareChange()) return false;
    ProfileSection& target = AddProfileSection(model_, section);
    if (ProfileEntry* entry = FindProfileEntry(target, key)) {
        if (entry->value == value) return Flush();
        entry->value = value;
    } else {
        AppendProfileEntry(target, {std::string(key), std::string(value)});
    }
    return Commit();
}

bool ProfileFile::WriteStrings(std::string_view section, const std::vector<std::string>& keys,
                               std::string_view value) {
    if (keys.empty()) return Flush();
    if (!PrepareChange()) return false;
    ProfileSection& target = AddProfileSection(model_, section);
    for (const std::string& key : keys) {
        if (key.empty()) continue;
        if (ProfileEntry* entry = FindProfileEntry(target, key)) {
            entry->value = value;
        } else {
            AppendProfileEntry(target, {key, std::string(value)});
        }
    }
    return Commit();
}

bool ProfileFile::DeleteKey(std::string_view section, std::string_view key) {
    if (!PrepareChange()) return false;
    ProfileSection* target = FindProfileSection(model_, section);
    if (target == nullptr || RemoveProfileEntries(*target, key) == 0) return Flush();
    return Commit();
}

bool ProfileFile::DeleteSection(std::string_view section) {
    if (!PrepareChange()) return false;
    return RemoveProfileSection(model_, section) ? Commit() : Flush();
}

std::vector<std::string> ProfileFile::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    const ProfileSection* found = FindProfileSection(model_, section);
    if (found == nullptr) return keys;
    std::unordered_set<std::string> seen;
    for (const ProfileEntry& entry : found->entries) {
        std::string folded = entry.key;
        for (char& c : folded) c = AsciiLowerChar(c);
        if (!entry.key.empty() && seen.insert(std::move(folded)).second) keys.push_back(entry.key);
    }
    return keys;
}

std::vector<std::string> ProfileFile::Sections() const {
    std::vector<std::string> names;
    for (const ProfileSection& section : model_.sections) names.push_back(section.name);
    return names;
}

bool ProfileFile::Flush() {
    return !dirty_ || Commit();
}

}  // namespace corvane::platform
