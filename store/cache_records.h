#pragma once
// The disk cache's records by key, matched exactly. Records live in blocks that never move (an
// erased one is used again), keys in a text arena and the index in HashSlots: reading an index of
// 20,000 copies makes a few blocks, not a node and a key allocation each.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/block_array.h"
#include "platform/hash_slots.h"
#include "platform/text_arena.h"
#include "store/cache_index.h"

namespace corvane::store {

struct CacheRecord {
    std::string_view key;  // in the records' key text
    CacheIndexValue value;
    // The copy's size and modification time are read from its file when first needed.
    bool statusKnown = false;
    bool present = true;  // false once its file was found missing
    std::uint64_t size = 0;
    std::int64_t lastUsed = 0;  // the copy's modification time
    CacheRecord* newer = nullptr;
    CacheRecord* older = nullptr;
};

class CacheRecords {
  public:
    CacheRecord* Find(std::string_view key) const;
    // The record of key; a new one, with a copy of the key, when there was none (then `made`).
    CacheRecord& Add(std::string_view key, bool& made);
    // The record goes; its key's text stays until Clear.
    void Erase(CacheRecord& record);
    void Clear();
    // Room for `count` records whose keys take about `keyBytes`.
    void Reserve(std::size_t count, std::size_t keyBytes);
    std::size_t size() const { return slots_.size(); }
    bool empty() const { return size() == 0; }

  private:
    std::size_t Probe(std::string_view key, std::uint32_t hash) const;

    platform::TextArena keys_;
    platform::BlockArray<CacheRecord> records_;
    std::vector<std::uint32_t> unused_;  // numbers of erased records
    platform::HashSlots slots_;
};

}  // namespace corvane::store
