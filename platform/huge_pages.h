#pragma once
// Memory for large arrays that are filled soon after they are made (pictures, big group lists,
// the tables read at start). It is asked of the kernel in whole 2 MB huge pages: filling 48 MB
// then costs a few dozen page faults instead of twelve thousand, which on a loaded or virtual
// machine is much of the work.

#include <cstddef>
#include <memory>

namespace corvane::platform {

inline constexpr std::size_t kHugePageBytes = 2 * 1024 * 1024;

// At least `bytes` (rounded up to whole huge pages), aligned to one; free it with std::free.
// Throws std::bad_alloc when there is no memory. The kernel may still use small pages: the
// advice is only a wish, and the memory works without it.
void* AllocateHugePages(std::size_t bytes);

struct FreeMemory {
    void operator()(void* memory) const;
};
using MemoryBlock = std::unique_ptr<void, FreeMemory>;

// `bytes` of uninitialised memory for a block of a growing table: from half a huge page on in
// whole huge pages (rounding up wastes at most what is used, and saves hundreds of page faults),
// below that from malloc. Throws std::bad_alloc when there is no memory.
MemoryBlock AllocateBlock(std::size_t bytes);

}  // namespace corvane::platform
