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

void FreeMemory::operator()(void* memory) const {
    std::free(memory);
}

MemoryBlock AllocateBlock(std::size_t bytes) {
    if (bytes >= kHugePageBytes / 2) return MemoryBlock(AllocateHugePages(bytes));
    void* memory = std::malloc(bytes == 0 ? 1 : bytes);
    if (memory == nullptr) throw std::bad_alloc();
    return MemoryBlock(memory);
}

}  // namespace corvane::platform
