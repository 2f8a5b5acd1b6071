#include "html/plain_lines.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "html/tags.h"

namespace corvane::html {
namespace {

// Feeds the bytes and the end of the data; writes texts as [text] and breaks as "|". `inRuns`:
// runs of line bytes go through PutPlainRun, as the convertor feeds them.
std::string Tokens(std::string_view data, bool inRuns = false) {
    PlainLines lines;
    std::string out;
    const auto feed = [&](int ch) {
        const int token = lines.PutChar(ch);
        if (token == TOKEN_TEXT) out += "[" + lines.Text() + "]";
        if (token == TOKEN_LINE_BREAK) out += "|";
        EXPECT_TRUE(token == TOKEN_TEXT || token == TOKEN_LINE_BREAK || token == kTokenNone);
    };
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (inRuns) i += lines.PutPlainRun(bytes + i, data.size() - i);
        if (i < data.size()) feed(bytes[i]);
    }
    feed(0);
    return out;
}

TEST(TextConvertorPlainLinesTest, EveryLineEndGivesOneBreak) {
    const struct {
        std::string_view data;
        std::string_view tokens;
    } cases[] = {
        {"one\r\ntwo\nthree\rfour", "[one]|[two]|[three]|[four]"},
        {"a\n\nb", "[a]||[b]"},
        {"a\r\n\r\nb", "[a]|[]|[b]"},  // a completed pair leaves no state: an empty text
        {"a\r\rb", "[a]||[b]"},
        {"a\n\rb", "[a]||[b]"},  // LF then CR: two line ends
        {"end\n", "[end]|"},
        {"end\r", "[end]|"},
        {"", "[]"},
        {"\n", "[]|"},
        {"tab\there ", "[tab\there ]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Tokens(c.data), c.tokens) << c.data;
        EXPECT_EQ(Tokens(c.data, true), c.tokens) << c.data;
    }
}

}  // namespace
}  // namespace corvane::html
