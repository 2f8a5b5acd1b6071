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

// Blocks holding only allocations older than a given one go; a large piece made while a block
// was in use is younger than that block's first piece, so neither frees the other early.
TEST(Arena, FreesOnlyBlocksWhollyOlderThanAnAllocation) {
    Arena arena;
    std::vector<std::byte*> pieces;
    const auto add = [&](std::size_t size) {
        pieces.push_back(static_cast<std::byte*>(arena.Allocate(size, 8)));
        std::memset(pieces.back(), 1, size);
    };
    for (int i = 0; i < 40; ++i) add(10000);  // seven blocks
    add(200000);                              // its own block, the current one stays
    add(100);
    const std::size_t blocks = arena.BlockCount();
    EXPECT_EQ(arena.AgeOf(nullptr), 0u);
    arena.FreeOlderThan(arena.AgeOf(nullptr));
    EXPECT_EQ(arena.BlockCount(), blocks);

    arena.FreeOlderThan(arena.AgeOf(pieces[39]));  // in the block the large one came after
    EXPECT_LT(arena.BlockCount(), blocks);
    for (std::size_t i = 39; i < pieces.size(); ++i) std::memset(pieces[i], 2, 100);
    arena.FreeOlderThan(arena.AgeOf(pieces[40]));  // the large one: the block before stays
    std::memset(pieces[39], 3, 10000);
    std::memset(pieces[40], 3, 200000);
    // Everything made so far is older than the next block's first piece; the current block and
    // that one are what remains.
    add(60000);
    arena.FreeOlderThan(arena.AgeOf(pieces.back()));
    EXPECT_EQ(arena.BlockCount(), 1u);
    std::memset(pieces.back(), 4, 60000);
    EXPECT_NE(arena.Extend(pieces.back() + 60000, 16), nullptr);
}

}  // namespace
}  // namespace corvane::html
