#pragma once
// Generated page text waiting for the convertor, handed out in pieces by a protocol's data source.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace corvane::protocols {

// Copies up to maxLength bytes of pending from taken on and answers how many (0 when nothing is
// left); once all is taken the text is emptied, so it never grows past one piece of output.
inline std::int32_t TakePendingText(std::string& pending, std::size_t& taken,
                                    std::uint8_t* destination, std::int32_t maxLength) {
    if (taken >= pending.size() || maxLength <= 0) return 0;
    const std::size_t count = std::min(pending.size() - taken, static_cast<std::size_t>(maxLength));
    std::memcpy(destination, pending.data() + taken, count);
    taken += count;
    if (taken == pending.size()) {
        pending.clear();
        taken = 0;
    }
    return static_cast<std::int32_t>(count);
}

}  // namespace corvane::protocols
