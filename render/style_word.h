#pragma once
// Bits of the 16-bit style word every text element carries, also the key of the font table.

#include <cstdint>

namespace corvane::render {

using StyleWord = std::uint16_t;

inline constexpr StyleWord kStyleSizeMask = 0x7;   // size 1 to 7
inline constexpr StyleWord kStyleSizeGiven = 0x8;  // size came from FONT
inline constexpr StyleWord kStyleBold = 0x20;
inline constexpr StyleWord kStyleItalic = 0x40;
inline constexpr StyleWord kStyleUnderline = 0x80;
inline constexpr StyleWord kStyleFixedPitch = 0x200;
inline constexpr StyleWord kStyleHeading = 0x400;
inline constexpr StyleWord kStyleStrong = 0x1000;
inline constexpr StyleWord kStyleStrike = 0x2000;
inline constexpr StyleWord kStyleBlink = 0x8000;

// Bold, heading or strong text: drawn heavier and underlined twice.
constexpr bool IsHeavy(StyleWord style) {
    return (style & (kStyleBold | kStyleHeading | kStyleStrong)) != 0;
}

}  // namespace corvane::render
