#include "core/protocol.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <tuple>
#include <vector>

#include "core/ht_host_services.h"
#include "core/status.h"
#include "platform/scripted_host_services.h"
#include "tests/support/piece_protocol.h"

namespace corvane::core {
namespace {

// Tells what its ready signal last said when it goes.
class CQueueProtocol : public corvane::testing::PieceProtocol {
  public:
    using PieceProtocol::PieceProtocol;
    ~CQueueProtocol() override {
        if (readyAtEnd != nullptr) *readyAtEnd = readySignal.status;
    }
    int* readyAtEnd = nullptr;
};

class RecordingReporter : public CHTProgressReporter {
  public:
    explicit RecordingReporter(std::vector<std::tuple<unsigned, unsigned, unsigned>>& calls)
        : calls_(calls) {}
    void Report(std::uint64_t received, std::uint64_t expected, std::uint32_t elapsed) override {
        calls_.emplace_back(received, expected, elapsed);
    }

  private:
    std::vector<std::tuple<unsigned, unsigned, unsigned>>& calls_;
};

class ProtocolTest : public ::testing::Test {
  protected:
    CQueueProtocol& Make(std::int32_t capacity, std::deque<std::string> answers) {
        protocol = std::make_unique<CQueueProtocol>(std::move(answers), capacity);
        protocol->Attach(request, false, false);
        return *protocol;
    }
    // GetBlock changes `length`, so it is called before the text is made.
    static std::string Block(CHTProtocol& p, std::int32_t length) {
        const std::uint8_t* block = p.GetBlock(length);
        return Text(block, length);
    }
    static std::string Text(const std::uint8_t* block, std::int32_t length) {
        return block == nullptr ? "<null>"
                                : std::string(reinterpret_cast<const char*>(block),
                                              static_cast<std::size_t>(length));
    }

