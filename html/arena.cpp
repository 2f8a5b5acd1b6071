#include "html/arena.h"

#include <cstdint>

namespace corvane::html {
namespace {

std::size_t PaddingFor(const std::byte* position, std::size_t alignment) {
    return (alignment - reinterpret_cast<std::uintptr_t>(position) % alignment) % alignment;
}

}  // namespace

void* Arena::Allocate(std::size_t size, std::size_t alignment) {
    if (size + alignment > kBlockSize) {
        // Larger than a block: a block of its own, and the current block stays in use.
        blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(size + alignment));
        std::byte* start = blocks_.back().get();
        return start + PaddingFor(start, alignment);
    }
    std::size_t padding = PaddingFor(next_, alignment);
    if (next_ == nullptr || padding + size > left_) {
        blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(kBlockSize));
        next_ = blocks_.back().get();
        left_ = kBlockSize;
        padding = PaddingFor(next_, alignment);
    }
    std::byte* result = next_ + padding;
    next_ = result + size;
    left_ -= padding + size;
    return result;
}

void* Arena::Extend(const void* end, std::size_t size) {
    if (end != next_ || size > left_) return nullptr;
    std::byte* added = next_;
    next_ += size;
    left_ -= size;
    return added;
}

}  // namespace corvane::html
