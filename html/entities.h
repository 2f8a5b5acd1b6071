#pragma once
// Character entity references: the ISO 8859-1 entity table and the in-place expansion of
// references in a token's text.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::html {

struct EntityRow {
    std::string_view name;
    unsigned char code;
};

// Searched in this order; the first name that is a prefix of the reference wins. Names are
// case-sensitive; only the seven entities of the first rows have an upper-case spelling.
inline constexpr std::array<EntityRow, 76> kEntityTable{{
    {"lt", 60},      {"LT", 60},      {"gt", 62},      {"GT", 62},      {"amp", 38},
    {"AMP", 38},     {"quot", 34},    {"QUOT", 34},    {"nbsp", 160},   {"NBSP", 160},
    {"copy", 169},   {"COPY", 169},   {"reg", 174},    {"REG", 174},    {"AElig", 198},
    {"Aacute", 193}, {"Acirc", 194},  {"Agrave", 192}, {"Aring", 197},  {"Atilde", 195},
    {"Auml", 196},   {"Ccedil", 199}, {"ETH", 208},    {"Eacute", 201}, {"Ecirc", 202},
    {"Egrave", 200}, {"Euml", 203},   {"Iacute", 205}, {"Icirc", 206},  {"Igrave", 204},
    {"Iuml", 207},   {"Ntilde", 209}, {"Oacute", 211}, {"Ocirc", 212},  {"Ograve", 210},
    {"Oslash", 216}, {"Otilde", 213}, {"Ouml", 214},   {"THORN", 222},  {"Uacute", 218},
    {"Ucirc", 219},  {"Ugrave", 217}, {"Uuml", 220},   {"Yacute", 221}, {"aacute", 225},
    {"acirc", 226},  {"aelig", 230},  {"agrave", 224}, {"aring", 229},  {"atilde", 227},
    {"auml", 228},   {"ccedil", 231}, {"eacute", 233}, {"ecirc", 234},  {"egrave", 232},
    {"eth", 240},    {"euml", 235},   {"iacute", 237}, {"icirc", 238},  {"igrave", 236},
    {"iuml", 239},   {"ntilde", 241}, {"oacute", 243}, {"ocirc", 244},  {"ograve", 242},
    {"oslash", 248}, {"otilde", 245}, {"ouml", 246},   {"szlig", 223},  {"thorn", 254},
    {"uacute", 250}, {"ucirc", 251},  {"ugrave", 249}, {"uuml", 252},   {"yacute", 253},
    {"yuml", 255},
}};

namespace detail {
// First-prefix-wins equals exact matching only while no name is a prefix of a later one.
constexpr bool NoEntityShadowsALaterOne() {
    for (std::size_t i = 0; i < kEntityTable.size(); ++i) {
        for (std::size_t j = i + 1; j < kEntityTable.size(); ++j) {
            if (kEntityTable[j].name.starts_with(kEntityTable[i].name)) return false;
        }
    }
    return true;
}
}  // namespace detail
static_assert(detail::NoEntityShadowsALaterOne(), "an entity name hides a later, longer one");

struct EntityMatch {
    unsigned char code = 0;  // 0: not recognised
    std::size_t end = 0;     // offset in the reference just after the part that was read
};

// `reference` runs from the '&' up to (not including) its terminator: ';', white space, or the
// end of the text when `ranToEnd` is set. A reference cut by the end of a text chunk only reads
// the entity name or the digits, so what follows them stays text.
EntityMatch LookupEntity(std::string_view reference, bool ranToEnd);

// Replaces every recognised reference in `text` by its character; the text only shrinks.
void ExpandEntities(std::string& text);

}  // namespace corvane::html
