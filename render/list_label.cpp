#include "render/list_label.h"

#include <algorithm>

#include "html/element.h"

namespace corvane::render {
namespace {

NumberStyle ToNumberStyle(html::NumberStyle style) {
    switch (style) {
        case html::kNumberUpperAlpha:
            return NumberStyle::kUpperAlpha;
        case html::kNumberLowerAlpha:
            return NumberStyle::kLowerAlpha;
        case html::kNumberUpperRoman:
            return NumberStyle::kUpperRoman;
        case html::kNumberLowerRoman:
            return NumberStyle::kLowerRoman;
        case html::kNumberDecimal:
            break;
    }
    return NumberStyle::kDecimal;
}

}  // namespace

std::string NumberLabel(NumberStyle style, std::int64_t number) {
    const bool alphabetic = style == NumberStyle::kLowerAlpha || style == NumberStyle::kUpperAlpha;
    if (!alphabetic || number < 1) return std::to_string(number) + ".";
    const char first = style == NumberStyle::kUpperAlpha ? 'A' : 'a';
    std::string letters;
    while (number > 0) {
        --number;
        letters += static_cast<char>(first + number % 26);
        number /= 26;
    }
    std::reverse(letters.begin(), letters.end());
    return letters + ".";
}

std::string ItemNumberLabel(const html::CHTMLNumberedItem& item) {
    return NumberLabel(ToNumberStyle(item.numberStyle), item.number);
}

}  // namespace corvane::render
