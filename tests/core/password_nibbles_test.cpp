#include "core/password_nibbles.h"

#include <gtest/gtest.h>

namespace corvane::core {
namespace {

TEST(PasswordNibblesTest, EveryByteBecomesTwoCharactersFromAtToOAndBack) {
    EXPECT_EQ(EncodePasswordNibbles("ab"), "FAFB");
    EXPECT_EQ(DecodePasswordNibbles("FAFB"), "ab");
    EXPECT_EQ(EncodePasswordNibbles(""), "");
    EXPECT_EQ(DecodePasswordNibbles("FAF"), "a");  // a lone last character is ignored
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
    const std::string stored = EncodePasswordNibbles(all);
    ASSERT_EQ(stored.size(), 512u);
    for (const char c : stored) {
        EXPECT_GE(c, '@');
        EXPECT_LE(c, 'O');
    }
    EXPECT_EQ(DecodePasswordNibbles(stored), all);
}

}  // namespace
}  // namespace corvane::core
