#include "platform/utf8.h"

#include <string>

#include <gtest/gtest.h>

namespace corvane {
namespace {

// ASCII is counted eight bytes at a time: wide and narrow characters must count the same
// wherever they fall against those steps.
TEST(Utf8, DisplayColumnsCountWideCharactersTwiceAtAnyOffset) {
    EXPECT_EQ(DisplayColumns(""), 0u);
    for (std::size_t ascii = 0; ascii < 20; ++ascii) {
        const std::string lead(ascii, 'a');
        EXPECT_EQ(DisplayColumns(lead), ascii);
        EXPECT_EQ(DisplayColumns(lead + "\xE6\xBC\xA2" + lead), 2 * ascii + 2) << ascii;  // 漢
        EXPECT_EQ(DisplayColumns(lead + "\xC3\xA9" + "bcdefghij"), ascii + 10) << ascii;  // é
    }
}

}  // namespace
}  // namespace corvane
