#pragma once
// An open-addressing index of numbered objects kept elsewhere: an array of (32-bit hash,
// number + 1), a power of two long and at most half full, probed linearly from the hash. A probe
// compares an object only when its hash matches, so a lookup mostly costs one read of the array;
// large arrays come in huge pages. Erasing shifts the following slots back, so no tombstones
// build up.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/huge_pages.h"

namespace corvane::platform {

class HashSlots {
  public:
    HashSlots();

    // The hash the index uses for a text key.
    static std::uint32_t Hash(std::string_view key);

    // The slot holding the object with this hash for which isKey(number) holds, else the free
    // slot where it would go.
    template <typename IsKey>
    std::size_t Probe(std::uint32_t hash, IsKey&& isKey) const {
        const Slot* table = Slots();
        for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
            if (table[i].number == 0 || (table[i].hash == hash && isKey(table[i].number - 1)))
                return i;
        }
    }
    // The number of the object in a slot; -1 for a free slot.
    std::int64_t NumberAt(std::size_t slot) const {
        return static_cast<std::int64_t>(Slots()[slot].number) - 1;
    }
    // Fills the free slot a Probe found. Call HasRoomForOneMore first.
    void Put(std::size_t slot, std::uint32_t hash, std::uint32_t number);
    void Erase(std::size_t slot);
    // Whether one more object fits without growing (growing moves every slot: probe again).
    bool HasRoomForOneMore() const { return (used_ + 1) * 2 <= mask_ + 1; }
    // Room for `count` objects in all.
    void Reserve(std::size_t count);
    void Prefetch(std::uint32_t hash) const { __builtin_prefetch(&Slots()[hash & mask_]); }
    void Clear();
    std::size_t size() const { return used_; }

  private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t number = 0;  // the object's number + 1; 0: free
    };
    Slot* Slots() const { return static_cast<Slot*>(memory_.get()); }
    void Resize(std::size_t slotCount);

    MemoryBlock memory_;
    std::size_t mask_ = 0;  // slots - 1
    std::size_t used_ = 0;
};

}  // namespace corvane::platform
