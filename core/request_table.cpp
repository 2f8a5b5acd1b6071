#include "core/request_table.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "core/request.h"

namespace corvane::core {
namespace {

// A reservation is a guess made from a file's size: a hostile file must not make it huge.
constexpr std::size_t kMaxReserve = std::size_t{1} << 20;

}  // namespace

CHTRequestTable::CHTRequestTable() : slots_(16) {}

CHTRequestTable::~CHTRequestTable() = default;

std::uint32_t CHTRequestTable::Hash(std::string_view key) {
    const std::uint64_t hash = std::hash<std::string_view>{}(key);
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

std::size_t CHTRequestTable::Probe(std::string_view key, std::uint32_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.entry == 0 || (slot.hash == hash && At(slot.entry - 1).key == key)) return i;
    }
}

CHTRequestEntry* CHTRequestTable::Find(std::string_view key) const {
    const Slot& slot = slots_[Probe(key, Hash(key))];
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
            __builtin_prefetch(&slots_[hashes[i] & (slots_.size() - 1)]);
        }
        for (std::size_t i = 0; i < count; ++i)
            entries[start + i] = &Insert(keys[start + i], hashes[i]);
    }
}

CHTRequestEntry& CHTRequestTable::Insert(std::string_view key, std::uint32_t hash) {
    std::size_t slot = Probe(key, hash);
    if (slots_[slot].entry != 0) return At(slots_[slot].entry - 1);
    if ((count_ + 1) * 2 > slots_.size()) {
        Rehash(slots_.size() * 2);
        slot = Probe(key, hash);
    }
    if ((count_ >> kEntryBlockShift) == entryBlocks_.size())
        entryBlocks_.push_back(std::make_unique<CHTRequestEntry[]>(kEntryBlock));
    CHTRequestEntry& entry = At(count_);
    entry.key = CopyKey(key);
    slots_[slot] = {hash, static_cast<std::uint32_t>(++count_)};
    return entry;
}

void CHTRequestTable::Reserve(std::size_t more) {
    const std::size_t wanted = count_ + std::min(more, kMaxReserve);
    std::size_t slotCount = slots_.size();
    while (slotCount < wanted * 2) slotCount *= 2;
    if (slotCount != slots_.size()) Rehash(slotCount);
    entryBlocks_.reserve((wanted + kEntryBlock - 1) >> kEntryBlockShift);
}

std::string_view CHTRequestTable::CopyKey(std::string_view key) {
    if (key.empty()) return {};
    if (key.size() > textLeft_) {
        if (key.size() > kTextBlock / 4) {
            // A long key gets a block of its own; the current block keeps its room.
            textBlocks_.emplace_back(new char[key.size()]);
            std::memcpy(textBlocks_.back().get(), key.data(), key.size());
            return {textBlocks_.back().get(), key.size()};
        }
        textBlocks_.emplace_back(new char[kTextBlock]);
        text_ = textBlocks_.back().get();
        textLeft_ = kTextBlock;
    }
    const std::string_view copy(text_, key.size());
    std::memcpy(text_, key.data(), key.size());
    text_ += key.size();
    textLeft_ -= key.size();
    return copy;
}

void CHTRequestTable::Rehash(std::size_t slotCount) {
    std::vector<Slot> old(slotCount);
    old.swap(slots_);
    const std::size_t mask = slotCount - 1;
    for (const Slot& slot : old) {
        if (slot.entry == 0) continue;
        std::size_t i = slot.hash & mask;
        while (slots_[i].entry != 0) i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

}  // namespace corvane::core
