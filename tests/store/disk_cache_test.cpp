#include "store/disk_cache.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/file_services.h"
#include "platform/poll_event_loop.h"
#include "tests/store/store_fixture.h"

namespace corvane::store {
namespace {

namespace fs = std::filesystem;
using testing::StoreTest;

int CopyFiles(const std::string& directory) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(directory))
        count += entry.path().extension() == ".cvc";
    return count;
}

TEST(CacheIndexTest, LinesRoundTripAndServerTextCannotForgeFields) {
    const CacheIndexValue cases[] = {
        {"QV01A2.cvc", "text/html", -1, ""},
        {"QV01A2.cvc", "text/html", 5, "http://h/next.html"},
        {"QV01A2.cvc", "", 0, ""},
        {"QV0F.cvc", "text/html,x\r\n[Cache Dir]\nevil=QV01.cvc", 7, "http://h/a,b\nx=y"},
    };
    for (const CacheIndexValue& value : cases) {
        const std::string line = FormatCacheIndexLine("http://h/a=b", value);
        ASSERT_EQ(line.find('\n'), line.size() - 1) << line;
        const auto equals = line.find('=');
        EXPECT_EQ(line.substr(0, equals), "http://h/a\\x3Db");
        EXPECT_EQ(ParseCacheIndexValue(line.substr(equals + 1, line.size() - equals - 2)), value);
    }
    EXPECT_EQ(FormatCacheIndexLine("k", {"QV01.cvc", "text/html", 5, "http://x/"}),
              "k=QV01.cvc,text/html,5; url=http://x/\n");
    EXPECT_EQ(FormatCacheIndexLine("k", {"QV01.cvc", "text/html", -1, "ignored"}),
              "k=QV01.cvc,text/html\n");
    // Lines as older versions wrote them.
    EXPECT_EQ(ParseCacheIndexValue("QV01.cvc,image/gif, 12 ;  URL=http://x/?a=b,c"),
              (CacheIndexValue{"QV01.cvc", "image/gif", 12, "http://x/?a=b,c"}));
    EXPECT_EQ(ParseCacheIndexValue("QV01.cvc"),
              (CacheIndexValue{"QV01.cvc", "text/plain", -1, ""}));
}

TEST_F(StoreTest, CopiesSurviveARestartUnderExactKeys) {
    const std::string longUrl = "http://h/" + std::string(2000, 'x');
    ASSERT_TRUE(Store("http://h/A.html", "upper"));
    ASSERT_TRUE(Store("http://h/a.html", "lower"));
    ASSERT_TRUE(Store(longUrl, "long"));
    Restart();
    ASSERT_EQ(cache_->Count(), 3u);
    EXPECT_EQ(cache_->TotalBytes(), 14u);
    const auto read = [&](const std::string& url) {
        auto copy = cache_->OpenCached(Request(url));
        if (!copy) return std::string("(none)");
        std::uint8_t bytes[64];
        const auto got = copy->Read(bytes, sizeof bytes);
        return std::string(reinterpret_cast<char*>(bytes), static_cast<std::size_t>(got));
    };
    EXPECT_EQ(read("http://h/A.html"), "upper");
    EXPECT_EQ(read("http://h/a.html"), "lower");
    EXPECT_EQ(read(longUrl), "long");
    EXPECT_EQ(read(longUrl.substr(0, 519)), "(none)");
    EXPECT_EQ(read("http://h/A.HTML"), "(none)");
}

TEST_F(StoreTest, OnlyWholeTransfersOfPlainRequestsAreCommitted) {
    EXPECT_FALSE(Store("http://h/post", "x", 0, core::kMethodFormPost));
    EXPECT_TRUE(Store("http://h/failed", "partial", -255));
    Request("http://h/short").announcedLength = 100;
    EXPECT_TRUE(Store("http://h/short", "only 10 b."));
    Request("http://h/exact").announcedLength = 5;
    EXPECT_TRUE(Store("http://h/exact", "12345"));
    EXPECT_EQ(cache_->Find("http://h/short"), nullptr);
    EXPECT_EQ(cache_->Find("http://h/failed"), nullptr);
    EXPECT_NE(cache_->Find("http://h/exact"), nullptr);
    EXPECT_EQ(CopyFiles(CacheDirectory()), 1);
    EXPECT_EQ(scratch_.Read("cache/ovalon.dir").find("post"), std::string::npos);

    core::CHTRequest& post = Request("http://h/exact", core::kMethodFormPost);
    post.lastUsed = 77;
    EXPECT_EQ(cache_->Check(post), CacheCheck::kFetch);
    EXPECT_EQ(post.lastUsed, 0);
}

