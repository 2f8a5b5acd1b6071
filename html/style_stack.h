#pragma once
// The builder's stack of open character and block styles and lists, and the style word that a
// text element takes from it.
//
// Entries are tag numbers (B, I, FONT, H1 ...), list flag words and the DT/DD markers. FONT and
// BASEFONT entries carry their size with them. Every operation is constant time, amortised: an
// end tag finds its innermost entry through a per-kind index instead of walking the stack, and
// the style word reads the top of each index, so a hundred thousand open tags cost no more per
// token than three.

#include <array>
#include <cstdint>
#include <vector>

namespace corvane::html {

// List flag words.
inline constexpr std::uint32_t kListBulleted = 0x8000000;
inline constexpr std::uint32_t kListNumbered = 0x800000;
inline constexpr std::uint32_t kListNumberMask = 0x7FFFFF;  // the current number, capped
inline constexpr std::uint32_t kListStyleMask = 0x7000000;
inline constexpr std::uint32_t kListDefinition = 0x40000000;
inline constexpr std::uint32_t kListCompact = 0x80000000;
inline constexpr std::uint32_t kMarkerDd = 0x10000000;
inline constexpr std::uint32_t kMarkerDt = 0x20000000;
// Bulleted styles.
inline constexpr std::uint32_t kBulletStyleSquare = 0x1000000;
inline constexpr std::uint32_t kBulletStyleDisc = 0x2000000;
inline constexpr std::uint32_t kBulletStyleCircle = 0x3000000;
// Numbered styles ("A", "a", "I", "i"); none is decimal.
inline constexpr std::uint32_t kNumberStyleUpperAlpha = 0x1000000;
inline constexpr std::uint32_t kNumberStyleLowerAlpha = 0x2000000;
inline constexpr std::uint32_t kNumberStyleUpperRoman = 0x3000000;
inline constexpr std::uint32_t kNumberStyleLowerRoman = 0x4000000;

constexpr bool IsListWord(std::uint32_t value) {
    return (value & (kListBulleted | kListNumbered | kListDefinition)) != 0;
}

// Style word bits.
inline constexpr std::uint16_t kStyleSizeMask = 0x7;
inline constexpr std::uint16_t kStyleFontSize = 0x8;
inline constexpr std::uint16_t kStyleBold = 0x20;
inline constexpr std::uint16_t kStyleItalic = 0x40;
inline constexpr std::uint16_t kStyleUnderline = 0x80;
inline constexpr std::uint16_t kStyleFixed = 0x200;
inline constexpr std::uint16_t kStyleHeading = 0x400;
inline constexpr std::uint16_t kStyleStrong = 0x1000;
inline constexpr std::uint16_t kStyleStrike = 0x2000;
inline constexpr std::uint16_t kStyleBlink = 0x8000;

class StyleStack {
  public:
    // `size`: for FONT the size 1 to 7 (0 when SIZE was missing or unusable); for BASEFONT its
    // stored number. Ignored for other entries.
    void Push(std::uint32_t value, int size = 0);
    bool Empty() const { return entries_.empty(); }
    std::size_t Size() const { return entries_.size(); }
    // The top entry's value; the stack must not be empty.
    std::uint32_t Top() const { return entries_.back().value; }
    void Pop();
    // Removes the innermost entry of the same kind as `value` (for headings: any heading).
    // False when there is none, or when `value` is not a style (those only leave from the top).
    bool RemoveInnermost(std::uint32_t value);
    // The innermost list flag word, or nullptr. Writable: LI advances the number in it.
    std::uint32_t* InnermostList();
    // Pops every entry above the innermost list word; nothing when there is no list.
    void PopAboveInnermostList();
    // Pops up to and including the innermost list word and returns that word (0 if none).
    std::uint32_t PopInnermostList();

    std::uint16_t StyleWord() const;

  private:
    enum Kind : int {
        kBold,
        kItalic,
        kUnderline,
        kFixed,
        kStrong,
        kStrike,
        kBlink,
        kFont,
        kSizedFont,
        kBaseFont,
        kHeading,
        kList,
        kKindCount,
        kNoKind = kKindCount,
    };
    struct Entry {
        std::uint32_t value;
        std::int8_t size;
        bool removed;
    };

    static Kind KindOf(std::uint32_t value);
    void Unindex(std::size_t index);
    void DropRemovedTop();
    // Index of the innermost entry of the kind, or -1.
    std::int64_t Innermost(Kind kind) const;

    std::vector<Entry> entries_;
    std::array<std::vector<std::uint32_t>, kKindCount> innermost_;
};

}  // namespace corvane::html
