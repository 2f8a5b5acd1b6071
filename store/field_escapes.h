#pragma once
// Fields of the stores' lines may come from servers (content types, refresh addresses, realm
// names) or from pages (addresses). Such text must not forge another field or line, so the
// characters that separate fields in a given store, every control character and the backslash
// itself are written as "\xHH". Reading undoes only "\xHH", so the files written before this
// escaping existed (which never hold such sequences in practice) read unchanged.

#include <string>
#include <string_view>

namespace corvane::store {

std::string EscapeField(std::string_view text, std::string_view separators);
std::string UnescapeField(std::string_view text);

}  // namespace corvane::store
