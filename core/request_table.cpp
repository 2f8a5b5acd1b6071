#include "core/request_table.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "core/request.h"

namespace corvane::core {
namespace {

// A reservation is a guess made from a file's size: a hostile file must not make it huge.
constexpr std::size_t kMaxReserve = std::size_t{1} << 20;

}  // namespace

CHTRequestTable::CHTRequestTable() {
    Rehash(16);
}

CHTRequestTable::~CHTRequestTable() = default;

std::uint32_t CHTRequestTable::Hash(std::string_view key) {
    const std::uint64_t hash = std::hash<std::string_view>{}(key);
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

std::size_t CHTRequestTable::Probe(std::string_view key, std::uint32_t hash) const {
    const Slot* slots = Slots();
    const std::size_t mask = slotCount_ - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots[i];
        if (slot.entry == 0 || (slot.hash == hash && At(slot.entry - 1).key == key)) return i;
    }
}

CHTRequestEntry* CHTRequestTable::Find(std::string_view key) const {
    const Slot& slot = Slots()[Probe(key, Hash(key))];
    return slot.entry != 0 ? &At(slot.entry - 1) : nullptr;
}

CHTRequestEntry& CHTRequestTable::Entry(std::string_view key) {
    return Insert(key, Hash(key));
}

void CHTRequestTable::EntryBatch(std::span<const std::string_view> keys,
                                 std::span<CHTRequestEntry*> entries) {
    constexpr std::size_t kRun = 16;
    std::uint32_t hashes[kRun];
    for (std::size_t start = 0; start < keys.size(); start += kRun) {
        const std::size_t count = std::min(kRun, keys.size() - start);
        for (std::size_t i = 0; i < count; ++i) {
            hashes[i] = Hash(keys[start + i]);
            __builtin_prefetch(&Slots()[hashes[i] & (slotCount_ - 1)]);
        }
        for (std::size_t i = 0; i < count; ++i)
            entries[start + i] = &Insert(keys[start + i], hashes[i]);
    }
}

CHTRequestEntry& CHTRequestTable::Insert(std::string_view key, std::uint32_t hash) {
    std::size_t slot = Probe(key, hash);
    if (Slots()[slot].entry != 0) return At(Slots()[slot].entry - 1);
    if ((entries_.size() + 1) * 2 > slotCount_) {
        Rehash(slotCount_ * 2);
        slot = Probe(key, hash);
    }
    CHTRequestEntry& entry = entries_.EmplaceBack();
    entry.key = keys_.Copy(key);
    Slots()[slot] = {hash, static_cast<std::uint32_t>(entries_.size())};
    return entry;
}

void CHTRequestTable::Reserve(std::size_t more) {
    const std::size_t wanted = entries_.size() + std::min(more, kMaxReserve);
    std::size_t slotCount = slotCount_;
    while (slotCount < wanted * 2) slotCount *= 2;
    if (slotCount != slotCount_) Rehash(slotCount);
    entries_.Reserve(wanted);
    // Keys of stored lists are mostly a few dozen bytes.
    constexpr std::size_t kTypicalKey = 48;
    keys_.Reserve(std::min(more, kMaxReserve) * kTypicalKey);
}

void CHTRequestTable::Rehash(std::size_t slotCount) {
    const platform::MemoryBlock old =
        std::exchange(slotMemory_, platform::AllocateBlock(slotCount * sizeof(Slot)));
    const std::size_t oldCount = std::exchange(slotCount_, slotCount);
    std::memset(slotMemory_.get(), 0, slotCount * sizeof(Slot));
    const Slot* oldSlots = static_cast<const Slot*>(old.get());
    Slot* slots = Slots();
    const std::size_t mask = slotCount - 1;
    for (std::size_t k = 0; k < oldCount; ++k) {
        const Slot& slot = oldSlots[k];
        if (slot.entry == 0) continue;
        std::size_t i = slot.hash & mask;
        while (slots[i].entry != 0) i = (i + 1) & mask;
        slots[i] = slot;
    }
}

}  // namespace corvane::core
