#pragma once
// The text form of profile files: "[Section]" lines, each followed by "key=value" lines.
//
// Reading is tolerant: a line that is neither a section header nor a key line (a comment, a
// fragment, binary junk) is kept verbatim and written back unchanged, so a hand-edited file keeps
// its comments. White space around names and values is dropped, as Windows profile files do; a
// header that repeats an earlier section (in any case) continues that section.
//
// Names and values may come from the network (URLs, realm names, subjects), so they are escaped
// when written and never split a line or start a new section or key: a backslash is written as
// "\\", CR and LF as "\r" and "\n", other control bytes as "\xHH"; in a key "=" and a leading "[",
// ";" or "#", in a section name "]", and in every text a leading or trailing blank are written as
// "\xHH" too. Reading undoes exactly these escapes; any other backslash is kept as it stands.
// As with Windows, a value between a pair of double or single quotes (written by hand) reads
// without them; a value of ours that starts and ends with the same quote has its first one
// written as "\xHH", so every value reads back exactly as it was written.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane::platform {

struct ProfileEntry {
    std::string key;    // empty for a line kept verbatim
    std::string value;  // the value, or the verbatim line
};

// Sections and keys are found by hash (a settings file may hold hundreds of thousands), so change
// them only through the functions below, which keep the indexes right.
struct ProfileSection {
    std::string name;
    std::vector<ProfileEntry> entries;
    // Lower-cased key to the position of its first entry.
    std::unordered_map<std::string, std::size_t> keyIndex;
};

struct ProfileModel {
    std::vector<std::string> preamble;  // lines before the first section, kept verbatim
    std::vector<ProfileSection> sections;
    // Lower-cased name to the position of the section.
    std::unordered_map<std::string, std::size_t> sectionIndex;
};

// Names are matched without regard to ASCII case.
const ProfileSection* FindProfileSection(const ProfileModel& model, std::string_view name);
ProfileSection* FindProfileSection(ProfileModel& model, std::string_view name);
// The section of that name, appended when there is none.
ProfileSection& AddProfileSection(ProfileModel& model, std::string_view name);
// True when a section was removed.
bool RemoveProfileSection(ProfileModel& model, std::string_view name);

// The first entry of the key; an empty key never matches (verbatim lines have none).
const ProfileEntry* FindProfileEntry(const ProfileSection& section, std::string_view key);
ProfileEntry* FindProfileEntry(ProfileSection& section, std::string_view key);
void AppendProfileEntry(ProfileSection& section, ProfileEntry entry);
// Removes every entry of the key; answers how many.
std::size_t RemoveProfileEntries(ProfileSection& section, std::string_view key);

enum class ProfileTextRole { kSection, kKey, kValue };

ProfileModel ParseProfile(std::string_view text);
std::string SerializeProfile(const ProfileModel& model);

std::string EncodeProfileText(std::string_view text, ProfileTextRole role);
std::string DecodeProfileText(std::string_view text);

}  // namespace corvane::platform
