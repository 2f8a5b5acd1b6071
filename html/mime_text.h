#pragma once
// The pieces of message text that MIME encodes, decoded to UTF-8: the transfer encodings of a
// body (base64, quoted-printable), text in a named character set, and header text with encoded
// words ("=?charset?B?...?=" and "=?charset?Q?...?="). Mail and news read messages with them.
// Malformed input is decoded as far as it goes; nothing is dropped without a trace.

#include <string>
#include <string_view>

namespace corvane::html {

// Base64: characters outside the alphabet (line ends, padding) are skipped.
std::string DecodeBase64(std::string_view text);

// Quoted-printable: "=XX" is the byte XX, "=" at a line end joins the lines, spaces before a
// line end go; an "=" without two hex digits after it stays as it is.
std::string DecodeQuotedPrintable(std::string_view text);

// Bytes in a character set as UTF-8 (detection when the name is empty or unknown).
std::string ToUtf8(std::string_view bytes, std::string_view charset);

// Header text as UTF-8: encoded words are decoded from their character set, and the bytes around
// them are read in `charset` (detected as UTF-8 or Windows-1252 when it is empty). White space
// between two encoded words goes, as it only separates them.
std::string DecodeHeaderText(std::string_view text, std::string_view charset = {});

}  // namespace corvane::html
