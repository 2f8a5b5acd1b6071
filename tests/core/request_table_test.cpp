#include "core/request_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace corvane::core {
namespace {

// Enough keys to grow the index many times and fill several entry and text blocks.
std::vector<std::string> ManyKeys() {
    std::vector<std::string> keys;
    for (int i = 0; i < 3000; ++i)
        keys.push_back("http://h" + std::to_string(i % 7) + "/p" + std::to_string(i));
    keys.push_back("HTTP://H0/P1");  // equal to another but for case: a key of its own
    keys.push_back("");
    keys.push_back("http://h/" + std::string(100'000, 'x'));  // longer than a text block
    keys.push_back("http://h/after-the-long-one");
    return keys;
}

TEST(RequestTable, EntriesStayWhereTheyAreAndKeepTheirKeysWhileTheTableGrows) {
    for (const bool reserved : {false, true}) {
        SCOPED_TRACE(reserved);
        CHTRequestTable table;
        if (reserved) table.Reserve(std::numeric_limits<std::size_t>::max());  // a wild guess
        const std::vector<std::string> keys = ManyKeys();
        std::vector<CHTRequestEntry*> entries;
        for (const std::string& key : keys) {
            std::string caller = key;  // the table must keep its own copy
            CHTRequestEntry& entry = table.Entry(caller);
            entry.visitTime = static_cast<std::int64_t>(entries.size()) + 1;
            entries.push_back(&entry);
        }
        ASSERT_EQ(table.size(), keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(table.Find(keys[i]), entries[i]) << keys[i].substr(0, 40);
            EXPECT_EQ(&table.Entry(keys[i]), entries[i]);
            EXPECT_EQ(entries[i]->key, keys[i]);
        }
        EXPECT_EQ(table.size(), keys.size());
        EXPECT_EQ(table.Find("http://h0/p"), nullptr);
        EXPECT_EQ(table.Find("http://h0/p10 "), nullptr);
        std::int64_t expected = 1;  // in the order they were added
        for (const CHTRequestEntry& entry : table) EXPECT_EQ(entry.visitTime, expected++);
        EXPECT_EQ(expected, static_cast<std::int64_t>(keys.size()) + 1);
    }
}

TEST(RequestTable, ABatchFindsWhatSingleLookupsFindAndAddsEachNewKeyOnce) {
    CHTRequestTable table;
    CHTRequestEntry& old = table.Entry("http://h/old");
    std::vector<std::string> texts = {"http://h/new", "http://h/old", "http://h/new"};
    for (int i = 0; i < 40; ++i) texts.push_back("http://h/" + std::to_string(i));  // past a run
    const std::vector<std::string_view> keys(texts.begin(), texts.end());
    std::vector<CHTRequestEntry*> entries(keys.size());
    table.EntryBatch(keys, entries);
    EXPECT_EQ(table.size(), 42u);
    EXPECT_EQ(entries[1], &old);
    EXPECT_EQ(entries[0], entries[2]);
    for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(table.Find(keys[i]), entries[i]);
}

}  // namespace
}  // namespace corvane::core
