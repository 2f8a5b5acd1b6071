#pragma once
// Copies of many short texts (addresses read from a store) in large blocks: no allocation per
// text, and a copy never moves until the arena is cleared. Blocks double from 64 KB to 2 MB; a
// reservation for a long list goes straight to the largest, which come in huge pages.

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/huge_pages.h"

namespace corvane::platform {

class TextArena {
  public:
    // A copy of text that lasts until Clear or the arena's end.
    std::string_view Copy(std::string_view text);
    // About `bytes` more text is coming.
    void Reserve(std::size_t bytes);
    void Clear();

  private:
    static constexpr std::size_t kFirstBlock = 64 * 1024;
    static constexpr std::size_t kLargestBlock = 2 * 1024 * 1024;

    std::vector<MemoryBlock> blocks_;
    char* free_ = nullptr;  // the free room of the last ordinary block
    std::size_t freeBytes_ = 0;
    std::size_t nextBlock_ = kFirstBlock;
};

}  // namespace corvane::platform
