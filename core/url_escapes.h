#pragma once
// Decoding of "%XX" escapes in URL text.

#include <string>
#include <string_view>

namespace corvane::core {

// Replaces every "%" followed by two hexadecimal digits with the byte they name; a "%" without
// two digits after it stays as it is. The result may hold any byte, NUL included.
std::string DecodeUrlEscapes(std::string_view text);

}  // namespace corvane::core
