#pragma once
// The location bar's drop-down list of typed addresses: at most 20, most recent first, no two
// equal without regard to case. Stored in the section "URL List" under "TypedURL_1" (the most
// recent) to "TypedURL_20". The window mirrors this list in its combo box.

#include <string>
#include <string_view>
#include <vector>

#include "config/settings_section.h"

namespace corvane::config {

class TypedUrlList {
  public:
    static constexpr std::size_t kMaxEntries = keys::kTypedUrlCount;

    // Moves an address to the top, dropping an equal one (any case) or, when full, the oldest.
    void Remember(std::string_view url);

    // Appends the stored addresses up to the first empty key. An address that the location field
    // cannot hold (a control character in it, from a hand-edited file) stops the reading: false,
    // and the window says "Error Loading URL List...". The addresses before it are kept.
    bool Load(const CSettingsSection& urlList);
    // Writes the list from key 1 on. Keys past the list stay as they are: the list never holds
    // fewer entries than were loaded, so a later load still stops where it should. False when the
    // file could not be written ("Error Saving URL List...").
    bool Save(CSettingsSection& urlList) const;

    const std::vector<std::string>& Entries() const { return entries_; }

  private:
    std::vector<std::string> entries_;
};

}  // namespace corvane::config
