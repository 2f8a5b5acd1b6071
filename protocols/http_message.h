#pragma once
// The pieces of an HTTP/1.0 exchange that are plain text work: reading the status line and the
// header lines of an answer, and writing the request. Kept apart from the connection so that
// every hostile answer can be tried on them directly.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::protocols {

// "HTTP/x.y code text": the first space at position 8 or later, "HTTP/" first and "." as the
// seventh character. nullopt for anything else (an HTTP/0.9 answer, whose first line is already
// the body), and for a code that is not three digits.
std::optional<int> ParseStatusLine(std::string_view line);

struct HeaderField {
    std::string_view name;   // before the first ":"
    std::string_view value;  // after the ":" and the white space around it
};

// nullopt for a line without ":".
std::optional<HeaderField> SplitHeaderLine(std::string_view line);

// A Content-Length value: a decimal number from 0 to 2^62; nullopt for anything else.
std::optional<std::int64_t> ParseContentLength(std::string_view value);

// "Refresh: 5; URL=next.html": the seconds and the address (empty when none is named). nullopt
// when the value does not start with a number.
struct RefreshValue {
    std::int32_t seconds = 0;
    std::string url;
};
std::optional<RefreshValue> ParseRefresh(std::string_view value);

// The realm of a WWW-Authenticate value: after "realm=", up to the closing quote when quoted,
// else up to the next space. nullopt without "realm=".
std::optional<std::string> ParseRealm(std::string_view value);

// A Location value that would put a line end into the next request, raw or escaped.
bool HasLineBreak(std::string_view value);

// "Thu, 05 Dec 1996 14:03:07 GMT" for seconds since 1970.
std::string HttpDate(std::int64_t seconds);

// Standard base64 with "=" padding and no line breaks.
std::string Base64(std::string_view bytes);

// Everything the request text depends on.
struct HttpRequestParts {
    bool post = false;
    // Through a proxy: the full address ("ftp://host/path"); direct: "/" and the path.
    std::string target;
    std::string hostHeader;
    bool reload = false;
    std::string referrer;              // empty: none sent
    std::string authorization;         // "user:password"; empty: none sent
    std::int64_t ifModifiedSince = 0;  // 0: none sent
    std::string bodyType;
    std::string body;
};

// The whole request, each line ending in CR LF; a POST ends with its body and one more CR LF.
std::string FormatHttpRequest(const HttpRequestParts& parts);

// Asks a proxy for a tunnel to "host:port", without the empty line that ends the request.
std::string FormatTunnelRequest(std::string_view authority);

}  // namespace corvane::protocols