TEST_F(StoreTest, ANewCopyReplacesTheOldOne) {
    ASSERT_TRUE(Store("http://h/p", "first"));
    const std::string firstName = cache_->Find("http://h/p")->value.fileName;
    ASSERT_TRUE(Store("http://h/p", "second!"));
    EXPECT_NE(cache_->Find("http://h/p")->value.fileName, firstName);
    EXPECT_FALSE(fs::exists(CachePath(firstName)));
    EXPECT_EQ(CopyFiles(CacheDirectory()), 1);
    EXPECT_EQ(cache_->TotalBytes(), 7u);
}

TEST_F(StoreTest, RefreshValuesComeBackFromTheIndex) {
    core::CHTRequest& page = Request("http://h/pull");
    page.refreshSeconds = 5;
    page.refreshUrl = "http://h/next";
    ASSERT_TRUE(Store("http://h/pull", "<p>"));
    ASSERT_TRUE(Store("http://h/plain", "<p>"));
    const std::string index = scratch_.Read("cache/ovalon.dir");
    EXPECT_NE(index.find(",5; url=http://h/next\n"), std::string::npos) << index;
    Restart();
    core::CHTRequest& again = Request("http://h/pull");
    EXPECT_EQ(again.refreshSeconds, -1);
    ASSERT_TRUE(cache_->OpenCached(again));
    EXPECT_EQ(again.refreshSeconds, 5);
    EXPECT_EQ(again.refreshUrl, "http://h/next");
}

TEST_F(StoreTest, LimitsEvictTheLeastRecentlyUsedFirst) {
    for (int i = 0; i < 4; ++i) {
        now_ += 10;
        ASSERT_TRUE(Store("http://h/" + std::to_string(i), std::string(600, 'x')));
    }
    now_ += 10;
    cache_->Touch("http://h/0");  // now the newest
    Restart();                    // the order comes back from the files' times
    cache_->SetLimit(-1);
    EXPECT_EQ(cache_->Count(), 4u);
    cache_->SetLimit(1);  // 2400 bytes -> at most 2047
    EXPECT_EQ(cache_->Find("http://h/1"), nullptr);
    EXPECT_EQ(CopyFiles(CacheDirectory()), 3);
    cache_->SetLimit(0);  // less than 1024 bytes: the newest copy stays
    EXPECT_EQ(cache_->Count(), 1u);
    EXPECT_EQ(cache_->TotalBytes(), 600u);
    EXPECT_NE(cache_->Find("http://h/0"), nullptr);
    ASSERT_TRUE(Store("http://h/small", std::string(1023, 'x')));
    EXPECT_EQ(cache_->Count(), 1u);
    EXPECT_NE(cache_->Find("http://h/small"), nullptr);
    ASSERT_TRUE(Store("http://h/one-more", "x"));
    EXPECT_EQ(cache_->Count(), 1u);
    EXPECT_NE(cache_->Find("http://h/one-more"), nullptr);
}

// Start-up reads no copy's size: with an event loop, a limit set at start is enforced on the
// loop's first turn, and a cache gone by then is left alone.
TEST_F(StoreTest, ALimitSetAtStartIsEnforcedFromTheLoop) {
    for (int i = 0; i < 3; ++i) {
        now_ += 10;
        ASSERT_TRUE(Store("http://h/" + std::to_string(i), std::string(600, 'x')));
    }
    platform::PollEventLoop loop;
    Restart();
    host_->SetLoop(&loop);
    cache_->SetLimit(0);
    EXPECT_EQ(cache_->Count(), 3u);
    loop.RunUntil([] { return false; }, 20);
    EXPECT_EQ(cache_->Count(), 1u);
    EXPECT_NE(cache_->Find("http://h/2"), nullptr);

    Restart();
    host_->SetLoop(&loop);
    cache_->SetLimit(0);
    now_ += 10;
    ASSERT_TRUE(Store("http://h/3", std::string(600, 'x')));  // a commit counts every copy
    EXPECT_EQ(cache_->Count(), 1u);
    EXPECT_NE(cache_->Find("http://h/3"), nullptr);

    Restart();
    host_->SetLoop(&loop);
    cache_->SetLimit(0);
    cache_.reset();
    loop.RunUntil([] { return false; }, 20);
}

