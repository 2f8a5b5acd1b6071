#include "core/request_table.h"

#include <algorithm>

#include "core/request.h"

namespace corvane::core {
namespace {

// A reservation is a guess made from a file's size: a hostile file must not make it huge.
constexpr std::size_t kMaxReserve = std::size_t{1} << 20;

}  // namespace

CHTRequestTable::CHTRequestTable() = default;

CHTRequestTable::~CHTRequestTable() = default;

std::size_t CHTRequestTable::Probe(std::string_view key, std::uint32_t hash) const {
    return slots_.Probe(hash, [&](std::uint32_t number) { return At(number).key == key; });
}

CHTRequestEntry* CHTRequestTable::Find(std::string_view key) const {
    const std::int64_t number = slots_.NumberAt(Probe(key, platform::HashSlots::Hash(key)));
    return number >= 0 ? &At(static_cast<std::size_t>(number)) : nullptr;
}

CHTRequestEntry& CHTRequestTable::Entry(std::string_view key) {
    return Insert(key, platform::HashSlots::Hash(key));
}

void CHTRequestTable::EntryBatch(std::span<const std::string_view> keys,
                                 std::span<CHTRequestEntry*> entries) {
    constexpr std::size_t kRun = 16;
    std::uint32_t hashes[kRun];
    for (std::size_t start = 0; start < keys.size(); start += kRun) {
        const std::size_t count = std::min(kRun, keys.size() - start);
        for (std::size_t i = 0; i < count; ++i) {
            hashes[i] = platform::HashSlots::Hash(keys[start + i]);
            slots_.Prefetch(hashes[i]);
        }
        for (std::size_t i = 0; i < count; ++i)
            entries[start + i] = &Insert(keys[start + i], hashes[i]);
    }
}

CHTRequestEntry& CHTRequestTable::Insert(std::string_view key, std::uint32_t hash) {
    std::size_t slot = Probe(key, hash);
    if (const std::int64_t number = slots_.NumberAt(slot); number >= 0)
        return At(static_cast<std::size_t>(number));
    if (!slots_.HasRoomForOneMore()) {
        slots_.Reserve(entries_.size() + 1);
        slot = Probe(key, hash);
    }
    CHTRequestEntry& entry = entries_.EmplaceBack();
    entry.key = keys_.Copy(key);
    slots_.Put(slot, hash, static_cast<std::uint32_t>(entries_.size() - 1));
    return entry;
}

void CHTRequestTable::Reserve(std::size_t more) {
    const std::size_t wanted = entries_.size() + std::min(more, kMaxReserve);
    slots_.Reserve(wanted);
    entries_.Reserve(wanted);
    // Keys of stored lists are mostly a few dozen bytes.
    constexpr std::size_t kTypicalKey = 48;
    keys_.Reserve(std::min(more, kMaxReserve) * kTypicalKey);
}

}  // namespace corvane::core
