#include "html/text_convertor.h"

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/convertor_registry.h"
#include "core/ht_host_services.h"
#include "core/protocol.h"
#include "core/request.h"
#include "core/scheduler.h"
#include "core/status.h"
#include "platform/scripted_host_services.h"
#include "tests/core/recording_cache_entry.h"
#include "tests/html/build_document.h"
#include "tests/support/piece_protocol.h"

namespace corvane::html {
namespace {

class TextConvertorTest : public ::testing::Test {
  protected:
    TextConvertorTest() { RegisterTextConvertors(); }
    ~TextConvertorTest() override { SetTextConvertorServices({}); }

    struct Outcome {
        std::vector<std::string> elements;
        int passes = 0;
        int answer = 0;
        std::vector<int> pauses;  // the protocol error of every pass that paused
    };

    // Loads the pieces as the type; Convert is called until it finishes or fails for good.
    Outcome Load(std::string_view type, std::deque<std::string> pieces) {
        core::CHTRequest* request = host.GetRequest("http://h/doc", nullptr, 0, nullptr);
        request->cacheEntry =
            std::make_unique<corvane::testing::RecordingCacheEntry>(cacheCopy, cacheEnd);
        request->protocol = std::make_unique<corvane::testing::PieceProtocol>(std::move(pieces));
        request->protocol->Attach(request, false, false);
        request->protocol->convertor = core::Convertors().CreateConvertor(type, *request);
        EXPECT_NE(request->protocol->convertor, nullptr);
        Outcome outcome;
        for (; outcome.passes < 1000; ++outcome.passes) {
            if (request->protocol == nullptr) break;  // finished: the request stopped it
            outcome.answer = request->protocol->Pump();
            if (outcome.answer != -1 || !core::IsPause(request->protocol->error)) break;
            outcome.pauses.push_back(request->protocol->error);
        }
        EXPECT_EQ(request->kind, core::kKindDocument);
        const auto* result = dynamic_cast<const CHTMLDocument*>(request->document.get());
        if (result == nullptr) {
            ADD_FAILURE() << "no document";
            return outcome;
        }
        const CHTML& document = *result->html;
        for (const CHTMLElement* e = document.First(); e != document.End(); e = e->next) {
            outcome.elements.push_back(testing::Describe(*e));
        }
        host.DeleteRequest(request);
        scheduler.DeleteRetired();
        return outcome;
    }

