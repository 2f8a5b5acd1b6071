#pragma once
// The table of shared requests: one entry per canonical URL met in this run (links seen,
// documents shown, every address of the visited list read at start). Entries are never removed,
// so an entry and its key stay where they are for the whole run: a request points at its entry,
// and the cache keys its copies by the entry's text.
//
// Start-up reads 100,000 addresses and more into it, so it is built for that: keys are copied
// into a text arena and entries into growing blocks (no allocation per address; big blocks
// in huge pages, as most of start-up's cost was the first touch of fresh memory), and the index
// is a platform::HashSlots (one hash per address, mostly one probe).

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
#include <string_view>

#include "platform/block_array.h"
#include "platform/hash_slots.h"
#include "platform/text_arena.h"

namespace corvane::core {

class CHTRequest;

// One address of the shared table: when it was last shown, and its request if it has one.
struct CHTRequestEntry {
    std::string_view key;        // the table's own key
    std::int64_t visitTime = 0;  // seconds since 1970; 0: never shown
    std::unique_ptr<CHTRequest> request;
};

class CHTRequestTable {
  public:
    CHTRequestTable();
    ~CHTRequestTable();
    CHTRequestTable(const CHTRequestTable&) = delete;
    CHTRequestTable& operator=(const CHTRequestTable&) = delete;

    // The entry of key, added without a request when missing. Keys match exactly (case too).
    CHTRequestEntry& Entry(std::string_view key);
    CHTRequestEntry* Find(std::string_view key) const;
    // The entries of many keys at once (reading a stored list): entries[i] for keys[i], as Entry.
    // The index places of a run of keys are fetched from memory together, so that reading a
    // large list does not wait for memory once per key.
    void EntryBatch(std::span<const std::string_view> keys, std::span<CHTRequestEntry*> entries);
    // Room for `more` entries beyond the present ones without growing the index.
    void Reserve(std::size_t more);

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.size() == 0; }

    // The entries in the order they were added.
    template <typename Value>
    class Iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CHTRequestEntry;
        using difference_type = std::ptrdiff_t;
        using pointer = Value*;
        using reference = Value&;
        Iterator() = default;
        Iterator(const CHTRequestTable* table, std::size_t index) : table_(table), index_(index) {}
        reference operator*() const { return table_->At(index_); }
        pointer operator->() const { return &table_->At(index_); }
        Iterator& operator++() {
            ++index_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++index_;
            return before;
        }
        bool operator==(const Iterator&) const = default;

      private:
        const CHTRequestTable* table_ = nullptr;
        std::size_t index_ = 0;
    };
    using iterator = Iterator<CHTRequestEntry>;
    using const_iterator = Iterator<const CHTRequestEntry>;
    iterator begin() { return {this, 0}; }
    iterator end() { return {this, entries_.size()}; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, entries_.size()}; }

  private:
    CHTRequestEntry& At(std::size_t index) const { return entries_[index]; }
    // The number of the slot holding key, or of the free slot where it would go.
    std::size_t Probe(std::string_view key, std::uint32_t hash) const;
    CHTRequestEntry& Insert(std::string_view key, std::uint32_t hash);

    // The keys outlive the entries: a request going with its entry may still read its key.
    platform::TextArena keys_;
    platform::BlockArray<CHTRequestEntry> entries_;
    platform::HashSlots slots_;  // entry numbers by key
};

}  // namespace corvane::core
