#pragma once
// Header text as UTF-8: encoded words ("=?charset?B?...?=" and "=?charset?Q?...?=") are decoded
// from their character set, and the bytes around them are read in the article's character set
// (detected as UTF-8 or Windows-1252 when it has none). White space between two encoded words
// goes, as it only separates them.

#include <string>
#include <string_view>

namespace corvane::news {

std::string DecodeHeaderText(std::string_view text, std::string_view charset = {});

// Bytes in a character set as UTF-8 (detection when the name is empty or unknown).
std::string ToUtf8(std::string_view bytes, std::string_view charset);

}  // namespace corvane::news
