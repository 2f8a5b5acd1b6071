#include "platform/huge_pages.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace corvane::platform {

void* AllocateHugePages(std::size_t bytes) {
    const std::size_t whole = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    void* memory = whole == 0 ? nullptr : std::aligned_alloc(kHugePageBytes, whole);
    if (memory == nullptr) throw std::bad_alloc();
    madvise(memory, whole, MADV_HUGEPAGE);
    return memory;
}

}  // namespace corvane::platform
