#include "html/tags.h"

#include "html/chars.h"

namespace corvane::html {
namespace {

// Orders the name against a row the way the table is sorted: case-insensitively for the name,
// and a name that is a proper prefix of the row sorts before it.
int CompareWithRow(std::string_view name, std::string_view row) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (i == row.size()) return 1;
        const unsigned char a = ToLower(static_cast<unsigned char>(name[i]));
        const unsigned char b = static_cast<unsigned char>(row[i]);
        if (a != b) return a < b ? -1 : 1;
    }
    return name.size() == row.size() ? 0 : -1;
}

}  // namespace

int LookupTag(std::string_view text) {
    std::size_t length = 0;
    while (length < text.size() && !IsSpace(static_cast<unsigned char>(text[length]))) ++length;
    if (length == 0) return 0;
    const std::string_view name = text.substr(0, length);
    int low = 0;
    int high = static_cast<int>(kTagTable.size()) - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const int order = CompareWithRow(name, kTagTable[middle].name);
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
