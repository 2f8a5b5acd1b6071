#include "platform/profile_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <unordered_set>
#include <utility>

#include "platform/ascii.h"
#include "platform/whole_file.h"

namespace corvane::platform {
namespace {

template <typename Section>
auto* FindEntry(Section& section, std::string_view key) {
    auto it = std::find_if(section.entries.begin(), section.entries.end(), [&](const auto& entry) {
        return !entry.key.empty() && EqualsIgnoreCase(entry.key, key);
    });
    return it == section.entries.end() ? nullptr : &*it;
}

}  // namespace

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {
    Load();
}

void ProfileFile::Load() {
    std::string text;
    version_ = CurrentDiskVersion();
    std::error_code error = ReadWholeFile(path_, kMaxFileBytes, text);
    loaded_ = !error || error == std::errc::no_such_file_or_directory;
    model_ = loaded_ ? ParseProfile(text) : ProfileModel{};
}

ProfileFile::DiskVersion ProfileFile::CurrentDiskVersion() const {
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0) return {};
    return {true, info.st_dev, info.st_ino, info.st_size,
            static_cast<long long>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

bool ProfileFile::PrepareChange() {
    if (!dirty_ && !(CurrentDiskVersion() == version_)) Load();
    return loaded_;
}

bool ProfileFile::Commit() {
    dirty_ = true;
    if (WriteFileAtomically(path_, SerializeProfile(model_))) return false;
    dirty_ = false;
    version_ = CurrentDiskVersion();
    return true;
}

ProfileSection* ProfileFile::FindSection(std::string_view name) {
    return const_cast<ProfileSection*>(std::as_const(*this).FindSection(name));
}

const ProfileSection* ProfileFile::FindSection(std::string_view name) const {
    for (const ProfileSection& section : model_.sections) {
        if (EqualsIgnoreCase(section.name, name)) return &section;
    }
    return nullptr;
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const ProfileSection* found = FindSection(section);
    const ProfileEntry* entry = found ? FindEntry(*found, key) : nullptr;
    return std::string(entry ? std::string_view(entry->value) : defaultValue);
}

int ProfileFile::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
    const ProfileSection* found = FindSection(section);
    const ProfileEntry* entry = found ? FindEntry(*found, key) : nullptr;
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
    ProfileSection* target = FindSection(section);
    if (target == nullptr) {
        target = &model_.sections.emplace_back(ProfileSection{std::string(section), {}});
    }
    if (ProfileEntry* entry = FindEntry(*target, key)) {
        if (entry->value == value) return Flush();
        entry->value = value;
    } else {
        target->entries.push_back({std::string(key), std::string(value)});
    }
    return Commit();
}

bool ProfileFile::DeleteKey(std::string_view section, std::string_view key) {
    if (!PrepareChange()) return false;
    ProfileSection* target = FindSection(section);
    if (target == nullptr) return Flush();
    std::size_t removed = std::erase_if(target->entries, [&](const ProfileEntry& entry) {
        return !entry.key.empty() && EqualsIgnoreCase(entry.key, key);
    });
    return removed == 0 ? Flush() : Commit();
}

bool ProfileFile::DeleteSection(std::string_view section) {
    if (!PrepareChange()) return false;
    std::size_t removed = std::erase_if(model_.sections, [&](const ProfileSection& candidate) {
        return EqualsIgnoreCase(candidate.name, section);
    });
    return removed == 0 ? Flush() : Commit();
}

std::vector<std::string> ProfileFile::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    const ProfileSection* found = FindSection(section);
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
