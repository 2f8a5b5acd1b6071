#include "html/entities.h"

#include <cstring>

#include "html/chars.h"

namespace corvane::html {
namespace {

EntityMatch LookupNumeric(std::string_view reference, bool ranToEnd) {
    // "&#" and digits; the value is only needed modulo 256, which also keeps it from overflowing.
    std::size_t position = reference.size() > 1 && reference[1] == '#' ? 2 : 1;
    unsigned value = 0;
    while (position < reference.size() &&
           IsDigit(static_cast<unsigned char>(reference[position]))) {
        value = (value * 10 + static_cast<unsigned>(reference[position] - '0')) & 0xFFu;
        ++position;
    }
    return {static_cast<unsigned char>(value), ranToEnd ? position : reference.size()};
}

EntityMatch LookupNamed(std::string_view reference, bool ranToEnd) {
    const std::string_view text = reference.substr(1);
    for (const EntityRow& row : kEntityTable) {
        if (text.starts_with(row.name)) {
            return {row.code, ranToEnd ? 1 + row.name.size() : reference.size()};
        }
    }
    return {};
}

}  // namespace

EntityMatch LookupEntity(std::string_view reference, bool ranToEnd) {
    if (reference.size() < 2 || reference[0] != '&') return {};
    const auto first = static_cast<unsigned char>(reference[1]);
    if (first == '#' || IsDigit(first)) return LookupNumeric(reference, ranToEnd);
    if (IsLetter(first)) return LookupNamed(reference, ranToEnd);
    return {};
}

void ExpandEntities(std::string& text) {
    const std::size_t size = text.size();
    const char* found = static_cast<const char*>(std::memchr(text.data(), '&', size));
    if (found == nullptr) return;
    std::size_t read = static_cast<std::size_t>(found - text.data());
    std::size_t write = read;
    // The terminator after an '&' is the same for every '&' before it, so it is searched once
    // per stretch: expansion stays linear even in a long text full of ampersands.
    std::size_t terminator = 0;
    while (read < size) {
        const char c = text[read];
        const bool startsReference =
            c == '&' && read + 1 < size &&
            (IsLetter(static_cast<unsigned char>(text[read + 1])) || text[read + 1] == '#');
        if (!startsReference) {
            text[write++] = c;
            ++read;
            continue;
        }
        if (terminator <= read) {
            terminator = read + 1;
            while (terminator < size && text[terminator] != ';' &&
                   !IsSpace(static_cast<unsigned char>(text[terminator]))) {
                ++terminator;
            }
        }
        const bool ranToEnd = terminator == size;
        const std::string_view reference(text.data() + read, terminator - read);
        const EntityMatch match = LookupEntity(reference, ranToEnd);
        if (match.code == 0) {
            text[write++] = c;
            ++read;
            continue;
        }
        text[write++] = static_cast<char>(match.code);
        if (ranToEnd) {
            read += match.end;
        } else {
            // Letters between the name and the ';' go with the reference; white space stays text.
            read = terminator;
            if (text[terminator] == ';') ++read;
        }
    }
    text.resize(write);
}

}  // namespace corvane::html
