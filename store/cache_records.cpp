#include "store/cache_records.h"

namespace corvane::store {

std::size_t CacheRecords::Probe(std::string_view key, std::uint32_t hash) const {
    return slots_.Probe(hash, [&](std::uint32_t number) { return records_[number].key == key; });
}

CacheRecord* CacheRecords::Find(std::string_view key) const {
    const std::int64_t number = slots_.NumberAt(Probe(key, platform::HashSlots::Hash(key)));
    return number >= 0 ? &records_[static_cast<std::size_t>(number)] : nullptr;
}

CacheRecord& CacheRecords::Add(std::string_view key, bool& made) {
    const std::uint32_t hash = platform::HashSlots::Hash(key);
    std::size_t slot = Probe(key, hash);
    made = slots_.NumberAt(slot) < 0;
    if (!made) return records_[static_cast<std::size_t>(slots_.NumberAt(slot))];
    if (!slots_.HasRoomForOneMore()) {
        slots_.Reserve(size() + 1);
        slot = Probe(key, hash);
    }
    std::uint32_t number = 0;
    if (!unused_.empty()) {
        number = unused_.back();
        unused_.pop_back();
    } else {
        number = static_cast<std::uint32_t>(records_.size());
        records_.EmplaceBack();
    }
    CacheRecord& record = records_[number];
    record.key = keys_.Copy(key);
    slots_.Put(slot, hash, number);
    return record;
}

void CacheRecords::Erase(CacheRecord& record) {
    const std::size_t slot =
        slots_.Probe(platform::HashSlots::Hash(record.key),
                     [&](std::uint32_t number) { return &records_[number] == &record; });
    const std::int64_t number = slots_.NumberAt(slot);
    if (number < 0) return;
    slots_.Erase(slot);
    record = CacheRecord{};
    unused_.push_back(static_cast<std::uint32_t>(number));
}

void CacheRecords::Clear() {
    slots_.Clear();
    unused_.clear();
    records_.Clear();
    keys_.Clear();
}

void CacheRecords::Reserve(std::size_t count, std::size_t keyBytes) {
    slots_.Reserve(size() + count);
    records_.Reserve(records_.size() + count);
    keys_.Reserve(keyBytes);
}

}  // namespace corvane::store
