#pragma once
// Attribute lookup on the text of a tag token ("<a href=x name=y", no closing '>').

#include <optional>
#include <string>
#include <string_view>

namespace corvane::html {

// `name` is upper case ("HREF"). The value with control characters removed; an empty string for
// an attribute written without a value; nullopt when the attribute is absent. Names are only
// found outside double-quoted values, and single quotes have no meaning.
std::optional<std::string> GetAttribute(std::string_view tagText, std::string_view name);

// Stores a non-empty value into `value` and returns true; false when missing or empty.
bool GetAttribute(std::string_view tagText, std::string_view name, std::string& value);

// Whether `word` (upper case) occurs anywhere in the tag text, without regard to case.
bool TagTextContains(std::string_view tagText, std::string_view word);

}  // namespace corvane::html
