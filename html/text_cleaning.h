#pragma once
// How token text becomes element text.

#include <string>
#include <string_view>

namespace corvane::html {

// Outside PRE: empty when the text holds nothing above a space; otherwise control characters
// (and DEL) become spaces and runs of spaces collapse to one, keeping a leading or trailing one.
std::string CollapseText(std::string_view text);

// Inside PRE and plain text: CR becomes LF, other control characters but LF and tab become
// spaces.
std::string CleanPreformattedText(std::string_view text);

// TITLE text: leading white space and control characters skipped, cut at the first line end,
// remaining control characters turned into spaces.
std::string CleanTitle(std::string_view text);

}  // namespace corvane::html
