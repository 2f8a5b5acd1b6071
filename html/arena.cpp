#include "html/arena.h"

#include <algorithm>

#include <sanitizer/asan_interface.h>

namespace corvane::html {
namespace {

std::size_t PaddingFor(const std::byte* position, std::size_t alignment) {
    return (alignment - reinterpret_cast<std::uintptr_t>(position) % alignment) % alignment;
}

constexpr std::size_t kMostSpareBlocks = 8;

}  // namespace

std::byte* Arena::NewBlock(std::size_t size) {
    std::unique_ptr<std::byte[]> memory;
    if (size == kBlockSize && !spare_.empty()) {
        memory = std::move(spare_.back());
        spare_.pop_back();
        ASAN_UNPOISON_MEMORY_REGION(memory.get(), kBlockSize);
    } else {
        memory = std::make_unique_for_overwrite<std::byte[]>(size);
    }
    blocks_.push_back(Block{std::move(memory), size, allocations_, allocations_});
    return blocks_.back().memory.get();
}

void* Arena::Allocate(std::size_t size, std::size_t alignment) {
    ++allocations_;
    if (size + alignment > kBlockSize) {
        // Larger than a block: a block of its own, and the current block stays in use.
        std::byte* start = NewBlock(size + alignment);
        return start + PaddingFor(start, alignment);
    }
    std::size_t padding = PaddingFor(next_, alignment);
    if (next_ == nullptr || padding + size > left_) {
        next_ = NewBlock(kBlockSize);
        current_ = blocks_.size() - 1;
        left_ = kBlockSize;
        padding = PaddingFor(next_, alignment);
    }
    blocks_[current_].last = allocations_;
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

std::uint64_t Arena::AgeOf(const void* inside) const {
    const auto* byte = static_cast<const std::byte*>(inside);
    for (const Block& block : blocks_) {
        // Compared as integers: the blocks are separate objects.
        const auto start = reinterpret_cast<std::uintptr_t>(block.memory.get());
        const auto at = reinterpret_cast<std::uintptr_t>(byte);
        if (at >= start && at < start + block.size) return block.first;
    }
    return 0;
}

void Arena::FreeOlderThan(std::uint64_t age) {
    // The current block keeps taking allocations, so it is never older than anything.
    const std::byte* current = next_ ? blocks_[current_].memory.get() : nullptr;
    for (Block& block : blocks_) {
        if (block.last >= age || block.memory.get() == current) continue;
        if (block.size == kBlockSize && spare_.size() < kMostSpareBlocks) {
            // A spare is out of bounds until it is taken again, as freed memory would be.
            ASAN_POISON_MEMORY_REGION(block.memory.get(), kBlockSize);
            spare_.push_back(std::move(block.memory));
        }
        block.memory.reset();
    }
    std::erase_if(blocks_, [](const Block& block) { return block.memory == nullptr; });
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        if (blocks_[i].memory.get() == current) current_ = i;
    }
}

}  // namespace corvane::html
