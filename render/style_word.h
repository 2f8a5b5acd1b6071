#pragma once
// The 16-bit style word every text element carries is also the key of the font table; its bits
// are the element model's.

#include <cstdint>

#include "html/style_stack.h"

namespace corvane::render {

using StyleWord = std::uint16_t;

using html::kStyleBlink;
using html::kStyleBold;
using html::kStyleFixed;
using html::kStyleFontSize;
using html::kStyleHeading;
using html::kStyleItalic;
using html::kStyleSizeMask;
using html::kStyleStrike;
using html::kStyleStrong;
using html::kStyleUnderline;

// Bold, heading or strong text: drawn heavier and underlined twice.
constexpr bool IsHeavy(StyleWord style) {
    return (style & (kStyleBold | kStyleHeading | kStyleStrong)) != 0;
}

}  // namespace corvane::render
