#pragma once
// How token text becomes element text. The cleaned text replaces what `result` held.

#include <string>
#include <string_view>

namespace corvane::html {

// Outside PRE: empty when the text holds nothing above a space; otherwise control characters
// (and DEL) become spaces and runs of spaces collapse to one, keeping a leading or trailing one.
void CollapseText(std::string_view text, std::string& result);

// Inside PRE and plain text: CR becomes LF, other control characters but LF and tab become
// spaces.
void CleanPreformattedText(std::string_view text, std::string& result);

// TITLE text: leading white space and control characters skipped, cut at the first line end,
// remaining control characters turned into spaces.
std::string CleanTitle(std::string_view text);

}  // namespace corvane::html
