#pragma once
// The text of the cache index "ovalon.dir": a "[Cache Dir]" section with one "key=value" line
// per document, the key being the canonical URL and the value
//   file name "," content type [ "," refresh seconds [ "; url=" refresh address ] ].
// Keys are matched exactly (two addresses that differ only in case are two documents). Every
// field is escaped (store/field_escapes.h), so a server's content type or refresh address holding
// "," or a line end cannot forge another field or line.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace corvane::store {

inline constexpr std::string_view kCacheIndexName = "ovalon.dir";
inline constexpr std::string_view kCacheIndexSection = "Cache Dir";

struct CacheIndexValue {
    std::string fileName;  // without directory, e.g. "QV01A2.cvc"
    std::string contentType;
    std::int32_t refreshSeconds = -1;  // -1: the document asked for no refresh
    std::string refreshUrl;
    bool operator==(const CacheIndexValue&) const = default;
};

CacheIndexValue ParseCacheIndexValue(std::string_view value);
// One line, with its line end.
std::string FormatCacheIndexLine(std::string_view key, const CacheIndexValue& value);

// Calls onEntry for every "key=value" line of the index (section headers and lines without "="
// skipped), with the key unescaped; the key lasts until the next call. False when the file is
// missing or no regular file.
bool ReadCacheIndex(
    const std::string& path,
    const std::function<void(std::string_view key, CacheIndexValue value)>& onEntry);

}  // namespace corvane::store
