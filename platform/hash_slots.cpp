#include "platform/hash_slots.h"

#include <cstring>
#include <functional>
#include <utility>

namespace corvane::platform {

HashSlots::HashSlots() {
    Resize(16);
}

std::uint32_t HashSlots::Hash(std::string_view key) {
    const std::uint64_t hash = std::hash<std::string_view>{}(key);
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

void HashSlots::Put(std::size_t slot, std::uint32_t hash, std::uint32_t number) {
    Slots()[slot] = {hash, number + 1};
    ++used_;
}

void HashSlots::Erase(std::size_t slot) {
    Slot* table = Slots();
    table[slot] = {};
    --used_;
    // Each later slot of the run moves back into the hole unless its home lies cyclically in
    // (hole, its place]: then a probe from its home still reaches it where it is.
    std::size_t hole = slot;
    for (std::size_t i = (slot + 1) & mask_; table[i].number != 0; i = (i + 1) & mask_) {
        const std::size_t home = table[i].hash & mask_;
        const bool reachable = hole <= i ? (hole < home && home <= i) : (hole < home || home <= i);
        if (reachable) continue;
        table[hole] = std::exchange(table[i], Slot{});
        hole = i;
    }
}

void HashSlots::Reserve(std::size_t count) {
    std::size_t slotCount = mask_ + 1;
    while (slotCount < count * 2) slotCount *= 2;
    if (slotCount != mask_ + 1) Resize(slotCount);
}

void HashSlots::Clear() {
    std::memset(memory_.get(), 0, (mask_ + 1) * sizeof(Slot));
    used_ = 0;
}

void HashSlots::Resize(std::size_t slotCount) {
    const MemoryBlock old = std::exchange(memory_, AllocateBlock(slotCount * sizeof(Slot)));
    const std::size_t oldCount = old == nullptr ? 0 : mask_ + 1;
    mask_ = slotCount - 1;
    std::memset(memory_.get(), 0, slotCount * sizeof(Slot));
    const Slot* oldSlots = static_cast<const Slot*>(old.get());
    Slot* table = Slots();
    for (std::size_t k = 0; k < oldCount; ++k) {
        if (oldSlots[k].number == 0) continue;
        std::size_t i = oldSlots[k].hash & mask_;
        while (table[i].number != 0) i = (i + 1) & mask_;
        table[i] = oldSlots[k];
    }
}

}  // namespace corvane::platform
