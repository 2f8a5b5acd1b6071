#include "platform/profile_directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/scratch_directory.h"

namespace corvane::platform {
namespace {

TEST(ResolveProfileDirectory, TakesTheStrongestGivenSource) {
    const std::string cwd = std::filesystem::current_path().string();
    struct Case {
        ProfileDirectorySources sources;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {{"/opt/p/", "/c", "/x", "/h"}, "/opt/p"},
        {{"rel/../dir", "/c", "/x", "/h"}, cwd + "/dir"},
        {{std::nullopt, "/c//home/", "/x", "/h"}, "/c/home"},
        {{"", "", "/x", "/h"}, "/x/corvane"},
        {{std::nullopt, std::nullopt, "relative/data", "/h"}, "/h/.local/share/corvane"},
        {{std::nullopt, std::nullopt, "", "/h/"}, "/h/.local/share/corvane"},
        {{std::nullopt, std::nullopt, std::nullopt, std::nullopt}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveProfileDirectory(c.sources), c.expected) << c.expected.value_or("(none)");
    }
}

TEST(OpenProfileDirectory, CreatesTheDirectoryPrivatelyOnFirstStart) {
    testing::ScratchDirectory dir;
    std::string error;
    ProfileDirectorySources sources{std::nullopt, std::nullopt, dir.File("data"), std::nullopt};
    std::optional<std::string> opened = OpenProfileDirectory(sources, error);
    ASSERT_TRUE(opened) << error;
    EXPECT_EQ(*opened, dir.File("data/corvane"));
    struct stat info {};
    ASSERT_EQ(::stat(opened->c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(OpenProfileDirectory(sources, error));

    dir.Write("file", "");
    sources.option = dir.File("file");
    EXPECT_FALSE(OpenProfileDirectory(sources, error));
    EXPECT_NE(error.find(dir.File("file")), std::string::npos) << error;
    EXPECT_FALSE(OpenProfileDirectory({}, error));
    EXPECT_NE(error.find("--profile"), std::string::npos) << error;
}

}  // namespace
}  // namespace corvane::platform
