#pragma once
// Where a line of UTF-8 text may be broken: after a space, and between ideographic characters
// (CJK text has no spaces), though not before closing punctuation or after opening brackets.
// A break never falls inside a character.

#include <cstddef>
#include <string_view>

namespace corvane::render {

// The end of the word that starts at `from`: just after its space, or at the next place a line
// may be broken, or the end of the text.
std::size_t NextWordEnd(std::string_view text, std::size_t from);
// Where the last word of `text` starts (0 when the text is one word).
std::size_t LastWordStart(std::string_view text);
// The text's last character is a wide one (an ideograph, kana, Hangul), after which a line may
// break.
bool EndsInWideCharacter(std::string_view text);

}  // namespace corvane::render