// Start-up lists no directory: the sweep of what a crash left waits for the loop's first turn
// (or the exit, when the loop never turned), and a copy gone meanwhile is a miss.
TEST_F(StoreTest, TheSweepWaitsForTheLoopAndAMissingCopyIsAMissUntilThen) {
    ASSERT_TRUE(Store("http://h/kept", "kept"));
    ASSERT_TRUE(Store("http://h/gone", "gone"));
    fs::remove(CachePath(cache_->Find("http://h/gone")->value.fileName));
    scratch_.Write("cache/QV0FE.cvc", "elsewhere");
    const std::string index = scratch_.Read("cache/ovalon.dir");
    scratch_.Write("cache/ovalon.dir", index + "http://h/path=QV0/../QV0FE.cvc,text/html\n");
    const auto leaveLeftovers = [&] {
        scratch_.Write("cache/QV0AB.tmp", "half a copy");
        scratch_.Write("cache/QV0AC.cvc", "never indexed");
    };
    const auto swept = [&] {
        return !fs::exists(CachePath("QV0AB.tmp")) && !fs::exists(CachePath("QV0AC.cvc"));
    };
    leaveLeftovers();
    platform::PollEventLoop loop;
    Restart(&loop);
    EXPECT_EQ(cache_->Check(Request("http://h/gone")), CacheCheck::kFetch);
    EXPECT_EQ(cache_->Find("http://h/gone"), nullptr);
    EXPECT_EQ(cache_->Find("http://h/path"), nullptr);
    EXPECT_NE(cache_->Find("http://h/kept"), nullptr);
    EXPECT_FALSE(swept());
    loop.RunUntil([] { return false; }, 20);
    EXPECT_TRUE(swept());
    EXPECT_EQ(cache_->Count(), 1u);
    EXPECT_EQ(scratch_.Read("cache/ovalon.dir").find("http://h/gone"), std::string::npos);
    EXPECT_EQ(scratch_.Read("cache/ovalon.dir").find("http://h/path"), std::string::npos);

    leaveLeftovers();
    Restart(&loop);
    cache_->Shutdown();
    EXPECT_TRUE(swept());

    leaveLeftovers();
    Restart(&loop);
    cache_.reset();
    loop.RunUntil([] { return false; }, 20);  // the sweep of a cache gone is left alone
    EXPECT_FALSE(swept());
}

TEST_F(StoreTest, UpdateModesDecideBetweenServingAndAskingTheServer) {
    ASSERT_TRUE(Store("http://h/p", "page"));
    const std::int64_t copyTime = cache_->Find("http://h/p")->lastUsed;
    struct Case {
        CacheUpdate update;
        bool seen;
        CacheCheck expected;
    };
    const Case cases[] = {
        {CacheUpdate::kNever, false, CacheCheck::kServe},
        {CacheUpdate::kOncePerSession, false, CacheCheck::kRevalidate},
        {CacheUpdate::kOncePerSession, true, CacheCheck::kServe},
        {CacheUpdate::kEveryTime, true, CacheCheck::kRevalidate},
    };
    for (const Case& c : cases) {
        Restart();
        cache_->SetUpdate(c.update);
        core::CHTRequest& request = Request("http://h/p");
        request.seenSinceStart = c.seen;
        EXPECT_EQ(cache_->Check(request), c.expected) << static_cast<int>(c.update) << c.seen;
        EXPECT_EQ(request.lastUsed, c.expected == CacheCheck::kRevalidate ? copyTime : 0);
    }
    EXPECT_EQ(cache_->Check(Request("http://h/other")), CacheCheck::kFetch);
}

