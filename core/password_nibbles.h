#pragma once
// Stored passwords are kept in a reversible nibble form, so the settings file never shows them as
// plain text: each byte becomes two characters, its high four bits plus 64, then its low four bits
// plus 64 (every character lies between "@" and "O"). This hides a password from a glance; it does
// not protect it from anyone who can read the file.

#include <string>
#include <string_view>

namespace corvane::core {

std::string EncodePasswordNibbles(std::string_view password);

// Each pair of characters gives one byte back; a lone last character is ignored.
std::string DecodePasswordNibbles(std::string_view stored);

}  // namespace corvane::core
