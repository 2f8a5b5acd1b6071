#pragma once
// The label of a numbered list item: its number in the list's style and a full stop.

#include <cstdint>
#include <string>

namespace corvane::html {
class CHTMLNumberedItem;
}

namespace corvane::render {

// List styles as the list flag word stores them (bits 0x7000000).
enum class NumberStyle : std::uint32_t {
    kDecimal = 0,
    kUpperAlpha = 0x1000000,
    kLowerAlpha = 0x2000000,
    kUpperRoman = 0x3000000,
    kLowerRoman = 0x4000000,
};

// Decimal for the decimal and both Roman styles; bijective base-26 letters for the alphabetic
// ones, so 26 is "z." and 27 is "aa.".
std::string NumberLabel(NumberStyle style, std::int64_t number);

// The label layout shows for a numbered list item, which find searches too.
std::string ItemNumberLabel(const html::CHTMLNumberedItem& item);

}  // namespace corvane::render
