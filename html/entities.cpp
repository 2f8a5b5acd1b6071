#include "html/entities.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "html/chars.h"
#include "platform/utf8.h"

namespace corvane::html {
namespace {

constexpr char32_t kBeyondUnicode = 0x110000;

constexpr int HexValue(unsigned char c) {
    if (IsDigit(c)) return c - '0';
    const unsigned char lower = ToLower(c);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

char32_t NumericCharacter(char32_t value) {
    if (value >= 0x80 && value < 0xA0)
        return Windows1252ToUnicode(static_cast<unsigned char>(value));
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value >= kBeyondUnicode) {
        return kReplacementCharacter;
    }
    return value;
}

EntityMatch LookupNumeric(std::string_view reference, bool ranToEnd) {
    // "&#" and decimal digits, "&#x" and hexadecimal ones, or "&" and decimal digits.
    std::size_t position = reference.size() > 1 && reference[1] == '#' ? 2 : 1;
    const bool hex = position == 2 && reference.size() > 2 &&
                     ToLower(static_cast<unsigned char>(reference[2])) == 'x';
    if (hex) ++position;
    const std::size_t digits = position;
    char32_t value = 0;
    for (; position < reference.size(); ++position) {
        const auto c = static_cast<unsigned char>(reference[position]);
        const int digit = hex ? HexValue(c) : IsDigit(c) ? c - '0' : -1;
        if (digit < 0) break;
        // Anything past the last code point is as good as any other; this also keeps it small.
        value = std::min<char32_t>(value * (hex ? 16 : 10) + static_cast<char32_t>(digit),
                                   kBeyondUnicode);
    }
    if (position == digits) return {};
    return {NumericCharacter(value), ranToEnd ? position : reference.size()};
}

// Rows grouped by their first character, each group in table order, so a lookup only compares
// the names that can match and still finds the first matching row.
struct EntityIndex {
    std::array<std::uint16_t, kEntityTable.size()> rows{};
    std::array<std::uint16_t, 257> start{};  // rows of first character c: [start[c], start[c+1])
};

constexpr EntityIndex MakeEntityIndex() {
    // A counting sort by first character, which keeps table order inside each group.
    EntityIndex index;
    for (const EntityRow& row : kEntityTable)
        ++index.start[static_cast<unsigned char>(row.name[0]) + 1];
    for (std::size_t c = 1; c < index.start.size(); ++c) index.start[c] += index.start[c - 1];
    std::array<std::uint16_t, 256> next{};
    for (std::size_t c = 0; c < next.size(); ++c) next[c] = index.start[c];
    for (std::size_t row = 0; row < kEntityTable.size(); ++row) {
        index.rows[next[static_cast<unsigned char>(kEntityTable[row].name[0])]++] =
            static_cast<std::uint16_t>(row);
    }
    return index;
}

constexpr EntityIndex kEntityIndex = MakeEntityIndex();

EntityMatch LookupNamed(std::string_view reference, bool ranToEnd) {
    const std::string_view text = reference.substr(1);
    const auto first = static_cast<unsigned char>(text[0]);
    for (std::size_t i = kEntityIndex.start[first]; i < kEntityIndex.start[first + 1]; ++i) {
        const EntityRow& row = kEntityTable[kEntityIndex.rows[i]];
        if (text.size() >= row.name.size() &&
            std::equal(row.name.begin() + 1, row.name.end(), text.begin() + 1)) {
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
        write += EncodeUtf8(match.code, text.data() + write);
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
