#include "platform/text_arena.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace corvane::platform {

std::string_view TextArena::Copy(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > freeBytes_) {
        if (text.size() > kFirstBlock / 4) {
            // A long text gets a block of its own; the current block keeps its room.
            blocks_.push_back(AllocateBlock(text.size()));
            std::memcpy(blocks_.back().get(), text.data(), text.size());
            return {static_cast<const char*>(blocks_.back().get()), text.size()};
        }
        blocks_.push_back(AllocateBlock(nextBlock_));
        free_ = static_cast<char*>(blocks_.back().get());
        freeBytes_ = std::exchange(nextBlock_, std::min(nextBlock_ * 2, kLargestBlock));
    }
    const std::string_view copy(free_, text.size());
    std::memcpy(free_, text.data(), text.size());
    free_ += text.size();
    freeBytes_ -= text.size();
    return copy;
}

void TextArena::Reserve(std::size_t bytes) {
    if (bytes <= freeBytes_) return;
    nextBlock_ =
        std::clamp(std::bit_ceil(std::min(bytes, kLargestBlock)), nextBlock_, kLargestBlock);
}

void TextArena::Clear() {
    blocks_.clear();
    free_ = nullptr;
    freeBytes_ = 0;
    nextBlock_ = kFirstBlock;
}

}  // namespace corvane::platform
