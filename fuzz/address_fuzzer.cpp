// Any text read as an address, with and without a base, gives a canonical string without blanks,
// of bounded length, that reads back as itself, and completing it as typed text never fails.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/address.h"

using corvane::core::CHTAddress;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t split = text.find('\n');
    std::string_view baseText = split == text.npos ? std::string_view{} : text.substr(0, split);
    std::string_view relative = split == text.npos ? text : text.substr(split + 1);

    CHTAddress base = corvane::core::ParseAddress(baseText);
    CHTAddress address = corvane::core::ParseAddress(relative, &base);
    std::string canonical = corvane::core::FormatAddress(address);
    std::string again = corvane::core::FormatAddress(corvane::core::ParseAddress(canonical));
    if (again != canonical) std::abort();
    if (canonical.size() > 2 * size + 32) std::abort();
    for (char c : canonical) {
        if (c == '\0' || c == ' ' || c == '\t' || c == '\n' || c == '\r') std::abort();
    }

    std::string typed(text);
    corvane::core::CompleteTypedUrl(typed);
    if (typed.empty()) std::abort();
    return 0;
}
