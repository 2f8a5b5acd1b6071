#pragma once
// The accessor through which every part of the program reads and writes one section of the
// settings store: the profile file "ovalon.ini" in the profile directory. Sections and keys match
// without regard to case, integers are stored as decimal text, and every write replaces the file
// atomically, so a crash never leaves a half-written settings file. A missing value, or a file
// that cannot be read, yields the default.

#include <string>
#include <string_view>
#include <vector>

#include "config/settings_keys.h"

namespace corvane::config {

class CSettingsSection {
  public:
    CSettingsSection(std::string profileFile, std::string_view section);

    int GetInt(std::string_view key, int defaultValue) const;
    std::string GetString(std::string_view key, std::string_view defaultValue) const;

    // Answer false when the file could not be rewritten; the old file is then untouched.
    bool WriteInt(std::string_view key, int value);
    bool WriteString(std::string_view key, std::string_view value);
    // Removes the key (every copy); false when the file could not be rewritten.
    bool DeleteKey(std::string_view key);
    // The section's key names in file order.
    std::vector<std::string> Keys() const;

    int Get(const IntKey& key) const { return GetInt(key.key, key.defaultValue); }
    std::string Get(const StringKey& key) const { return GetString(key.key, key.defaultValue); }

    const std::string& Name() const { return section_; }
    // Set by every write.
    bool Changed() const { return changed_; }

  private:
    std::string section_;
    std::string profileFile_;
    bool changed_ = false;
};

}  // namespace corvane::config
