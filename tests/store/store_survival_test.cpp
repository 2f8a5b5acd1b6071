// The stores under a kill -9 at random moments while they are rewritten, and over hostile files.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/poll_event_loop.h"
#include "store/realm_store.h"
#include "store/store_lines.h"
#include "store/visited_list.h"
#include "tests/store/store_fixture.h"

namespace corvane::store {
namespace {

namespace fs = std::filesystem;
using testing::StoreTest;

std::string ContentFor(std::string_view key, int round) {
    std::string content;
    for (int i = 0; i < 1 + (round * 7) % 40; ++i) content += std::string(key) + ";";
    return content;
}

class StoreSurvivalTest : public StoreTest {
  protected:
    std::string VisitedPath() const { return scratch_.File(kVisitedFileName); }
    std::string RealmPath() const { return scratch_.File(kRealmFileName); }

    // Fills and rewrites every store for ever; only a signal ends it.
    [[noreturn]] void RewriteForEver(int seed) {
        // Half the rounds leave new copies out of the index until later, as a window does.
        platform::PollEventLoop loop;
        if (seed % 2 != 0) host_->SetLoop(&loop);
        cache_->SetLimit(40);
        CRealmStore realms;
        for (int step = 0;; ++step) {
            const int n = (seed * 31 + step) % 200;
            const std::string url = "http://h/" + std::to_string(n);
            Store(url, ContentFor(url, n));
            host_->Entry(url).visitTime = now_ + step;
            realms.AddRealm("h" + std::to_string(n % 7), 80, "realm", "/p/x", "user", "pw", true);
            SaveVisited(*host_, VisitedPath(), std::nullopt);
            realms.Save(RealmPath());
            if (step % 17 == 0) cache_->Abandon("http://h/" + std::to_string((n + 5) % 200));
        }
    }

    // Every index line names a copy holding its key's content, and the other stores parse whole.
    void ExpectConsistent() {
        std::size_t indexed = 0;
        ReadCacheIndex(
            CachePath(kCacheIndexName), [&](std::string_view key, CacheIndexValue value) {
                ++indexed;
                const int n = std::stoi(std::string(key.substr(key.rfind('/') + 1)));
                EXPECT_EQ(corvane::testing::ReadFile(CachePath(value.fileName)), ContentFor(key, n))
                    << key;
            });
        const std::string visited = scratch_.Read(kVisitedFileName);
        EXPECT_TRUE(visited.empty() || visited.back() == '\n');
        ForEachStoreLine(VisitedPath(), [](std::string_view line) {
            const auto equals = line.rfind('=');
            ASSERT_NE(equals, std::string_view::npos) << line;
            std::int64_t time = 0;
            const auto [end, error] =
                std::from_chars(line.data() + equals + 1, line.data() + line.size(), time);
            EXPECT_TRUE(error == std::errc() && end == line.data() + line.size()) << line;
        });
        ForEachStoreLine(RealmPath(), [](std::string_view line) {
            EXPECT_EQ(std::count(line.begin(), line.end(), ','), 4) << line;
        });
        Restart();
        EXPECT_EQ(cache_->Count(), indexed);
        std::size_t copies = 0;
        for (const auto& entry : fs::directory_iterator(CacheDirectory())) {
            const std::string name = entry.path().filename();
            copies += entry.path().extension() == ".cvc";
            EXPECT_TRUE(entry.path().extension() == ".cvc" || name == kCacheIndexName) << name;
        }
        EXPECT_EQ(copies, indexed);
    }
};

TEST_F(StoreSurvivalTest, AKillAtAnyMomentLeavesEveryStoreWhole) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 24; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) RewriteForEver(round);
        usleep(2000 + random() % 40000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectConsistent();
    }
}

TEST_F(StoreSurvivalTest, HostileFilesAreReadSafelyAndNeverFollowedForWriting) {
    {
        // 100 MB without a line end, then one good line.
        std::ofstream huge(VisitedPath(), std::ios::binary);
        huge.seekp(100 << 20);
        huge << "\nhttp://h/ok=5\n";
    }
    LoadVisited(*host_, VisitedPath());
    EXPECT_EQ(host_->Entries().size(), 1u);

    scratch_.Write("elsewhere", "precious");
    fs::remove(VisitedPath());
    fs::create_symlink(scratch_.File("elsewhere"), VisitedPath());
    fs::create_symlink(scratch_.File("elsewhere"), RealmPath());
    ASSERT_TRUE(SaveVisited(*host_, VisitedPath(), std::nullopt));
    CRealmStore realms;
    realms.AddRealm("h", 80, "r", "/", "u", "p", true);
    ASSERT_TRUE(realms.Save(RealmPath()));
    EXPECT_EQ(scratch_.Read("elsewhere"), "precious");
    EXPECT_FALSE(fs::is_symlink(VisitedPath()));
    EXPECT_EQ((fs::status(VisitedPath()).permissions() & fs::perms::all),
              fs::perms::owner_read | fs::perms::owner_write);

    // Directories where the files should be: nothing is read, saving fails, nothing breaks.
    fs::remove(VisitedPath());
    fs::remove(RealmPath());
    fs::create_directory(VisitedPath());
    fs::create_directory(RealmPath());
    fs::create_directory(CachePath(kCacheIndexName));
    Restart();
    LoadVisited(*host_, VisitedPath());
    realms.Load(RealmPath());
    host_->Entry("http://h/x").visitTime = 9;
    EXPECT_FALSE(SaveVisited(*host_, VisitedPath(), std::nullopt));
    EXPECT_FALSE(realms.Save(RealmPath()));
    EXPECT_TRUE(Store("http://h/x", "x"));
    EXPECT_TRUE(fs::is_directory(CachePath(kCacheIndexName)));

    // A copy that is a link to another file is never served.
    fs::remove(CachePath(kCacheIndexName));
    Restart();
    ASSERT_TRUE(Store("http://h/linked", "copy"));
    const std::string copy = CachePath(cache_->Find("http://h/linked")->value.fileName);
    fs::remove(copy);
    fs::create_symlink(scratch_.File("elsewhere"), copy);
    EXPECT_FALSE(cache_->OpenCached(Request("http://h/linked")));

    // Binary junk as the index.
    using namespace std::string_literals;
    scratch_.Write("cache/ovalon.dir", "\0\xff[Cache Dir\n=\n\x01=\x02,\x03\n"s);
    Restart();
    EXPECT_EQ(cache_->Count(), 0u);
}

}  // namespace
}  // namespace corvane::store
