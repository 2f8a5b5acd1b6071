#pragma once
// Decoding of "%XX" escapes in URL text.

#include <string>
#include <string_view>

namespace corvane::core {

// The value of a hexadecimal digit, or -1 for any other character.
int HexDigitValue(char c);

// The bytes URL escaping leaves as they are: letters, digits and "*-./@_".
bool IsUrlSafeByte(unsigned char c);

// Replaces every "%" followed by two hexadecimal digits with the byte they name; a "%" without
// two digits after it stays as it is. The result may hold any byte, NUL included.
std::string DecodeUrlEscapes(std::string_view text);

}  // namespace corvane::core
