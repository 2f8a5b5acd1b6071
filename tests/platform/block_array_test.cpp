#include "platform/block_array.h"

#include <vector>

#include <gtest/gtest.h>

namespace corvane::platform {
namespace {

struct Counted {
    explicit Counted(int value, std::vector<int>& destroyed) : value(value), destroyed(destroyed) {}
    ~Counted() { destroyed.push_back(value); }
    int value;
    std::vector<int>& destroyed;
};

// Growing by single blocks, then by a reservation that makes several blocks at once, and on
// again: every object keeps its place and its number, and all are destroyed once, in order.
TEST(BlockArrayTest, ObjectsKeepTheirPlacesAcrossBlocksAndReservations) {
    std::vector<int> destroyed;
    {
        BlockArray<Counted> array;
        std::vector<const Counted*> places;
        const auto add = [&](int count) {
            for (int i = 0; i < count; ++i) {
                const int value = static_cast<int>(places.size());
                places.push_back(&array.EmplaceBack(value, destroyed));
            }
        };
        add(5000);
        array.Reserve(200'000);
        add(150'000);
        array.Reserve(10);  // less than it holds: nothing changes
        add(100'000);
        ASSERT_EQ(array.size(), places.size());
        for (std::size_t i = 0; i < places.size(); ++i) {
            ASSERT_EQ(&array[i], places[i]) << i;
            ASSERT_EQ(array[i].value, static_cast<int>(i));
        }
    }
    ASSERT_EQ(destroyed.size(), 255'000u);
    for (std::size_t i = 0; i < destroyed.size(); ++i) ASSERT_EQ(destroyed[i], static_cast<int>(i));
}

}  // namespace
}  // namespace corvane::platform
