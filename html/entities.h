#pragma once
// Character entity references: the entity table (every HTML 4 name) and the in-place expansion of
// named and numeric references in a token's text into UTF-8.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::html {

struct EntityRow {
    std::string_view name;
    char16_t code;
};

// Searched in this order; the first name that is a prefix of the reference wins. Names are
// case-sensitive; of the Latin-1 names only the seven of the first rows have an upper-case
// spelling. The first 76 rows are the program's original ISO 8859-1 table; the rest of HTML 4
// (Latin-1, symbols and Greek, special characters) follows, a longer name before a name that is
// its prefix ("notin" before "not").
inline constexpr std::array<EntityRow, 259> kEntityTable{{
    {"lt", 60},       {"LT", 60},       {"gt", 62},        {"GT", 62},       {"amp", 38},
    {"AMP", 38},      {"quot", 34},     {"QUOT", 34},      {"nbsp", 160},    {"NBSP", 160},
    {"copy", 169},    {"COPY", 169},    {"reg", 174},      {"REG", 174},     {"AElig", 198},
    {"Aacute", 193},  {"Acirc", 194},   {"Agrave", 192},   {"Aring", 197},   {"Atilde", 195},
    {"Auml", 196},    {"Ccedil", 199},  {"ETH", 208},      {"Eacute", 201},  {"Ecirc", 202},
    {"Egrave", 200},  {"Euml", 203},    {"Iacute", 205},   {"Icirc", 206},   {"Igrave", 204},
    {"Iuml", 207},    {"Ntilde", 209},  {"Oacute", 211},   {"Ocirc", 212},   {"Ograve", 210},
    {"Oslash", 216},  {"Otilde", 213},  {"Ouml", 214},     {"THORN", 222},   {"Uacute", 218},
    {"Ucirc", 219},   {"Ugrave", 217},  {"Uuml", 220},     {"Yacute", 221},  {"aacute", 225},
    {"acirc", 226},   {"aelig", 230},   {"agrave", 224},   {"aring", 229},   {"atilde", 227},
    {"auml", 228},    {"ccedil", 231},  {"eacute", 233},   {"ecirc", 234},   {"egrave", 232},
    {"eth", 240},     {"euml", 235},    {"iacute", 237},   {"icirc", 238},   {"igrave", 236},
    {"iuml", 239},    {"ntilde", 241},  {"oacute", 243},   {"ocirc", 244},   {"ograve", 242},
    {"oslash", 248},  {"otilde", 245},  {"ouml", 246},     {"szlig", 223},   {"thorn", 254},
    {"uacute", 250},  {"ucirc", 251},   {"ugrave", 249},   {"uuml", 252},    {"yacute", 253},
    {"yuml", 255},    {"iexcl", 161},   {"cent", 162},     {"pound", 163},   {"curren", 164},
    {"yen", 165},     {"brvbar", 166},  {"sect", 167},     {"uml", 168},     {"ordf", 170},
    {"laquo", 171},   {"notin", 8713},  {"not", 172},      {"shy", 173},     {"macr", 175},
    {"deg", 176},     {"plusmn", 177},  {"sup2", 178},     {"sup3", 179},    {"acute", 180},
    {"micro", 181},   {"para", 182},    {"middot", 183},   {"cedil", 184},   {"sup1", 185},
    {"ordm", 186},    {"raquo", 187},   {"frac14", 188},   {"frac12", 189},  {"frac34", 190},
    {"iquest", 191},  {"times", 215},   {"divide", 247},   {"OElig", 338},   {"oelig", 339},
    {"Scaron", 352},  {"scaron", 353},  {"Yuml", 376},     {"fnof", 402},    {"circ", 710},
    {"tilde", 732},   {"Alpha", 913},   {"Beta", 914},     {"Gamma", 915},   {"Delta", 916},
    {"Epsilon", 917}, {"Zeta", 918},    {"Eta", 919},      {"Theta", 920},   {"Iota", 921},
    {"Kappa", 922},   {"Lambda", 923},  {"Mu", 924},       {"Nu", 925},      {"Xi", 926},
    {"Omicron", 927}, {"Pi", 928},      {"Rho", 929},      {"Sigma", 931},   {"Tau", 932},
    {"Upsilon", 933}, {"Phi", 934},     {"Chi", 935},      {"Psi", 936},     {"Omega", 937},
    {"alpha", 945},   {"beta", 946},    {"gamma", 947},    {"delta", 948},   {"epsilon", 949},
    {"zeta", 950},    {"eta", 951},     {"thetasym", 977}, {"theta", 952},   {"iota", 953},
    {"kappa", 954},   {"lambda", 955},  {"mu", 956},       {"nu", 957},      {"xi", 958},
    {"omicron", 959}, {"piv", 982},     {"pi", 960},       {"rho", 961},     {"sigmaf", 962},
    {"sigma", 963},   {"tau", 964},     {"upsilon", 965},  {"phi", 966},     {"chi", 967},
    {"psi", 968},     {"omega", 969},   {"upsih", 978},    {"ensp", 8194},   {"emsp", 8195},
    {"thinsp", 8201}, {"zwnj", 8204},   {"zwj", 8205},     {"lrm", 8206},    {"rlm", 8207},
    {"ndash", 8211},  {"mdash", 8212},  {"lsquo", 8216},   {"rsquo", 8217},  {"sbquo", 8218},
    {"ldquo", 8220},  {"rdquo", 8221},  {"bdquo", 8222},   {"dagger", 8224}, {"Dagger", 8225},
    {"bull", 8226},   {"hellip", 8230}, {"permil", 8240},  {"prime", 8242},  {"Prime", 8243},
    {"lsaquo", 8249}, {"rsaquo", 8250}, {"oline", 8254},   {"frasl", 8260},  {"euro", 8364},
    {"image", 8465},  {"weierp", 8472}, {"real", 8476},    {"trade", 8482},  {"alefsym", 8501},
    {"larr", 8592},   {"uarr", 8593},   {"rarr", 8594},    {"darr", 8595},   {"harr", 8596},
    {"crarr", 8629},  {"lArr", 8656},   {"uArr", 8657},    {"rArr", 8658},   {"dArr", 8659},
    {"hArr", 8660},   {"forall", 8704}, {"part", 8706},    {"exist", 8707},  {"empty", 8709},
    {"nabla", 8711},  {"isin", 8712},   {"ni", 8715},      {"prod", 8719},   {"sum", 8721},
    {"minus", 8722},  {"lowast", 8727}, {"radic", 8730},   {"prop", 8733},   {"infin", 8734},
    {"ang", 8736},    {"and", 8743},    {"or", 8744},      {"cap", 8745},    {"cup", 8746},
    {"int", 8747},    {"there4", 8756}, {"sim", 8764},     {"cong", 8773},   {"asymp", 8776},
    {"ne", 8800},     {"equiv", 8801},  {"le", 8804},      {"ge", 8805},     {"sube", 8838},
    {"sub", 8834},    {"supe", 8839},   {"sup", 8835},     {"nsub", 8836},   {"oplus", 8853},
    {"otimes", 8855}, {"perp", 8869},   {"sdot", 8901},    {"lceil", 8968},  {"rceil", 8969},
    {"lfloor", 8970}, {"rfloor", 8971}, {"lang", 9001},    {"rang", 9002},   {"loz", 9674},
    {"spades", 9824}, {"clubs", 9827},  {"hearts", 9829},  {"diams", 9830},
}};

