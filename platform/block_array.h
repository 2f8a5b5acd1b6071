#pragma once
// An array of objects that never move: it grows by blocks, block k holding (first << k) objects,
// so a table of a few entries takes 64 KB, a big one a few blocks (the large ones in huge pages),
// and no object is allocated on its own. Reserving room for many objects makes the missing
// blocks in one allocation, so a table whose size is known ahead is mostly in huge pages.
// Objects are destroyed in the order they were added.

#include <bit>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "platform/huge_pages.h"

namespace corvane::platform {

template <typename T>
class BlockArray {
  public:
    BlockArray() = default;
    ~BlockArray() { Clear(); }
    BlockArray(const BlockArray&) = delete;
    BlockArray& operator=(const BlockArray&) = delete;

    std::size_t size() const { return count_; }

    T& operator[](std::size_t index) const {
        const std::size_t block =
            static_cast<std::size_t>(std::bit_width(index / kFirstBlock + 1)) - 1;
        const std::size_t first = kFirstBlock * ((std::size_t{1} << block) - 1);
        return blocks_[block][index - first];
    }

    // Room for `count` objects in all.
    void Reserve(std::size_t count) {
        std::size_t capacity = Capacity(blocks_.size());
        std::size_t bytes = 0;
        for (std::size_t block = blocks_.size(); capacity < count; ++block) {
            bytes += sizeof(T) * (kFirstBlock << block);
            capacity += kFirstBlock << block;
        }
        if (bytes == 0) return;
        memory_.push_back(AllocateBlock(bytes));
        auto* at = static_cast<T*>(memory_.back().get());
        while (Capacity(blocks_.size()) < capacity) {
            blocks_.push_back(at);
            at += kFirstBlock << (blocks_.size() - 1);
        }
    }

    template <typename... Arguments>
    T& EmplaceBack(Arguments&&... arguments) {
        if (count_ == Capacity(blocks_.size())) Reserve(count_ + 1);
        T* object = new (&(*this)[count_]) T(std::forward<Arguments>(arguments)...);
        ++count_;
        return *object;
    }

    void Clear() {
        for (std::size_t i = 0; i < count_; ++i) (*this)[i].~T();
        count_ = 0;
        blocks_.clear();
        memory_.clear();
    }

  private:
    static constexpr std::size_t kFirstBlock = 65536 / sizeof(T);
    // The objects that blocks 0 to blocks - 1 hold.
    static std::size_t Capacity(std::size_t blocks) {
        return kFirstBlock * ((std::size_t{1} << blocks) - 1);
    }

    std::vector<T*> blocks_;           // block k's first object
    std::vector<MemoryBlock> memory_;  // one allocation may hold several blocks
    std::size_t count_ = 0;
};

}  // namespace corvane::platform
