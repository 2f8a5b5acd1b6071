// Profile files are read from disk where anything may have been written into them. Parsing must
// never crash, and what the parser makes of a file must survive being written and read back:
// the first rewrite may normalise the text, after that it is stable. The tail of the input also
// serves as a name/value triple that must round-trip through the escapes unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/profile_format.h"

using namespace corvane::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string once = SerializeProfile(ParseProfile(text));
    std::string twice = SerializeProfile(ParseProfile(once));
    if (once != twice) std::abort();

    std::size_t third = size / 3;
    std::string_view parts[3] = {text.substr(0, third), text.substr(third, third),
                                 text.substr(2 * third)};
    if (parts[1].empty()) return 0;
    ProfileModel model;
    AppendProfileEntry(AddProfileSection(model, parts[0]),
                       {std::string(parts[1]), std::string(parts[2])});
    ProfileModel reread = ParseProfile(SerializeProfile(model));
    if (reread.sections.size() != 1 || reread.sections[0].entries.size() != 1 ||
        reread.sections[0].name != parts[0] || reread.sections[0].entries[0].key != parts[1] ||
        reread.sections[0].entries[0].value != parts[2]) {
        std::abort();
    }
    return 0;
}