namespace detail {
// First-prefix-wins equals exact matching only while no name is a prefix of a later one.
constexpr bool NoEntityShadowsALaterOne() {
    for (std::size_t i = 0; i < kEntityTable.size(); ++i) {
        for (std::size_t j = i + 1; j < kEntityTable.size(); ++j) {
            if (kEntityTable[j].name[0] == kEntityTable[i].name[0] &&
                kEntityTable[j].name.starts_with(kEntityTable[i].name)) {
                return false;
            }
        }
    }
    return true;
}
// Expansion works in place: every character's UTF-8 form must fit where its reference was.
constexpr bool EveryEntityFitsItsReference() {
    for (const EntityRow& row : kEntityTable) {
        const std::size_t utf8Length = row.code < 0x80 ? 1 : row.code < 0x800 ? 2 : 3;
        if (utf8Length > 1 + row.name.size()) return false;
    }
    return true;
}
}  // namespace detail
static_assert(detail::NoEntityShadowsALaterOne(), "an entity name hides a later, longer one");
static_assert(detail::EveryEntityFitsItsReference(), "an entity is longer than its reference");

struct EntityMatch {
    char32_t code = 0;    // 0: not recognised
    std::size_t end = 0;  // offset in the reference just after the part that was read
};

// `reference` runs from the '&' up to (not including) its terminator: ';', white space, or the
// end of the text when `ranToEnd` is set. A reference cut by the end of a text chunk only reads
// the entity name or the digits, so what follows them stays text.
EntityMatch LookupEntity(std::string_view reference, bool ranToEnd);

// Replaces every recognised reference in `text` by its character in UTF-8; the text only
// shrinks. Numeric references reach every code point (decimal, or hexadecimal after "&#x");
// 128 to 159 are read as the Windows-1252 characters old pages meant by them, and 0, surrogates
// and values beyond U+10FFFF give U+FFFD.
void ExpandEntities(std::string& text);

}  // namespace corvane::html
