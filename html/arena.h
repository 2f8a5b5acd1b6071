#pragma once
// A grow-only arena of fixed-size blocks: everything allocated in it is released together when
// it goes. Blocks stay small enough to come from the ordinary heap, so one document's memory is
// reused by the next instead of being mapped in afresh.

#include <cstddef>
#include <memory>
#include <vector>

namespace corvane::html {

class Arena {
  public:
    static constexpr std::size_t kBlockSize = 64 * 1024;

    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    void* Allocate(std::size_t size, std::size_t alignment);
    // Grows the last allocation, which ends at end, by size bytes in place and returns where
    // they start; nullptr when it is not the last one or its block has no room left.
    void* Extend(const void* end, std::size_t size);

  private:
    std::vector<std::unique_ptr<std::byte[]>> blocks_;
    std::byte* next_ = nullptr;
    std::size_t left_ = 0;
};

}  // namespace corvane::html
