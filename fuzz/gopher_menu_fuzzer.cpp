// Any menu line becomes one line of HTML: bounded, ending in CR LF with no other line end, with
// at most one link and no markup of the server's own; and any URL path plans a request line
// without CR, LF or NUL.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "protocols/gopher_menu.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Lines come split at LF.
    if (text.find('\n') != std::string_view::npos) return 0;
    std::string html;
    const bool goesOn = corvane::protocols::AppendGopherMenuLine(text, html);
    if (goesOn == (text == ".")) std::abort();
    if (html.size() > 12 * size + 64) std::abort();
    if (!html.ends_with("\r\n") || html.find('\n') != html.size() - 1) std::abort();
    std::size_t tags = 0;
    for (char c : html) tags += c == '<';
    if (goesOn && tags != 0 && tags != 2) std::abort();

    const auto plan = corvane::protocols::PlanGopherRequest(text);
    if (plan && plan->requestLine.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        std::abort();
    return 0;
}
