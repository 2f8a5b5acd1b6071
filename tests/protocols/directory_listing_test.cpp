#include "protocols/directory_listing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "protocols/local_path.h"
#include "tests/support/scratch_directory.h"

namespace corvane::protocols {
namespace {

namespace fs = std::filesystem;

// Thursday, 5 December 1996 14:03:07 UTC.
constexpr std::time_t kThursday = 849794587;

class DirectoryListingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }

    void MakeFile(const std::string& name, std::size_t size, std::time_t time) {
        const std::string path = scratch_.File(name);
        scratch_.Write(name, "x");
        ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(size)), 0);  // sparse when large
        SetTime(path, time);
    }
    void MakeDirectory(const std::string& name, std::time_t time) {
        const std::string path = root_ + "/" + name;
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
        SetTime(path, time);
    }
    static void SetTime(const std::string& path, std::time_t time) {
        const timespec times[2] = {{time, 0}, {time, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }

    // Drains a source through a small buffer, so units larger than the space given are split.
    static std::string Drain(GeneratedUnits& source, int capacity) {
        std::string page;
        char buffer[2048];
        for (int calls = 0; calls < 100000; ++calls) {
            const int written = source.Fill(buffer, capacity);
            if (written == 0) return page;
            EXPECT_GT(written, 0);
            EXPECT_LE(written, capacity);
            page.append(buffer, static_cast<std::size_t>(written));
        }
        ADD_FAILURE() << "source never ended";
        return page;
    }

    std::string Header(const std::string& shown, const std::string& parentUrl) const {
        return "<TITLE>Directory Listing of " + shown + "</TITLE>\r\n<H1>Directory Listing of " +
               shown + "</H1>\r\n<PRE>\r\n\r\n<A HREF=\"" + parentUrl +
               "\">Up to higher level directory</A>\r\n";
    }

    corvane::testing::ScratchDirectory scratch_;
    std::string root_ = scratch_.path();
};

TEST_F(DirectoryListingTest, PreparedTreeListsByteForByte) {
    MakeFile("b.txt", 1234, kThursday);
    MakeDirectory("Alpha", kThursday + 86400);  // Friday
    MakeFile("c.html", 0, 0);                   // Thursday 1 January 1970
    MakeFile("a", 2000000000, kThursday - 4 * 86400);
    const std::string dir = root_ + "/";
    const std::string expected =
        Header(dir, DirectoryUrl(fs::path(root_).parent_path().string() + "/")) +
        "  <A HREF=\"file://" + dir + "a\">a</A>" + std::string(29, ' ') +
        "2000000000 bytes Sun, 01 Dec 1996 14:03:07 \r\n" + "  <A HREF=\"file://" + dir +
        "Alpha/\">Alpha/</A>" + std::string(24, ' ') + std::string(16, ' ') +
        " Fri, 06 Dec 1996 14:03:07 \r\n" + "  <A HREF=\"file://" + dir + "b.txt\">b.txt</A>" +
        std::string(25, ' ') + "      1234 bytes Thr, 05 Dec 1996 14:03:07 \r\n" +
        "  <A HREF=\"file://" + dir + "c.html\">c.html</A>" + std::string(24, ' ') +
        "         0 bytes Thr, 01 Jan 1970 00:00:00 \r\n";
    DirectoryListing whole(root_);
    EXPECT_EQ(Drain(whole, 2048), expected);
    DirectoryListing trickle(root_ + "/");
    EXPECT_EQ(Drain(trickle, 7), expected);
}

TEST_F(DirectoryListingTest, HostileNamesAreEscapedInTextAndLinks) {
    struct Case {
        std::string name;
        std::string href;
        std::string text;
        std::size_t columns;
    };
    const Case cases[] = {
        {"a b", "a%20b", "a b", 3},
        {"<x>", "%3Cx%3E", "&lt;x&gt;", 3},
        {"R&D", "R%26D", "R&amp;D", 3},
        {"say \"hi\"", "say%20%22hi%22", "say &quot;hi&quot;", 8},
        {"50%?#+", "50%25%3F%23%2B", "50%?#+", 6},
        {"a\x1a\x7f", "a%1A%7F", "a&#26;&#127;", 3},
        // UTF-8 names are shown as they are; ideographs take two columns.
        {"caf\u00e9", "caf%C3%A9", "caf\u00e9", 4},
        {"\u041F\u0440\u0438\u0432\u0435\u0442.txt", "%D0%9F%D1%80%D0%B8%D0%B2%D0%B5%D1%82.txt",
         "\u041F\u0440\u0438\u0432\u0435\u0442.txt", 10},
        {"\u65E5\u672C\u8A9E", "%E6%97%A5%E6%9C%AC%E8%AA%9E", "\u65E5\u672C\u8A9E", 6},
        // Other names are read as Windows-1252; the link keeps their bytes.
        {"caf\xe9 \x80", "caf%E9%20%80", "caf\u00e9 \u20AC", 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DirectoryEntry entry{c.name, kThursday, 5, false};
        const std::string line = FormatEntryLine("/d/", entry);
        const std::string start = "  <A HREF=\"file:///d/" + c.href + "\">" + c.text + "</A>";
        EXPECT_EQ(line.substr(0, start.size()), start);
        // Padding counts the columns the shown name takes, not its escaped form.
        EXPECT_EQ(line.substr(start.size(), 30 - c.columns + 10),
                  std::string(30 - c.columns + 9, ' ') + "5");
        // The link leads back to the very file.
        EXPECT_EQ(UrlPathToLocalPath("/d/" + c.href, TrailingSlash::kKeep), "/d/" + c.name);
    }
}

TEST_F(DirectoryListingTest, LongNamesAreNotPadded) {
    const DirectoryEntry entry{std::string(40, 'n'), kThursday, 7, false};
    const std::string line = FormatEntryLine("/", entry);
    EXPECT_NE(line.find(std::string(40, 'n') + "</A>         7 bytes Thr,"), std::string::npos);
}

TEST_F(DirectoryListingTest, UnreadableDirectoryGivesHeaderAndParentLinkOnly) {
    MakeDirectory("closed", kThursday);
    MakeFile("closed/inside", 1, kThursday);
    const std::string expected = Header(root_ + "/closed/", DirectoryUrl(root_ + "/"));
    if (geteuid() != 0) {  // root reads every directory whatever its mode
        ASSERT_EQ(chmod((root_ + "/closed").c_str(), 0), 0);
        DirectoryListing listing(root_ + "/closed");
        EXPECT_EQ(Drain(listing, 2048), expected);
    }
    // A directory that vanishes between the open and the first unit cannot be read either.
    DirectoryListing vanished(root_ + "/closed");
    fs::permissions(root_ + "/closed", fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(root_ + "/closed");
    EXPECT_EQ(Drain(vanished, 2048), expected);
}

TEST_F(DirectoryListingTest, ParentLinksClimbToTheRootAndThenToTheRootsList) {
    DirectoryListing top("/tmp");
    EXPECT_NE(Drain(top, 2048).find("<A HREF=\"file:////\">Up to higher level directory</A>"),
              std::string::npos);
    DirectoryListing rootListing("/");
    const std::string page = Drain(rootListing, 2048);
    EXPECT_EQ(page.find("<TITLE>Directory Listing of /</TITLE>"), 0u);
    EXPECT_NE(page.find("<A HREF=\"file:///\">Up to higher level directory</A>"),
              std::string::npos);
    EXPECT_EQ(UrlPathToLocalPath("//", TrailingSlash::kDrop), "/");
}

TEST_F(DirectoryListingTest, RootListOffersRootAndHome) {
    RootList withHome("/home/u s");
    EXPECT_EQ(Drain(withHome, 5),
              "<TITLE>Directory Listing of /</TITLE>\r\n<H1>Directory Listing of /</H1>\r\n"
              "<PRE>\r\n\r\n  <A HREF=\"file:////\">/</A>\r\n"
              "  <A HREF=\"file:///home/u%20s/\">/home/u s/</A>\r\n");
    RootList homeless("");
    EXPECT_EQ(Drain(homeless, 2048).find("/home"), std::string::npos);
}

}  // namespace
}  // namespace corvane::protocols
