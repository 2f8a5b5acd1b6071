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
#include <vector>

namespace corvane::platform {

struct ProfileEntry {
    std::string key;    // empty for a line kept verbatim
    std::string value;  // the value, or the verbatim line
};

struct ProfileSection {
    std::string name;
    std::vector<ProfileEntry> entries;
};

struct ProfileModel {
    std::vector<std::string> preamble;  // lines before the first section, kept verbatim
    std::vector<ProfileSection> sections;
};

enum class ProfileTextRole { kSection, kKey, kValue };

ProfileModel ParseProfile(std::string_view text);
std::string SerializeProfile(const ProfileModel& model);

std::string EncodeProfileText(std::string_view text, ProfileTextRole role);
std::string DecodeProfileText(std::string_view text);

}  // namespace corvane::platform
