#include "html/arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace corvane::html {
namespace {

TEST(Arena, AllocationsAreAlignedAndDisjoint) {
    Arena arena;
    std::vector<std::pair<std::byte*, std::size_t>> pieces;
    // Sizes that cross block ends, and one larger than a block.
    for (std::size_t size : {1u, 3u, 8u, 24u, 40000u, 30000u, 7u, 100000u, 16u, 65535u}) {
        for (std::size_t alignment : {1u, 8u, 16u}) {
            auto* piece = static_cast<std::byte*>(arena.Allocate(size, alignment));
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(piece) % alignment, 0u);
            std::memset(piece, 0xAB, size);  // the sanitizer checks every byte is ours
            pieces.emplace_back(piece, size);
        }
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        for (std::size_t j = i + 1; j < pieces.size(); ++j) {
            const bool apart = pieces[i].first + pieces[i].second <= pieces[j].first ||
                               pieces[j].first + pieces[j].second <= pieces[i].first;
            EXPECT_TRUE(apart) << i << " overlaps " << j;
        }
    }
}

}  // namespace
}  // namespace corvane::html
