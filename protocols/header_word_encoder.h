#pragma once
// Header values written for mail and news: text that is not plain ASCII goes out as RFC 2047
// encoded words in UTF-8, so any reader shows it and no header line grows past the limit.

#include <string>
#include <string_view>

namespace corvane::protocols {

// The UTF-8 text as it may stand in an unstructured header (Subject). Printable ASCII of modest
// length stays as it is; otherwise "=?UTF-8?B?...?=" words of at most 75 characters, each holding
// whole characters, joined by CR LF and a space (a folded header line).
std::string EncodeHeaderText(std::string_view text);

// "Name <address>" for From, To and Cc; the address alone when the name is empty. A name of
// plain ASCII words stays as it is, one with other ASCII punctuation is quoted, a non-ASCII name
// becomes encoded words.
std::string FormatAddress(std::string_view name, std::string_view address);

}  // namespace corvane::protocols
