#include "platform/file_services.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>
#include <set>

#include "tests/support/scratch_directory.h"

namespace corvane::platform {
namespace {

using testing::ScratchDirectory;
using Names = std::vector<std::string>;

std::string BaseName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

TEST(CreateTempFile, NamesArePrefixHexDigitsAndTmpAndNeverRepeat) {
    ScratchDirectory dir;
    const std::regex form("QV0[0-9A-F]{1,4}\\.tmp");
    std::set<std::string> seen;
    for (int i = 0; i < 300; ++i) {
        std::optional<std::string> path = CreateTempFile(dir.path(), "QV0");
        ASSERT_TRUE(path);
        EXPECT_EQ(path->substr(0, dir.path().size() + 1), dir.path() + "/");
        EXPECT_TRUE(std::regex_match(BaseName(*path), form)) << *path;
        EXPECT_TRUE(seen.insert(*path).second) << "repeated " << *path;
        std::optional<FileInfo> info = GetFileInfo(*path);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->size, 0u);
    }
}

TEST(CreateTempFile, PrefixIsCutToThreeCharactersAndMayNotLeaveTheDirectory) {
    ScratchDirectory dir;
    EXPECT_TRUE(std::regex_match(BaseName(CreateTempFile(dir.path(), "CVTX").value()),
                                 std::regex("CVT[0-9A-F]{1,4}\\.tmp")));
    EXPECT_TRUE(std::regex_match(BaseName(CreateTempFile(dir.path(), "").value()),
                                 std::regex("[0-9A-F]{1,4}\\.tmp")));
    EXPECT_FALSE(CreateTempFile(dir.path(), "../"));
    EXPECT_FALSE(CreateTempFile(dir.path(), std::string_view("a\0b", 3)));
    EXPECT_FALSE(CreateTempFile(dir.File("absent"), "QV0"));
}

TEST(ListDirectory, PatternsMatchWithoutRegardToCase) {
    ScratchDirectory dir;
    for (const char* name : {"a.tmp", "B.TMP", "c.tmpx", "QV01.cvc", "noext", ".hidden.tmp"}) {
        dir.Write(name, "");
    }
    ASSERT_EQ(::mkdir(dir.File("sub.tmp").c_str(), 0700), 0);
    struct Case {
        const char* pattern;
        Names expected;
    };
    const Case cases[] = {
        {"*.tmp", {".hidden.tmp", "B.TMP", "a.tmp", "sub.tmp"}},
        {"*.*", {".hidden.tmp", "B.TMP", "QV01.cvc", "a.tmp", "c.tmpx", "noext", "sub.tmp"}},
        {"qv0*.CVC", {"QV01.cvc"}},
        {"?.tmp", {"B.TMP", "a.tmp"}},
        {"*.ml", {}},
    };
    for (const Case& c : cases) {
        std::optional<std::vector<DirectoryEntry>> entries = ListDirectory(dir.path(), c.pattern);
        ASSERT_TRUE(entries);
        Names names;
        for (const DirectoryEntry& entry : *entries) names.push_back(entry.name);
        EXPECT_EQ(names, c.expected) << c.pattern;
    }
    auto subEntry = ListDirectory(dir.path(), "sub.*").value();
    ASSERT_EQ(subEntry.size(), 1u);
    EXPECT_TRUE(subEntry[0].info.isDirectory);
    EXPECT_FALSE(ListDirectory(dir.File("absent"), "*"));
}

TEST(MoveFile, AnExistingTargetIsReplacedOnlyWhenAsked) {
    ScratchDirectory dir;
    dir.Write("QV01.tmp", "copy");
    dir.Write("QV01.cvc", "older copy");
    EXPECT_FALSE(MoveFile(dir.File("QV01.tmp"), dir.File("QV01.cvc")));
    EXPECT_EQ(dir.Read("QV01.cvc"), "older copy");
    EXPECT_EQ(dir.Read("QV01.tmp"), "copy");

    ASSERT_TRUE(MoveFile(dir.File("QV01.tmp"), dir.File("QV01.cvc"), ExistingTarget::kReplace));
    EXPECT_EQ(dir.Read("QV01.cvc"), "copy");
    ASSERT_TRUE(MoveFile(dir.File("QV01.cvc"), dir.File("moved")));
    EXPECT_EQ(dir.Read("moved"), "copy");
    EXPECT_FALSE(GetFileInfo(dir.File("QV01.cvc")));
    EXPECT_FALSE(MoveFile(dir.File("absent"), dir.File("other")));
}

TEST(CreateDirectories, CreatesMissingParentsPrivately) {
    ScratchDirectory dir;
    const std::string deep = dir.File("a/b/c");
    ASSERT_TRUE(CreateDirectories(deep));
    struct stat info {};
    ASSERT_EQ(::stat(deep.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(CreateDirectories(deep));
    EXPECT_TRUE(CreateDirectories(deep + "/"));

    dir.Write("file", "");
    EXPECT_FALSE(CreateDirectories(dir.File("file")));
    EXPECT_FALSE(CreateDirectories(dir.File("file/below")));
}

}  // namespace
}  // namespace corvane::platform
