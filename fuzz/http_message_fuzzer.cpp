// The HTTP status-line and header parsers under random answers: every line of the input is read
// as a status line and as a header, and its value through every header reader. Results stay in
// their ranges: a status code of three digits, a length from 0 to 2^62, a refresh of at most a
// day, a realm and a charset no longer than the value they came from.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "protocols/http_message.h"

namespace http = corvane::protocols;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void ReadLine(std::string_view line) {
    if (const auto code = http::ParseStatusLine(line)) Check(*code >= 0 && *code <= 999);
    const auto field = http::SplitHeaderLine(line);
    if (!field) return;
    const std::string_view value = field->value;
    Check(value.size() <= line.size() && field->name.size() < line.size());
    if (const auto length = http::ParseContentLength(value)) {
        Check(*length >= 0 && *length <= (std::int64_t{1} << 62));
    }
    if (const auto refresh = http::ParseRefresh(value)) {
        Check(refresh->seconds >= 0 && refresh->seconds <= 86'400);
        Check(refresh->url.size() <= value.size());
    }
    if (const auto realm = http::ParseRealm(value)) Check(realm->size() <= value.size());
    (void)http::HasLineBreak(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= input.size()) {
        const std::size_t end = input.find('\n', start);
        ReadLine(input.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    const std::string encoded = http::Base64(input);
    Check(encoded.size() == (size + 2) / 3 * 4);
    if (size >= 8) {
        std::int64_t seconds = 0;
        std::memcpy(&seconds, data, sizeof seconds);
        (void)http::HttpDate(seconds);
    }
    return 0;
}
