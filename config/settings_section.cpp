#include "config/settings_section.h"

#include <map>
#include <memory>

#include "platform/profile_file.h"

namespace corvane::config {
namespace {

// One profile-file object per settings file for the whole run, as the profile service wants.
platform::ProfileFile& StoreFile(const std::string& path) {
    static std::map<std::string, std::unique_ptr<platform::ProfileFile>> files;
    std::unique_ptr<platform::ProfileFile>& file = files[path];
    if (!file) file = std::make_unique<platform::ProfileFile>(path);
    return *file;
}

}  // namespace

CSettingsSection::CSettingsSection(std::string profileFile, std::string_view section)
    : section_(section), profileFile_(std::move(profileFile)) {}

int CSettingsSection::GetInt(std::string_view key, int defaultValue) const {
    return StoreFile(profileFile_).ReadInt(section_, key, defaultValue);
}

std::string CSettingsSection::GetString(std::string_view key, std::string_view defaultValue) const {
    return StoreFile(profileFile_).ReadString(section_, key, defaultValue);
}

bool CSettingsSection::WriteInt(std::string_view key, int value) {
    return WriteString(key, std::to_string(value));
}

bool CSettingsSection::WriteString(std::string_view key, std::string_view value) {
    changed_ = true;
    return StoreFile(profileFile_).WriteString(section_, key, value);
}

bool CSettingsSection::DeleteKey(std::string_view key) {
    changed_ = true;
    return StoreFile(profileFile_).DeleteKey(section_, key);
}

}  // namespace corvane::config
