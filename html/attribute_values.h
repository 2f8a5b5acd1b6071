#pragma once
// Reading attribute values: numbers, colours, font sizes and the META refresh content. Authors'
// mistakes are never errors; an unreadable value takes the documented default.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::html {

// Leading white space, an optional sign and decimal digits, saturated to 32 bits; 0 when there
// are no digits.
std::int32_t ParseInteger(std::string_view value);

// "#RRGGBB" (the '#' optional) as 0x00BBGGRR. A value shorter than four characters is black; a
// pair cut short by the end uses the digits it has, and a non-hex character counts as 0.
std::uint32_t ParseColour(std::string_view value);

// FONT SIZE: "+n" is 3 + n, "-n" is 3 - n, "n" is n, clamped to 1..7; 0 when there is no digit.
int ParseFontSize(std::string_view value);

struct Refresh {
    std::int32_t seconds;
    std::string url;  // empty: reload the document itself
};

// META HTTP-EQUIV=refresh CONTENT: "5" or "5; URL=next.html". Nothing without a leading number,
// so a garbled value never turns into an immediate reload loop.
std::optional<Refresh> ParseRefresh(std::string_view content);

}  // namespace corvane::html
