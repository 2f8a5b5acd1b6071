#include "render/list_label.h"

#include <algorithm>

namespace corvane::render {

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

}  // namespace corvane::render
