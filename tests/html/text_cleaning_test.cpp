#include "html/text_cleaning.h"

#include <string>

#include <gtest/gtest.h>

namespace corvane::html {
namespace {

TEST(TextCleaning, CollapseTextJoinsBlanksAndControlsIntoOneSpace) {
    const struct {
        std::string_view text;
        std::string_view collapsed;
    } cases[] = {
        {" \t\r\n ", ""},  // blank text adds nothing
        {"a", "a"},
        {"  a  b  ", " a b "},
        {"a\t\n\x01\x7f b", "a b"},
        {"\xC3\xA9 \xE6\xBC\xA2", "\xC3\xA9 \xE6\xBC\xA2"},  // bytes of UTF-8 stay
    };
    std::string out = "left over";
    for (const auto& c : cases) {
        CollapseText(c.text, out);
        EXPECT_EQ(out, c.collapsed) << c.text;
    }
}

}  // namespace
}  // namespace corvane::html
