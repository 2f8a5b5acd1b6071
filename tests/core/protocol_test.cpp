#include "core/protocol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <tuple>
#include <vector>

#include "core/host_services.h"
#include "core/status.h"
#include "platform/scripted_host_services.h"

namespace corvane::core {
namespace {

// A protocol whose data source answers from a queue: bytes, or a status.
class CQueueProtocol : public CHTProtocol {
  public:
    explicit CQueueProtocol(std::int32_t size) : storage_(static_cast<std::size_t>(size)) {
        SetBuffer(storage_.data(), size);
        SetDataSource(&CQueueProtocol::Source);
    }
    ~CQueueProtocol() override {
        if (readyAtEnd != nullptr) *readyAtEnd = readySignal.status;
    }
    std::deque<std::string> answers;  // "#-66" answers -66
    int sourceCalls = 0;
    int* readyAtEnd = nullptr;  // receives the ready signal's last status

  private:
    std::int32_t Source(std::uint8_t* destination, std::int32_t maxLength) {
        ++sourceCalls;
        if (answers.empty()) return 0;
        std::string& front = answers.front();
        if (front.starts_with('#')) {
            int status = std::stoi(front.substr(1));
            answers.pop_front();
            return status;
        }
        std::size_t count = std::min(front.size(), static_cast<std::size_t>(maxLength));
        std::memcpy(destination, front.data(), count);
        front.erase(0, count);
        if (front.empty()) answers.pop_front();
        return static_cast<std::int32_t>(count);
    }
    std::vector<std::uint8_t> storage_;
};

class RecordingReporter : public CHTProgressReporter {
  public:
    explicit RecordingReporter(std::vector<std::tuple<unsigned, unsigned, unsigned>>& calls)
        : calls_(calls) {}
    void Report(std::uint32_t received, std::uint32_t expected, std::uint32_t elapsed) override {
        calls_.emplace_back(received, expected, elapsed);
    }

  private:
    std::vector<std::tuple<unsigned, unsigned, unsigned>>& calls_;
};

class ProtocolTest : public testing::Test {
  protected:
    CQueueProtocol& Make(std::int32_t capacity, std::deque<std::string> answers) {
        protocol = std::make_unique<CQueueProtocol>(capacity);
        protocol->answers = std::move(answers);
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

TEST_F(ProtocolTest, PeekWaitsForEnoughBytes) {
    CQueueProtocol& p = Make(8, {"ab", "#-66", "cd", "efgh"});
    EXPECT_EQ(p.Peek(4), nullptr);
    EXPECT_EQ(p.error, kNeedMoreData);
    EXPECT_EQ(p.Peek(4), nullptr);  // the source said -66
    EXPECT_EQ(p.error, kNeedMoreData);
    EXPECT_EQ(Text(p.Peek(4), 4), "abcd");
    EXPECT_EQ(p.available, 4);  // nothing consumed
    EXPECT_EQ(Block(p, 0), "abcd");
}

TEST_F(ProtocolTest, PeekBeyondTheCapacityNeverSucceeds) {
    CQueueProtocol& p = Make(4, {"abcdefgh"});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(p.Peek(5), nullptr);
        EXPECT_EQ(p.error, kNeedMoreData);
    }
    EXPECT_EQ(p.sourceCalls, 1);  // a full buffer asks the source for nothing
}

TEST_F(ProtocolTest, PeekAfterTheEndReportsTheEnd) {
    CQueueProtocol& p = Make(8, {"GIF"});
    EXPECT_EQ(p.Peek(7), nullptr);
    EXPECT_EQ(p.error, kNeedMoreData);
    EXPECT_EQ(p.Peek(7), nullptr);
    EXPECT_EQ(p.error, kEndOfData);
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

TEST_F(ProtocolTest, EmptySourceEndsAtOnce) {
    CHTProtocol plain;
    std::uint8_t storage[4];
    plain.SetBuffer(storage, 4);
    EXPECT_EQ(plain.ReadMore(), kEndOfData);
    EXPECT_EQ(plain.Pump(), -1);  // no convertor
}

TEST_F(ProtocolTest, WaitCursorLastsUntilReleasedOrStopped) {
    std::vector<bool> cursor;
    host.showWaitCursor = [&](bool shown) { cursor.push_back(shown); };
    Make(4, {});
    protocol->ShowWaitCursor();
    protocol->ShowWaitCursor();
    protocol->ReleaseWaitCursor();
    protocol->ShowWaitCursor();
    request->protocol = std::move(protocol);
    request->Stop();
    EXPECT_EQ(cursor, (std::vector<bool>{true, false, true, false}));
}

TEST_F(ProtocolTest, HtmlTextEscapesOnlyLessThan) {
    EXPECT_EQ(CHTProtocol::EscapeHtmlText("a<b>&c<"), "a&lt;b>&c&lt;");
}

TEST(RuntimeClass, RecordsKnowTheirBasesAndCreateOnlyWhatFits) {
    EXPECT_TRUE(CHTUnavailableProtocol::kRuntimeClass.IsDerivedFrom(&CHTProtocol::kRuntimeClass));
    EXPECT_TRUE(CHTCommand::kRuntimeClass.IsDerivedFrom(&CObject::kRuntimeClass));
    EXPECT_FALSE(CHTProtocol::kRuntimeClass.IsDerivedFrom(&CHTCommand::kRuntimeClass));
    EXPECT_EQ(CHTUnavailableProtocol::kRuntimeClass.objectSize, sizeof(CHTUnavailableProtocol));
    EXPECT_STREQ(CHTUnavailableProtocol::kRuntimeClass.className, "CHTUnavailableProtocol");
    EXPECT_EQ(CreateObjectAs<CHTProtocol>(&CHTCommand::kRuntimeClass), nullptr);  // abstract
    EXPECT_EQ(CreateObjectAs<CHTConvertor>(&CHTUnavailableProtocol::kRuntimeClass), nullptr);
    EXPECT_EQ(CreateObjectAs<CHTProtocol>(nullptr), nullptr);
    auto made = CreateObjectAs<CHTProtocol>(&CHTUnavailableProtocol::kRuntimeClass);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Open(), kOpenFailed);
    EXPECT_EQ(made->error, kFailure);
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

TEST_F(PumpTaskTest, PumpsUntilTheConvertorFinishes) {
    Install({0, -1, 0});
    CHTProtocol& p = *request->protocol;
    p.error = kNeedMoreData;
    EXPECT_EQ(p.StartPumping(), 0);  // the first 0 hands over to the pump task
    ASSERT_NE(p.pumpTask, nullptr);
    RunUntilIdle();  // -1 with -66: retried; 0: waits on the request
    EXPECT_TRUE(request->waiting.Contains(*p.pumpTask));
    EXPECT_EQ(p.readySignal.status, 0);
    request->Wake();
    RunUntilIdle();
    EXPECT_FALSE(request->IsRunning());
    EXPECT_EQ(request->status, 0);
}

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

TEST_F(PumpTaskTest, WaitsForTheConvertor) {
    CQueueProtocol& p = Make(8, {});
    request->protocol = std::move(protocol);
    p.CreatePumpTask();
    scheduler.RunPass();
    EXPECT_TRUE(request->waiting.Contains(*p.pumpTask));
    auto convertor = std::make_unique<CListConvertor>();
    convertor->Init(request);
    p.convertor = std::move(convertor);
    request->Wake();
    RunUntilIdle();
    EXPECT_FALSE(request->IsRunning());
    EXPECT_EQ(request->kind, kKindDocument);
}

}  // namespace
}  // namespace corvane::core
