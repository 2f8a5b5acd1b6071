#pragma once
// Where a document names its character set itself: a byte-order mark, or a META tag (charset
// attribute, or "charset=" in an http-equiv Content-Type's CONTENT) near its start.

#include <cstddef>
#include <string_view>

namespace corvane::html {

struct ByteOrderMark {
    std::string_view charset;  // empty: no mark
    std::size_t length = 0;
};
ByteOrderMark FindByteOrderMark(std::string_view start);

// The charset named by the first META tag in `head` that names one and ends inside it; empty
// when none does. Comments are skipped.
std::string_view FindMetaCharset(std::string_view head);

}  // namespace corvane::html
