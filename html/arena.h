#pragma once
// A grow-only arena of fixed-size blocks: everything allocated in it is released together when
// it goes. Blocks stay small enough to come from the ordinary heap, so one document's memory is
// reused by the next instead of being mapped in afresh.
//
// A user whose allocations die in the order they were made (a document written out as it is
// read) can also hand back every block that only holds allocations older than a given one.

#include <cstddef>
#include <cstdint>
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

    // A point in the arena's history no later than the allocation holding `inside`; 0 when no
    // block holds it.
    std::uint64_t AgeOf(const void* inside) const;
    // Frees every block whose allocations were all made before `age` (from AgeOf).
    void FreeOlderThan(std::uint64_t age);
    std::size_t BlockCount() const { return blocks_.size(); }

  private:
    struct Block {
        std::unique_ptr<std::byte[]> memory;
        std::size_t size;
        // Numbers of the first and the last allocation made in it.
        std::uint64_t first;
        std::uint64_t last;
    };
    std::byte* NewBlock(std::size_t size);

    std::vector<Block> blocks_;
    // Freed blocks of the usual size kept for the next ones: handing them back to the heap
    // and taking them again cost more than the rest of the arena.
    std::vector<std::unique_ptr<std::byte[]>> spare_;
    std::byte* next_ = nullptr;
    std::size_t left_ = 0;
    std::uint64_t allocations_ = 0;
    // Where the block next_ points into sits in blocks_.
    std::size_t current_ = 0;
};

}  // namespace corvane::html
