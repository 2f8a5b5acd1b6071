#include "protocols/local_target.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/scratch_directory.h"

namespace corvane::protocols {
namespace {

namespace fs = std::filesystem;
using Kind = LocalTarget::Kind;

TEST(LocalTargetTest, UrlsNameTheRootListADirectoryAFileOrNothing) {
    corvane::testing::ScratchDirectory scratch;
    const std::string root = scratch.path();
    fs::create_directory(root + "/d ir");
    scratch.Write("d ir/x?.txt", "x");
    const std::string rel = root.substr(1);  // the address path has no leading "/"

    const struct {
        std::string host;
        std::string path;
        Kind kind;
        std::string local;
    } cases[] = {
        {"", "", Kind::kRootList, ""},
        {"", "?query", Kind::kRootList, ""},
        {"server", rel, Kind::kFailed, ""},
        {"", rel, Kind::kDirectory, root},
        {"", rel + "/", Kind::kDirectory, root},
        {"", rel + "/d+ir/", Kind::kDirectory, root + "/d ir"},
        {"", rel + "/d%20ir/x%3F.txt?q", Kind::kFile, root + "/d ir/x?.txt"},
        {"", rel + "/missing.html", Kind::kFailed, root + "/missing.html"},
        {"", rel + "/nul%00", Kind::kFailed, ""},
        {"", "~/", Kind::kDirectory, root},
        {"", "/", Kind::kDirectory, "/"},
    };
    for (const auto& c : cases) {
        const LocalTarget target = ResolveLocalTarget(c.host, c.path, root);
        EXPECT_EQ(target.kind, c.kind) << c.path;
        if (c.kind != Kind::kFailed) {
            EXPECT_EQ(target.path, c.local) << c.path;
        }
    }
}

}  // namespace
}  // namespace corvane::protocols
