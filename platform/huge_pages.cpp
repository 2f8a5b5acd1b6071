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

namespace {

// A pool asks for chunks that double in size; from an eighth of a huge page on they come in huge
// pages, so a pool that grew that far wastes at most a huge page and a half, and a big table
// costs a fault per huge page rather than one per 4 KB.
class BlockMemoryResource final : public std::pmr::memory_resource {
    void* do_allocate(std::size_t bytes, std::size_t alignment) override {
        if (alignment > kHugePageBytes) throw std::bad_alloc();
        if (bytes >= kHugePageBytes / 8) return AllocateHugePages(bytes);
        void* memory =
            std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment);
        if (memory == nullptr) throw std::bad_alloc();
        return memory;
    }
    void do_deallocate(void* memory, std::size_t, std::size_t) override { std::free(memory); }
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }
};

}  // namespace

std::pmr::memory_resource* BlockResource() {
    static BlockMemoryResource resource;
    return &resource;
}

}  // namespace corvane::platform