    std::uint32_t now = 1;
    platform::ScriptedHostServices ui;
    core::CHTScheduler scheduler{[this] { return now; }};
    core::CHTHostServices host{ui, scheduler};
    std::string cacheCopy;
    int cacheEnd = 1;
};

using Elements = std::vector<std::string>;

TEST_F(TextConvertorTest, PlainTextShowsOneLinePerLineEnd) {
    const Outcome outcome = Load("text/plain", {"one\r\ntwo\nthr", "ee\rfour"});
    EXPECT_EQ(outcome.answer, 1);
    EXPECT_EQ(outcome.elements, (Elements{"start", "pre:one", "break:0", "pre:two", "break:0",
                                          "pre:three", "break:0", "pre:four", "break:2"}));
    EXPECT_EQ(cacheCopy, "one\r\ntwo\nthree\rfour");
    EXPECT_EQ(cacheEnd, 0);
}

TEST_F(TextConvertorTest, HtmlEndingInsideATagShowsTheTagAsText) {
    const Outcome outcome = Load("text/html", {"<B>bold</B> <I", " class=x"});
    EXPECT_EQ(outcome.answer, 1);
    ASSERT_FALSE(outcome.elements.empty());
    EXPECT_EQ(outcome.elements[1], "text:20:bold");
    EXPECT_NE(outcome.elements[outcome.elements.size() - 2].find("<I class=x"), std::string::npos)
        << ::testing::PrintToString(outcome.elements);
}

TEST_F(TextConvertorTest, EndOfFileMarkEndsTheDataAndTheCopy) {
    const Outcome outcome = Load("text/html", {"<P>before", std::string("\x1A<P>after", 9)});
    EXPECT_EQ(outcome.answer, 1);
    for (const std::string& element : outcome.elements) {
        EXPECT_EQ(element.find("after"), std::string::npos);
    }
    EXPECT_NE(std::find(outcome.elements.begin(), outcome.elements.end(), "text:0:before"),
              outcome.elements.end());
    // The copy keeps the data as it came; read again it ends at the same mark.
    EXPECT_TRUE(cacheCopy.starts_with("<P>before\x1A")) << cacheCopy;
    EXPECT_EQ(cacheEnd, 0);
}

TEST_F(TextConvertorTest, DataArrivingLaterIsWaitedForAndLargeDataIsReadInPasses) {
    const std::string big(3 * CHTextConvertor::kBytesPerPass, 'x');
    const Outcome outcome = Load("text/plain", {"#-66", "a", "#-66", "b\n", big});
    EXPECT_EQ(outcome.answer, 1);
    // Two waits for data, then the big line read in passes that only yield: a yield must not be
    // taken for a wait, or the scheduler would sleep between the passes of a local file.
    ASSERT_GE(outcome.pauses.size(), 4u);
    EXPECT_EQ(outcome.pauses[0], core::kNeedMoreData);
    EXPECT_EQ(outcome.pauses[1], core::kNeedMoreData);
    EXPECT_EQ(outcome.pauses[2], core::kYielded);
    EXPECT_EQ(outcome.pauses.back(), core::kYielded);
    ASSERT_GE(outcome.elements.size(), 4u);
    EXPECT_EQ(outcome.elements[1], "pre:ab");
    EXPECT_EQ(cacheCopy.size(), 3 + big.size());
}

TEST_F(TextConvertorTest, ATransferFailureFailsTheLoadAndAbandonsTheCopy) {
    const Outcome outcome = Load("text/html", {"<P>partial", "#-255", "never"});
    EXPECT_EQ(outcome.answer, -1);
    EXPECT_EQ(cacheEnd, core::kFailure);
    EXPECT_EQ(cacheCopy, "<P>partial");
}

// A table hook that completes a table at every </TABLE> and a replay that takes two passes.
class TableProbe : public TableHooks, public TableReplay {
  public:
    int HandleTableToken(CHTMLBuilder&, int token, std::string_view) override {
        return token == (tag::kTable | kEndTagFlag) ? CHTMLBuilder::kTableCompleted : 1;
    }
    bool Replay(CHTMLBuilder& builder) override {
        ++steps;
        if (steps % 2 == 1) return false;
        builder.AddBreak(kParagraphGap);  // stands for the replayed cells
        return true;
    }
    int steps = 0;
};

TEST_F(TextConvertorTest, ACompletedTablePausesReadingUntilItsReplayEnds) {
    TableProbe tables;
    SetTextConvertorServices({&tables, &tables, nullptr, nullptr});
    const Outcome outcome = Load("text/html", {"<TABLE></TABLE>after"});
    EXPECT_EQ(tables.steps, 2);
    EXPECT_EQ(outcome.elements, (Elements{"start", "break:1", "text:0:after", "break:2"}));
}

// The real collector: a table larger than one pass of replay, never closed, still comes whole.
TEST_F(TextConvertorTest, AnUnclosedLargeTableIsReplayedOverSeveralPasses) {
    std::string page = "<table><tr>";
    for (int i = 0; i < CTableCollector::kTokensPerPass + 100; ++i) page += "<td>x";
    const Outcome outcome = Load("text/html", {page});
    EXPECT_EQ(outcome.elements, (Elements{"start", "type9", "break:2", "break:2"}));
    EXPECT_GE(outcome.pauses.size(), 2u);
}

}  // namespace
}  // namespace corvane::html