    std::uint32_t now = 1000;
    platform::ScriptedHostServices ui;
    CHTScheduler scheduler{[this] { return now; }};
    CHTHostServices host{ui, scheduler};
    CHTRequest* request = host.GetRequest("http://h/x", nullptr, kMethodShared, nullptr);
    std::unique_ptr<CQueueProtocol> protocol;
};

TEST_F(ProtocolTest, GetBlockHandsOutWhatIsBuffered) {
    CQueueProtocol& p = Make(8, {"abcdef", "ghijklmnop"});
    EXPECT_EQ(Block(p, 0), "abcdef");
    EXPECT_EQ(Block(p, 3), "ghi");
    EXPECT_EQ(Block(p, 100), "jklmn");  // the rest of what one read brought
    EXPECT_EQ(Block(p, 0), "op");
    EXPECT_EQ(Block(p, 0), "<null>");
    EXPECT_EQ(p.error, kEndOfData);
    EXPECT_EQ(p.received, 16u);
}

TEST_F(ProtocolTest, PeekWaitsForEnoughBytesOrTheEnd) {
    CQueueProtocol& p = Make(8, {"ab", "#-66", "cd", "efgh"});
    EXPECT_EQ(p.Peek(4), nullptr);
    EXPECT_EQ(p.error, kNeedMoreData);
    EXPECT_EQ(p.Peek(4), nullptr);  // the source said -66
    EXPECT_EQ(p.error, kNeedMoreData);
    EXPECT_EQ(Text(p.Peek(4), 4), "abcd");
    EXPECT_EQ(p.available, 4);  // nothing consumed
    EXPECT_EQ(Block(p, 0), "abcd");
    // Short of the bytes at the end of the data, or at a failure, it reports that.
    CQueueProtocol& ended = Make(8, {"GIF"});
    EXPECT_EQ(ended.Peek(7), nullptr);
    EXPECT_EQ(ended.Peek(7), nullptr);
    EXPECT_EQ(ended.error, kEndOfData);
    CQueueProtocol& broken = Make(8, {"GI", "#-255"});
    EXPECT_EQ(broken.Peek(7), nullptr);
    EXPECT_EQ(broken.Peek(7), nullptr);
    EXPECT_EQ(broken.error, kFailure);
}

TEST_F(ProtocolTest, ReadMoreKeepsUnreadBytesAndReportsProgress) {
    std::vector<std::tuple<unsigned, unsigned, unsigned>> calls;
    CQueueProtocol& p = Make(6, {"abcd", "efgh"});
    p.SetProgressReporter(std::make_unique<RecordingReporter>(calls));
    request->size = 8;
    EXPECT_EQ(p.ReadMore(), 4);
    std::int32_t length = 3;
    p.GetBlock(length);
    now += 40;
    EXPECT_EQ(p.ReadMore(), 5);  // "d" moved to the front, then "efgh" after it
    EXPECT_EQ(Text(p.readPosition, p.available), "defgh" + std::string());
    EXPECT_EQ(p.startTick, 1000u);
    EXPECT_EQ(p.lastTick, 1040u);
    using Call = std::tuple<unsigned, unsigned, unsigned>;
    EXPECT_EQ(calls, (std::vector<Call>{{4, 8, 0}, {8, 8, 40}}));
}

// A convertor that answers a prepared list and can make a document.
class CListConvertor : public CHTConvertor {
  public:
    std::deque<int> answers;
    bool makeDocument = true;
    int Convert() override {
        int answer = answers.empty() ? 1 : answers.front();
        if (!answers.empty()) answers.pop_front();
        if (answer == 1 && makeDocument)
            request->SetResult(kKindDocument, std::make_unique<CObject>());
        return answer;
    }
};

class PumpTaskTest : public ProtocolTest {
  protected:
    CListConvertor& Install(std::deque<int> answers) {
        CQueueProtocol& p = Make(8, {});
        auto convertor = std::make_unique<CListConvertor>();
        convertor->answers = std::move(answers);
        convertor->Init(request);
        CListConvertor& installed = *convertor;
        p.convertor = std::move(convertor);
        request->protocol = std::move(protocol);
        return installed;
    }
    int RunUntilIdle() {
        int passes = 0;
        while (scheduler.HasQueuedTasks() && passes < 100) {
            scheduler.RunPass();
            ++passes;
        }
        return passes;
    }
};

TEST_F(PumpTaskTest, EndsByKindAndStatus) {
    struct Case {
        const char* name;
        int status;
        int kind;
        bool makeDocument;
        int requestStatus;
        int readyStatus;
    };
    const Case kCases[] = {
        {"redirection", 0, kKindRedirect, true, 0, 0},
        {"silent", kSilentEnd, kKindNothing, true, kSilentEnd, 0},
        {"failed", -10, kKindNothing, true, kFailure, kFailure},
        {"no document", 0, kKindDocument, false, kFailure, kFailure},
        {"document", 0, kKindDocument, true, 0, 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        request->status = static_cast<std::int16_t>(c.status);
        request->kind = c.kind;
        request->document.reset();
        CListConvertor& convertor = Install({1});
        convertor.makeDocument = c.makeDocument;
        auto& p = static_cast<CQueueProtocol&>(*request->protocol);
        int ready = 7;
        p.readySignal.status = 7;
        p.readyAtEnd = &ready;
        p.CreatePumpTask();
        scheduler.RunPass();
        if (request->IsRunning()) {
            request->Wake();
            RunUntilIdle();
        }
        // A silent end only wakes the waiting tasks; the load deletes the request.
        EXPECT_EQ(request->IsRunning(), c.status == kSilentEnd);
        request->Stop();
        scheduler.DeleteRetired();
        EXPECT_EQ(request->status, c.requestStatus);
        EXPECT_EQ(ready, c.status == kSilentEnd ? 7 : c.readyStatus);
    }
}

}  // namespace
}  // namespace corvane::core
