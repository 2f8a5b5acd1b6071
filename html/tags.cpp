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

}  // namespace

int LookupTag(std::string_view text) {
    std::size_t length = 0;
    // "<br/>" names BR: the slash of an empty XML-style tag is not part of the name.
    while (length < text.size() && !IsSpace(static_cast<unsigned char>(text[length])) &&
           text[length] != '/')
        ++length;
    // A name longer than every row cannot match one; a shorter one is compared lower-cased,
    // which orders it against the rows exactly as a case-insensitive comparison would.
    constexpr std::size_t kLongest = LongestTagName();
    if (length == 0 || length > kLongest) return 0;
    char lowered[kLongest];
    for (std::size_t i = 0; i < length; ++i) {
        lowered[i] = static_cast<char>(ToLower(static_cast<unsigned char>(text[i])));
    }
    const std::string_view name(lowered, length);
    int low = 0;
    int high = static_cast<int>(kTagTable.size()) - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const int order = name.compare(kTagTable[middle].name);
        if (order == 0) return kTagTable[middle].number;
        if (order < 0) {
            high = middle - 1;
        } else {
            low = middle + 1;
        }
    }
    return 0;
}

}  // namespace corvane::html
