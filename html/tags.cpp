#include "html/tags.h"

#include "html/chars.h"

namespace corvane::html {
namespace {

constexpr std::size_t LongestTagName() {
    std::size_t longest = 0;
    for (const TagRow& row : kTagTable)
        longest = row.name.size() > longest ? row.name.size() : longest;
    return longest;
}

constexpr std::size_t NameHash(std::string_view name) {
    std::size_t hash = name.size();
    for (const char c : name) hash = hash * 31 + static_cast<unsigned char>(c);
    return hash;
}

// Rows of the tag table by the hash of their name, open addressing: a tag is found in about one
// comparison (every start and end tag of a page is looked up).
constexpr std::size_t kSlots = 256;
constexpr auto kSlotRows = [] {
    std::array<int, kSlots> slots{};
    for (int& slot : slots) slot = -1;
    for (std::size_t row = 0; row < kTagTable.size(); ++row) {
        std::size_t slot = NameHash(kTagTable[row].name) % kSlots;
        while (slots[slot] >= 0) slot = (slot + 1) % kSlots;
        slots[slot] = static_cast<int>(row);
    }
    return slots;
}();
static_assert(kTagTable.size() * 2 < kSlots, "the tag hash needs free slots to end a probe");

}  // namespace

int LookupTag(std::string_view text) {
    std::size_t length = 0;
    // "<br/>" names BR: the slash of an empty XML-style tag is not part of the name.
    while (length < text.size() && !IsSpace(static_cast<unsigned char>(text[length])) &&
           text[length] != '/')
        ++length;
    // A name longer than every row cannot match one; a shorter one is compared lower-cased, as
    // the rows are written.
    constexpr std::size_t kLongest = LongestTagName();
    if (length == 0 || length > kLongest) return 0;
    char lowered[kLongest];
    for (std::size_t i = 0; i < length; ++i) {
        lowered[i] = static_cast<char>(ToLower(static_cast<unsigned char>(text[i])));
    }
    const std::string_view name(lowered, length);
    for (std::size_t slot = NameHash(name) % kSlots; kSlotRows[slot] >= 0;
         slot = (slot + 1) % kSlots) {
        const TagRow& row = kTagTable[kSlotRows[slot]];
        if (row.name == name) return row.number;
    }
    return 0;
}

}  // namespace corvane::html
