#include "bookmarks/desktop_link.h"

#include <gtest/gtest.h>

#include <set>

namespace corvane::bookmarks {
namespace {

TEST(DesktopLink, ValuesCannotAddKeys) {
    EXPECT_EQ(DesktopLinkText(" a\nExec=rm\\x", "http://h/\tq"),
              "[Desktop Entry]\nVersion=1.0\nType=Link\nName=\\sa\\nExec=rm\\\\x\n"
              "URL=http://h/\\tq\nIcon=text-html\n");
}

TEST(DesktopLink, FileNames) {
    const std::set<std::string> used = {"News.desktop", "News (2).desktop"};
    const auto taken = [&used](const std::string& name) { return used.count(name) > 0; };
    EXPECT_EQ(DesktopLinkFileName("News", taken), "News (3).desktop");
    EXPECT_EQ(DesktopLinkFileName("../etc/passwd", taken), "_._etc_passwd.desktop");
    EXPECT_EQ(DesktopLinkFileName("", taken), "Bookmark.desktop");
    // 99 ASCII bytes then a two-byte character that would straddle the limit.
    const std::string longName = std::string(99, 'x') + "\xc3\xa9" + "tail";
    EXPECT_EQ(DesktopLinkFileName(longName, taken), std::string(99, 'x') + ".desktop");
}

}  // namespace
}  // namespace corvane::bookmarks