TEST_F(StoreTest, StartUpRemovesWhatACrashLeftButNotARunningWindowsCopy) {
    ASSERT_TRUE(Store("http://h/kept", "kept"));
    scratch_.Write("cache/QV0AB.tmp", "half a copy");
    scratch_.Write("cache/QV0AC.cvc", "never indexed");
    scratch_.Write("cache/notes.tmp", "not ours");
    scratch_.Write("cache/QV0AD.tmp", "being written");
    const int busy = open(CachePath("QV0AD.tmp").c_str(), O_RDONLY);
    ASSERT_EQ(flock(busy, LOCK_EX), 0);
    std::string index = scratch_.Read("cache/ovalon.dir");
    scratch_.Write("cache/ovalon.dir", index + "http://h/gone=QV0FFF.cvc,text/html\n");
    Restart();
    EXPECT_FALSE(fs::exists(CachePath("QV0AB.tmp")));
    EXPECT_FALSE(fs::exists(CachePath("QV0AC.cvc")));
    EXPECT_TRUE(fs::exists(CachePath("notes.tmp")));
    EXPECT_TRUE(fs::exists(CachePath("QV0AD.tmp")));
    EXPECT_EQ(scratch_.Read("cache/ovalon.dir"), index);
    close(busy);
    cache_->Shutdown();
    EXPECT_FALSE(fs::exists(CachePath("QV0AD.tmp")));
    EXPECT_EQ(cache_->Count(), 1u);
}

TEST_F(StoreTest, ClearOnExitEmptiesTheCache) {
    ASSERT_TRUE(Store("http://h/a", "a"));
    cache_->SetClearOnExit(true);
    cache_->Shutdown();
    Restart();
    EXPECT_EQ(cache_->Count(), 0u);
    EXPECT_EQ(CopyFiles(CacheDirectory()), 0);
}

TEST_F(StoreTest, SizesAndTimesAre64Bit) {
    constexpr std::int64_t kAfter2038 = 4'000'000'000;
    now_ = kAfter2038;
    ASSERT_TRUE(Store("http://h/big", "x"));
    const std::string name = cache_->Find("http://h/big")->value.fileName;
    fs::resize_file(CachePath(name), 3ull << 30);  // sparse: no disk space used
    platform::SetModificationTime(CachePath(name), kAfter2038);
    Restart();
    EXPECT_EQ(cache_->TotalBytes(), 3ull << 30);
    EXPECT_EQ(cache_->Find("http://h/big")->lastUsed, kAfter2038);
    cache_->SetLimit(4 << 20);  // 4 GiB in KB: keeps it
    EXPECT_EQ(cache_->Count(), 1u);
    cache_->SetLimit(2 << 20);
    EXPECT_EQ(cache_->Count(), 0u);
}

// With an event loop, new copies reach the index together a moment after the first, and are
// served meanwhile; a crash before that write loses only them, and the next start removes them.
TEST_F(StoreTest, NewCopiesShareOneIndexWriteAndACrashBeforeItLosesOnlyThem) {
    ASSERT_TRUE(Store("http://h/old", "old"));
    platform::PollEventLoop loop;
    host_->SetLoop(&loop);
    const std::string before = scratch_.Read("cache/ovalon.dir");
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(Store("http://h/" + std::to_string(i), "new"));
    EXPECT_EQ(scratch_.Read("cache/ovalon.dir"), before);
    EXPECT_TRUE(cache_->OpenCached(Request("http://h/7")));
    ASSERT_TRUE(loop.RunUntil([&] { return scratch_.Read("cache/ovalon.dir") != before; }, 5000));
    EXPECT_NE(scratch_.Read("cache/ovalon.dir").find("http://h/19="), std::string::npos);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Store("http://h/lost", "lost");
        _exit(0);  // no destructor, no write at close: as if killed
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(CopyFiles(CacheDirectory()), 22);
    Restart();
    EXPECT_EQ(cache_->Count(), 21u);
    EXPECT_EQ(cache_->Find("http://h/lost"), nullptr);
    EXPECT_EQ(CopyFiles(CacheDirectory()), 21);
}

