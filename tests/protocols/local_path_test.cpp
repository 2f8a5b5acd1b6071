#include "protocols/local_path.h"

#include <gtest/gtest.h>

namespace corvane::protocols {
namespace {

TEST(LocalPathTest, UrlPathsBecomeLocalPaths) {
    struct Case {
        const char* url;
        TrailingSlash trailing;
        std::optional<std::string> local;
    };
    const Case cases[] = {
        {"/home/a/x.html", TrailingSlash::kKeep, "/home/a/x.html"},
        {"/home/a%20b/c+d.txt", TrailingSlash::kKeep, "/home/a b/c d.txt"},
        {"/x%2B%25y", TrailingSlash::kKeep, "/x+%y"},
        {"/dir/page.html?a=1?b=2", TrailingSlash::kKeep, "/dir/page.html?a=1"},
        {"/what%3F", TrailingSlash::kKeep, "/what?"},  // cut before decoding
        {"/dir/", TrailingSlash::kDrop, "/dir"},
        {"/dir/", TrailingSlash::kKeep, "/dir/"},
        {"/", TrailingSlash::kDrop, "/"},
        {"////", TrailingSlash::kDrop, "/"},
        {"//a//b", TrailingSlash::kKeep, "/a/b"},
        {"c|/web/x.htm", TrailingSlash::kKeep, "c:/web/x.htm"},
        {"/bad%zz%4", TrailingSlash::kKeep, "/bad%zz%4"},
        {"/nul%00byte", TrailingSlash::kKeep, std::nullopt},
        {"/caf%C3%A9", TrailingSlash::kKeep, "/caf\xc3\xa9"},
        {"", TrailingSlash::kKeep, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(UrlPathToLocalPath(c.url, c.trailing), c.local);
    }
}

TEST(LocalPathTest, EveryByteSurvivesEscapingAndDecoding) {
    std::string name = "/";
    for (int byte = 1; byte < 256; ++byte) name.push_back(static_cast<char>(byte));
    const std::string escaped = EscapePathForUrl(name);
    for (const char c : escaped) {
        EXPECT_TRUE(c > 0x20 && c < 0x7F && c != '"' && c != '<' && c != '&' && c != '?' &&
                    c != '#' && c != '+')
            << static_cast<int>(c);
    }
    // Runs of "/" collapse, so compare against the name with its one "/" kept.
    EXPECT_EQ(UrlPathToLocalPath(escaped, TrailingSlash::kKeep), name);
}

TEST(LocalPathTest, TildeNamesTheHomeDirectory) {
    const struct {
        const char* path;
        const char* home;
        const char* expanded;
    } cases[] = {
        {"/~", "/home/u", "/home/u"},
        {"/~/", "/home/u/", "/home/u/"},
        {"/~/docs/a.txt", "/home/u", "/home/u/docs/a.txt"},
        {"/~user/x", "/home/u", "/~user/x"},
        {"/a/~/x", "/home/u", "/a/~/x"},
        {"/~/x", "", "/~/x"},
        {"/~", "/", "/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExpandHomeDirectory(c.path, c.home), c.expanded) << c.path;
    }
}

}  // namespace
}  // namespace corvane::protocols
