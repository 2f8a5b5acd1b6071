#include "protocols/generated_units.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace corvane::protocols {

int GeneratedUnits::Fill(char* destination, int capacity) {
    assert(capacity > 0);
    while (written_ == pending_.size()) {
        pending_.clear();
        written_ = 0;
        if (!NextUnit(pending_)) return 0;
    }
    const std::size_t count =
        std::min(pending_.size() - written_, static_cast<std::size_t>(capacity));
    std::memcpy(destination, pending_.data() + written_, count);
    written_ += count;
    return static_cast<int>(count);
}

}  // namespace corvane::protocols