TEST_F(StoreTest, AnotherWindowsCopiesAreSeen) {
    CDiskCache other(*host_);
    other.Open(CacheDirectory(), scratch_.File("fallback"));
    ASSERT_TRUE(Store("http://h/mine", "mine"));
    EXPECT_NE(other.Find("http://h/mine"), nullptr);
    const auto storeInOther = [&](const std::string& url) {
        auto writer = other.CreateWriter(Request(url));
        writer->Put("theirs", 6);
        writer->End(0);
    };
    storeInOther("http://h/theirs");
    EXPECT_NE(cache_->Find("http://h/theirs"), nullptr);
    EXPECT_NE(cache_->Find("http://h/mine"), nullptr);

    // A copy not yet in the index survives the other window's rewrite of it; one that a third
    // window's start removed meanwhile is not indexed.
    platform::PollEventLoop loop;
    host_->SetLoop(&loop);
    const auto runLoop = [&loop] { loop.RunUntil([] { return false; }, 600); };
    ASSERT_TRUE(Store("http://h/mine-later", "mine"));
    storeInOther("http://h/theirs-later");
    runLoop();
    std::string index = scratch_.Read("cache/ovalon.dir");
    for (const char* key : {"mine-later=", "theirs-later="})
        EXPECT_NE(index.find(key), std::string::npos) << key;
    ASSERT_TRUE(Store("http://h/swept", "gone"));
    CDiskCache third(*host_);
    third.Open(CacheDirectory(), scratch_.File("fallback"));
    runLoop();  // the third window's sweep comes first, then this one's index write
    index = scratch_.Read("cache/ovalon.dir");
    EXPECT_EQ(index.find("swept"), std::string::npos);
    EXPECT_NE(index.find("mine-later="), std::string::npos);
    EXPECT_EQ(cache_->Find("http://h/swept"), nullptr);
}

TEST_F(StoreTest, AnUncreatableDirectoryFallsBackWithoutAnIndexFile) {
    scratch_.Write("blocked", "a file where the directory should be");
    cache_->Open(scratch_.File("blocked"), scratch_.File(""));
    EXPECT_EQ(cache_->Directory(), scratch_.File(""));
    ASSERT_TRUE(Store("http://h/a", "a"));
    EXPECT_NE(cache_->Find("http://h/a"), nullptr);
    EXPECT_FALSE(fs::exists(scratch_.File("ovalon.dir")));
}

TEST_F(StoreTest, StartUpTellsCopiesFromOtherFilesByNameInEitherCase) {
    for (const char* name :
         {"qv0a1.cvc", "QV0A2.CVC", "QV0A4.cvc", "qv0a3.TMP", ".ovalon.dir.Zq09aB", "notes.txt"})
        scratch_.Write("cache/" + std::string(name), name);
    scratch_.Write("cache/ovalon.dir",
                   "[Cache Dir]\n"
                   "http://h/lower=qv0a1.cvc,text/html\n"
                   "http://h/upper=QV0A2.CVC,text/html\n"
                   "http://h/lower=QV0A4.cvc,text/html\n"     // the key again: the first line holds
                   "http://h/notes=notes.txt,text/plain\n");  // not a copy of ours
    Restart();
    EXPECT_EQ(cache_->Count(), 2u);
    EXPECT_NE(cache_->Find("http://h/lower"), nullptr);
    EXPECT_NE(cache_->Find("http://h/upper"), nullptr);
    EXPECT_EQ(cache_->Find("http://h/notes"), nullptr);
    for (const char* gone : {"QV0A4.cvc", "qv0a3.TMP", ".ovalon.dir.Zq09aB"})
        EXPECT_FALSE(fs::exists(CachePath(gone))) << gone;
    for (const char* kept : {"qv0a1.cvc", "QV0A2.CVC", "notes.txt"})
        EXPECT_TRUE(fs::exists(CachePath(kept))) << kept;
    EXPECT_EQ(scratch_.Read("cache/ovalon.dir").find("notes"), std::string::npos);
}

}  // namespace
}  // namespace corvane::store
