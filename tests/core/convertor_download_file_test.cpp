#include <sys/stat.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "core/download_file.h"
#include "core/url_escapes.h"
#include "tests/support/scratch_directory.h"

namespace corvane::core {
namespace {

namespace fs = std::filesystem;

TEST(ConvertorUrlEscapes, DecodesPairsAndKeepsBrokenEscapes) {
    EXPECT_EQ(DecodeUrlEscapes("a%20b%2fc%2F"), "a b/c/");
    EXPECT_EQ(DecodeUrlEscapes("100%"), "100%");
    EXPECT_EQ(DecodeUrlEscapes("%4"), "%4");
    EXPECT_EQ(DecodeUrlEscapes("%zz%41"), "%zzA");
    EXPECT_EQ(DecodeUrlEscapes("%00"), std::string(1, '\0'));
}

struct NameCase {
    const char* path;
    const char* expected;
};

TEST(ConvertorDownloadName, ReducesHostileSegmentsToPlainNames) {
    const NameCase cases[] = {
        {"/docs/report.pdf", "report.pdf"},
        {"/cgi/get?file=/etc/passwd", "get"},
        {"/a/b.ps#frag", "b.ps"},
        {"/..%2F..%2F.profile", "profile"},
        {"/%2Fetc%2Fpasswd", "passwd"},
        {"/a;rm%20-rf%20~.ps", "a;rm -rf ~.ps"},
        {"/%24(id).pdf", "$(id).pdf"},
        {"/evil%0Aname.pdf", "evil_name.pdf"},
        {"/nul%00byte.txt", "nul_byte.txt"},
        {"/-rf.ps", "rf.ps"},
        {"/--.-x", "x"},
        {"/..", ""},
        {"/", ""},
        {"", ""},
        {"/%2F", ""},
        {"/...%2F", ""},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(SafeDownloadName(c.path), c.expected) << c.path;
    }
}

TEST(ConvertorDownloadName, BoundsLongNamesKeepingTheExtension) {
    std::string longName = "/" + std::string(10 * 1024, 'x') + ".pdf";
    std::string name = SafeDownloadName(longName);
    EXPECT_EQ(name.size(), kMaxDownloadNameLength);
    EXPECT_EQ(name.substr(name.size() - 4), ".pdf");

    // A multi-byte character at the cut is dropped whole, never split.
    std::string accents;
    for (int i = 0; i < 200; ++i) accents += "\xC3\xA9";
    name = SafeDownloadName("/" + accents);
    EXPECT_LE(name.size(), kMaxDownloadNameLength);
    EXPECT_EQ(name.size() % 2, 0u);

    // Bytes that are not UTF-8 are cut where they are, and a cut never leaves a leading ".".
    name = SafeDownloadName("/" + std::string(300, '\xAC') + ".pdf");
    EXPECT_LE(name.size(), kMaxDownloadNameLength);
    EXPECT_GE(name.size(), kMaxDownloadNameLength - 3);
    EXPECT_EQ(name.substr(name.size() - 4), ".pdf");
    name = SafeDownloadName("/ " + std::string(300, '.') + "x.pdf");
    EXPECT_EQ(name, "x.pdf");
}

class ConvertorDownloadDirectoryTest : public ::testing::Test {
  protected:
    corvane::testing::ScratchDirectory scratch;
    fs::path parent_{scratch.path()};
};

TEST_F(ConvertorDownloadDirectoryTest, CreatesPrivateDirectoryFreshNamesAndCommittedFiles) {
    DownloadDirectory directory(parent_.string());
    auto file = directory.Create("/files/report.pdf");
    ASSERT_TRUE(file.has_value());
    fs::path dir = directory.Path();
    EXPECT_EQ(dir.parent_path(), parent_);
    struct stat info {};
    ASSERT_EQ(::lstat(dir.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(fs::path(file->Path()), dir / "report.pdf");
    ASSERT_TRUE(file->Write("hello", 5));
    EXPECT_TRUE(file->Commit());
    EXPECT_EQ(fs::file_size(dir / "report.pdf"), 5u);

    // A file never committed is deleted with its handle.
    std::string partial;
    {
        auto uncommitted = directory.Create("/partial.ps");
        ASSERT_TRUE(uncommitted && uncommitted->Write("half", 4));
        partial = uncommitted->Path();
    }
    EXPECT_FALSE(fs::exists(partial));

    // A taken name, or none, gets a fresh CVT name, with the extension.
    auto first = directory.Create("/pic.ps");
    auto second = directory.Create("/pic.ps");
    ASSERT_TRUE(first && second);
    fs::path name = fs::path(second->Path()).filename();
    EXPECT_EQ(name.string().substr(0, 3), "CVT");
    EXPECT_EQ(name.extension(), ".ps");
    EXPECT_NE(first->Path(), second->Path());

    auto unnamed = directory.Create("/");
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(fs::path(unnamed->Path()).filename().string().substr(0, 3), "CVT");
}

TEST_F(ConvertorDownloadDirectoryTest, ReplacingFileKeepsTheOldOneUntilCommit) {
    fs::path target = parent_ / "saved.txt";
    scratch.Write("saved.txt", "old");
    fs::permissions(target, fs::perms(0640));
    auto read = [&] { return scratch.Read("saved.txt"); };

    auto failed = CreateReplacingFile(target.string());
    ASSERT_TRUE(failed && failed->Write("new", 3));
    failed->Discard();
    EXPECT_EQ(read(), "old");

    auto file = CreateReplacingFile(target.string());
    ASSERT_TRUE(file && file->Write("new", 3));
    EXPECT_EQ(read(), "old");
    ASSERT_TRUE(file->Commit());
    EXPECT_EQ(read(), "new");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
    EXPECT_EQ(scratch.Names().size(), 1u);  // no temporary file left behind

    EXPECT_FALSE(CreateReplacingFile(parent_.string()).has_value());
    EXPECT_FALSE(CreateReplacingFile((parent_ / "nowhere" / "x").string()).has_value());
}

}  // namespace
}  // namespace corvane::core
