#include "store/visited_list.h"

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "tests/store/store_fixture.h"

namespace corvane::store {
namespace {

namespace fs = std::filesystem;
using testing::StoreTest;

class VisitedListTest : public StoreTest {
  protected:
    std::string Path() const { return scratch_.File(kVisitedFileName); }
    std::int64_t VisitTime(std::string_view url) {
        const core::CHTRequestEntry* entry = host_->FindEntry(url);
        return entry != nullptr ? entry->visitTime : -1;
    }
};

TEST_F(VisitedListTest, VisitsSurviveARestartAndExpireAfterTheirDays) {
    constexpr std::int64_t kDay = 86400;
    const std::int64_t start = now_;
    const struct {
        const char* url;
        std::int64_t age;
    } visits[] = {
        {"http://h/exactly-30-days", 30 * kDay},
        {"http://h/a-second-less", 30 * kDay - 1},
        {"http://h/years-ago", 3000 * kDay},
        {"http://h/find?q=a=b", 0},
    };
    for (const auto& visit : visits) host_->Entry(visit.url).visitTime = start - visit.age;
    host_->Entry("http://h/never-followed");  // a link seen on a page

    ASSERT_TRUE(SaveVisited(*host_, Path(), std::nullopt));
    EXPECT_EQ(scratch_.Read(kVisitedFileName).find("never-followed"), std::string::npos);
    Restart();
    LoadVisited(*host_, Path());
    EXPECT_EQ(VisitTime("http://h/years-ago"), start - 3000 * kDay);
    EXPECT_EQ(VisitTime("http://h/find?q=a=b"), start);

    ASSERT_TRUE(SaveVisited(*host_, Path(), 30));
    Restart();
    LoadVisited(*host_, Path());
    EXPECT_EQ(VisitTime("http://h/exactly-30-days"), -1);
    EXPECT_EQ(VisitTime("http://h/years-ago"), -1);
    EXPECT_EQ(VisitTime("http://h/a-second-less"), start - 30 * kDay + 1);
}

TEST_F(VisitedListTest, MarkingADocumentSeenSetsItsVisitAndTouchesItsCopy) {
    ASSERT_TRUE(Store("http://h/page", "page"));
    core::CHTRequest& request = Request("http://h/page");
    cache_->Link(request);
    now_ += 500;
    request.MarkSeen();
    EXPECT_EQ(VisitTime("http://h/page"), now_);
    EXPECT_TRUE(request.seenSinceStart);
    EXPECT_EQ(cache_->Find("http://h/page")->lastUsed, now_);
}

TEST_F(VisitedListTest, AnotherWindowsVisitsAreKeptWhenSaving) {
    host_->Entry("http://h/mine").visitTime = now_;
    ASSERT_TRUE(SaveVisited(*host_, Path(), std::nullopt));
    Restart();  // the other window, which never loaded the file
    host_->Entry("http://h/theirs").visitTime = now_;
    ASSERT_TRUE(SaveVisited(*host_, Path(), std::nullopt));
    Restart();
    LoadVisited(*host_, Path());
    EXPECT_EQ(VisitTime("http://h/mine"), now_);
    EXPECT_EQ(VisitTime("http://h/theirs"), now_);
}

TEST_F(VisitedListTest, DamagedLinesAreSkippedAndTheRestIsRead) {
    const std::string line = "http://h/" + std::string(5000, 'l') + "=100\n";
    using namespace std::string_literals;
    scratch_.Write(kVisitedFileName,
                   "no equals sign\n=5\nhttp://h/x=abc\nhttp://h/neg=-4\n\x01\xff\x00junk=\n"s +
                       line + "http://h/ok=42\r\nhttp://h/last=7");
    LoadVisited(*host_, Path());
    EXPECT_EQ(VisitTime("http://h/ok"), 42);
    EXPECT_EQ(VisitTime("http://h/last"), 7);
    EXPECT_EQ(VisitTime("http://h/" + std::string(5000, 'l')), 100);
    EXPECT_EQ(host_->Entries().size(), 3u);
}

TEST_F(VisitedListTest, ALongListReadsBackWholeWithTheLaterOfTwoVisits) {
    std::vector<std::string> urls = {"http://h/back\\slash", "http://h/line\nend",
                                     "http://h/" + std::string(5000, 'm')};
    for (int i = 0; i < 300; ++i)
        urls.push_back("http://h" + std::to_string(i % 3) + "/" + std::to_string(i));
    for (std::size_t i = 0; i < urls.size(); ++i)
        host_->Entry(urls[i]).visitTime = static_cast<std::int64_t>(1000 + i);
    ASSERT_TRUE(SaveVisited(*host_, Path(), std::nullopt));
    // The same addresses met again, one visit later and one earlier.
    scratch_.Write(kVisitedFileName,
                   scratch_.Read(kVisitedFileName) + "http://h0/0=5000\nhttp://h1/1=1\n");
    Restart();
    LoadVisited(*host_, Path());
    ASSERT_EQ(host_->Entries().size(), urls.size());
    for (std::size_t i = 0; i < urls.size(); ++i) {
        const std::int64_t expected =
            urls[i] == "http://h0/0" ? 5000 : 1000 + static_cast<std::int64_t>(i);
        EXPECT_EQ(VisitTime(urls[i]), expected) << urls[i].substr(0, 20);
    }
}

}  // namespace
}  // namespace corvane::store
