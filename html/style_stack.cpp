#include "html/style_stack.h"

#include <algorithm>

#include "html/tags.h"

namespace corvane::html {

StyleStack::Kind StyleStack::KindOf(std::uint32_t value) {
    if (IsListWord(value)) return kList;
    switch (value) {
        case tag::kB:
            return kBold;
        case tag::kI:
            return kItalic;
        case tag::kU:
            return kUnderline;
        case tag::kPre:
            return kFixed;
        case tag::kStrong:
            return kStrong;
        case tag::kStrike:
            return kStrike;
        case tag::kBlink:
            return kBlink;
        case tag::kFont:
            return kFont;
        case tag::kBasefont:
            return kBaseFont;
        case tag::kH1:
        case tag::kH2:
        case tag::kH3:
        case tag::kH4:
        case tag::kH5:
        case tag::kH6:
            return kHeading;
        default:
            return kNoKind;
    }
}

void StyleStack::Push(std::uint32_t value, int size) {
    const Kind kind = KindOf(value);
    const auto index = static_cast<std::uint32_t>(entries_.size());
    entries_.push_back({value, static_cast<std::int8_t>(size), false});
    if (kind == kNoKind) return;
    innermost_[kind].push_back(index);
    if (kind == kFont && size > 0) innermost_[kSizedFont].push_back(index);
}

// Entries leave their indexes innermost first, so the entry is the last of each.
void StyleStack::Unindex(std::size_t index) {
    const Entry& entry = entries_[index];
    const Kind kind = KindOf(entry.value);
    if (kind == kNoKind) return;
    innermost_[kind].pop_back();
    if (kind == kFont && entry.size > 0) innermost_[kSizedFont].pop_back();
}

void StyleStack::DropRemovedTop() {
    while (!entries_.empty() && entries_.back().removed) entries_.pop_back();
}

void StyleStack::Pop() {
    Unindex(entries_.size() - 1);
    entries_.pop_back();
    DropRemovedTop();
}

bool StyleStack::RemoveInnermost(std::uint32_t value) {
    const Kind kind = KindOf(value);
    if (kind == kNoKind) return false;
    const std::int64_t index = Innermost(kind);
    if (index < 0) return false;
    Unindex(static_cast<std::size_t>(index));
    entries_[static_cast<std::size_t>(index)].removed = true;
    DropRemovedTop();
    return true;
}

std::int64_t StyleStack::Innermost(Kind kind) const {
    return innermost_[kind].empty() ? -1 : static_cast<std::int64_t>(innermost_[kind].back());
}

std::uint32_t* StyleStack::InnermostList() {
    const std::int64_t index = Innermost(kList);
    return index < 0 ? nullptr : &entries_[static_cast<std::size_t>(index)].value;
}

void StyleStack::PopAboveInnermostList() {
    const std::int64_t index = Innermost(kList);
    if (index < 0) return;
    while (static_cast<std::int64_t>(entries_.size()) > index + 1) Pop();
}

std::uint32_t StyleStack::PopInnermostList() {
    const std::int64_t index = Innermost(kList);
    if (index < 0) return 0;
    const std::uint32_t word = entries_[static_cast<std::size_t>(index)].value;
    while (static_cast<std::int64_t>(entries_.size()) > index) Pop();
    return word;
}

std::uint16_t StyleStack::StyleWord() const {
    // Read from the top down: a heading ends the walk, so entries below it do not count.
    const std::int64_t heading = Innermost(kHeading);
    const auto above = [&](Kind kind) { return Innermost(kind) > heading; };
    std::uint16_t word = 0;
    if (above(kBold)) word |= kStyleBold;
    if (above(kItalic)) word |= kStyleItalic;
    if (above(kUnderline)) word |= kStyleUnderline;
    if (above(kFixed)) word |= kStyleFixed;
    if (above(kStrong)) word |= kStyleStrong;
    if (above(kStrike)) word |= kStyleStrike;
    if (above(kBlink)) word |= kStyleBlink;
    const std::int64_t font = Innermost(kSizedFont);
    const std::int64_t baseFont = Innermost(kBaseFont);
    const std::int64_t sizer = std::max(font, baseFont);
    const bool sized = sizer > heading;
    if (sized) {
        const auto size =
            static_cast<std::uint16_t>(entries_[static_cast<std::size_t>(sizer)].size);
        word |= sizer == font ? static_cast<std::uint16_t>(size | kStyleFontSize) : size;
    }
    if (heading >= 0) {
        word |= kStyleHeading;
        // H1 is size 6 down to H6 at size 1.
        const auto level = entries_[static_cast<std::size_t>(heading)].value - tag::kH1;
        if (!sized) word |= static_cast<std::uint16_t>(6 - level);
        word &= static_cast<std::uint16_t>(~(kStyleBold | kStyleStrong));
    }
    return word;
}

}  // namespace corvane::html
