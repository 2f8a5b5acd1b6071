#include "platform/hash_slots.h"

#include <map>
#include <random>

#include <gtest/gtest.h>

namespace corvane::platform {
namespace {

// Objects with few distinct hashes (long runs of slots, runs that wrap past the array's end),
// added and erased at random against a plain map: every object stays findable, erased ones are
// gone, and the index grows as it fills.
TEST(HashSlotsTest, ErasingKeepsEveryOtherObjectFindableInCrowdedRuns) {
    HashSlots slots;
    std::map<std::uint32_t, std::uint32_t> hashOf;  // number -> hash
    const auto find = [&](std::uint32_t number) {
        return slots.NumberAt(slots.Probe(
            hashOf.at(number), [&](std::uint32_t candidate) { return candidate == number; }));
    };
    std::mt19937 random(3);
    std::uint32_t next = 0;
    for (int step = 0; step < 20'000; ++step) {
        if (hashOf.empty() || random() % 3 != 0) {
            // Hashes near the top of every array size, so runs wrap to slot 0.
            const std::uint32_t hash = 0xFFFFFFF0u + random() % 8;
            hashOf[next] = hash;
            if (!slots.HasRoomForOneMore()) slots.Reserve(slots.size() + 1);
            const std::size_t free = slots.Probe(hash, [](std::uint32_t) { return false; });
            ASSERT_EQ(slots.NumberAt(free), -1);
            slots.Put(free, hash, next++);
        } else {
            auto victim = hashOf.begin();
            std::advance(victim, random() % hashOf.size());
            const std::uint32_t number = victim->first;
            const std::size_t slot = slots.Probe(
                victim->second, [&](std::uint32_t candidate) { return candidate == number; });
            ASSERT_EQ(slots.NumberAt(slot), number);
            slots.Erase(slot);
            EXPECT_EQ(find(number), -1) << number;
            hashOf.erase(victim);
        }
        if (step % 997 == 0) {
            for (const auto& [number, hash] : hashOf) ASSERT_EQ(find(number), number) << step;
        }
    }
    EXPECT_EQ(slots.size(), hashOf.size());
    for (const auto& [number, hash] : hashOf) EXPECT_EQ(find(number), number);
    slots.Clear();
    EXPECT_EQ(slots.size(), 0u);
    EXPECT_EQ(find(hashOf.begin()->first), -1);
}

}  // namespace
}  // namespace corvane::platform
