#include "protocols/tcp_protocol.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/ht_host_services.h"
#include "core/scheduler.h"
#include "core/status.h"
#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"
#include "tests/protocols/every_split.h"
#include "tests/support/scripted_peer.h"

namespace corvane::protocols {
namespace {

using testing::ScriptedPeer;

// Collects the body in body mode: every block until the end of the data.
class CollectingConvertor : public core::CHTConvertor {
  public:
    int Convert() override {
        std::int32_t length = 0;
        while (const std::uint8_t* block = Protocol()->GetBlock(length = 0)) {
            body.append(reinterpret_cast<const char*>(block), static_cast<std::size_t>(length));
        }
        return Protocol()->error == core::kEndOfData ? 1 : -1;
    }
    std::string body;
};

// A command/reply client: records every delivered line ("+" marks a continuation piece, "#"
// a status) and every complete reply, sends the next queued command after each reply, and
// switches to body mode after a reply with the code bodyAfter.
class ReplyClient : public CHTTCP {
  public:
    std::vector<std::string> lines;
    std::vector<std::string> replies;  // "<code> <last line>"
    std::deque<std::string> commands;
    int bodyAfter = -1;
    std::size_t bodyConsumed = kAfterLine;
    CollectingConvertor* collector = nullptr;

    void StartDialogue(int error) override {
        CHTTCP::StartDialogue(error);
        if (error == 0) SetReplyHandler(&ReplyClient::OnLine);
    }
    bool ChooseConvertor(std::string_view) override {
        auto made = std::make_unique<CollectingConvertor>();
        collector = made.get();
        convertor = std::move(made);
        convertor->Init(request);
        return true;
    }

  private:
    void OnLine(int result) {
        if (result < 0) {
            lines.push_back("#" + std::to_string(result));
        } else {
            lines.push_back((LineIsContinuation() ? "+" : "") + std::string(Line()));
        }
        if (ReadReply(result) <= 0) return;
        replies.push_back(std::to_string(replyCode) + " " + std::string(Line()));
        if (replyCode == bodyAfter) {
            StartBody(bodyConsumed);
        } else if (!commands.empty()) {
            std::string next = std::move(commands.front());
            commands.pop_front();
            SendCommand(next, &ReplyClient::OnLine);
        }
    }
};

class TcpTest : public ::testing::Test {
  public:
    TcpTest() {
        host.SetLoop(&loop);
        scheduler.AttachTo(loop);
        request = host.GetRequest("http://peer/", nullptr, core::kMethodFormQuery, nullptr);
        auto made = std::make_unique<ReplyClient>();
        made->Attach(request, false, false);
        client = made.get();
        request->protocol = std::move(made);
    }
    ~TcpTest() override {
        request->Stop();
        scheduler.DeleteRetired();
        scheduler.Detach();
    }

    int Open(std::string_view host, std::uint16_t port) {
        return client->Connect(std::string(host) + ":" + std::to_string(port), "http", 80);
    }
    // Runs until the peer has played its table and the client has taken everything.
    void Converse(ScriptedPeer& peer, const std::function<bool()>& clientDone) {
        ASSERT_EQ(Open("127.0.0.1", peer.Listen()), core::kOpenWaiting);
        EXPECT_TRUE(loop.RunUntil([&] { return peer.Done() && clientDone(); }, 5000))
            << peer.Mismatch();
    }
    bool Ended() const { return !client->lines.empty() && client->lines.back().starts_with('#'); }

    platform::PollEventLoop loop;
    platform::ScriptedHostServices ui;
    core::CHTScheduler scheduler{[] { return platform::TickCount(); }};
    core::CHTHostServices host{ui, scheduler};
    core::CHTRequest* request = nullptr;
    ReplyClient* client = nullptr;
};

class TcpConversation : public TcpTest {
  public:
    void TestBody() override {}
};

TEST(TcpSplits, MultiLineRepliesCompleteOnlyWithTheirLastLineAtEveryPacketBoundary) {
    const auto script = [](ScriptedPeer& peer) {
        peer.Send("220-Welcome\r\n220-to the test\r\n220 Ready\r\n")
            .Expect("HELO me")
            .Send("250-first\r\n  text without a code\r\n250 done\r\n")
            .Expect("QUIT");
    };
    AtEverySplit(script, [](const std::function<void(ScriptedPeer&)>& prepare) {
        TcpConversation test;
        test.client->commands = {"HELO me", "QUIT"};
        ScriptedPeer peer(test.loop);
        prepare(peer);
        test.Converse(peer, [&] { return test.client->commands.empty(); });
        EXPECT_EQ(test.client->replies,
                  (std::vector<std::string>{"220 220 Ready", "250 250 done"}));
        EXPECT_EQ(peer.Received(), "HELO me\r\nQUIT\r\n");
    });
}

// The body keeps the bytes that came with the last line; a body that starts inside the line (a
// first line without a code is already data) gets the line back with its end.
TEST(TcpSplits, BodyModeKeepsTheBytesThatCameWithTheLine) {
    struct Case {
        int bodyAfter;
        std::size_t consumed;
        std::string answer, body;
    };
    const Case cases[] = {
        {200, ReplyClient::kAfterLine, "200 OK\r\nfirst body line\r\nsecond",
         "first body line\r\nsecond"},
        {0, 0, "plain first line\r\nmore", "plain first line\r\nmore"},
    };
    for (const Case& c : cases) {
        const auto script = [&](ScriptedPeer& peer) { peer.Send(c.answer).Close(); };
        AtEverySplit(script, [&](const std::function<void(ScriptedPeer&)>& prepare) {
            TcpConversation test;
            test.client->bodyAfter = c.bodyAfter;
            test.client->bodyConsumed = c.consumed;
            ScriptedPeer peer(test.loop);
            prepare(peer);
            test.Converse(peer, [&] { return test.client->collector != nullptr; });
            ASSERT_TRUE(test.loop.RunUntil([&] { return test.client->Pump() == 1; }, 5000));
            EXPECT_EQ(test.client->collector->body, c.body);
            EXPECT_EQ(test.request->status, 0);
        });
    }
}

TEST_F(TcpTest, LinesAsTheReaderSeesThem) {
    struct Case {
        std::string name;
        std::string answer;
        bool reset;
        std::vector<std::string> lines;
    };
    const std::string area(CHTTCP::kLineCapacity, 'a');
    const std::string forged = "220-" + std::string(CHTTCP::kLineCapacity - 4, 'x');
    const std::vector<Case> cases = {
        {"4097 bytes without LF", area + "b", false, {area, "+b", "#-65"}},
        {"last line without LF", "220 bye", false, {"220 bye", "#-65"}},
        {"zero byte inside a line",
         std::string("220 a\0b\r\n", 9),
         false,
         {std::string("220 a\0b", 7), "#-65"}},
        {"closed mid-reply", "220-partial\r\n", false, {"220-partial", "#-65"}},
        {"reset mid-reply", "220-partial\r\n220 re", true, {"220-partial", "#-255"}},
        {"a forged reply in the middle of a long line",
         forged + "220 forged\r\n220 real\r\n",
         false,
         {forged, "+220 forged", "220 real", "#-65"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TcpConversation test;
        ScriptedPeer peer(test.loop);
        peer.Send(c.answer);
        if (c.reset) {
            peer.Pause(20).Reset();
        } else {
            peer.Close();
        }
        test.Converse(peer, [&] { return test.Ended(); });
        EXPECT_EQ(test.client->lines, c.lines);
        if (c.name.starts_with("a forged")) {
            EXPECT_EQ(test.client->replies, std::vector<std::string>{"220 220 real"});
        }
    }
}

TEST_F(TcpTest, ACommandThatCannotBeSentAtOnceIsFinishedLater) {
    // Far more than the socket buffers take in one send.
    std::string big(8 << 20, 'c');
    for (std::size_t i = 0; i < big.size(); i += 997) big[i] = static_cast<char>('a' + i % 26);
    client->commands = {big};
    ScriptedPeer peer(loop);
    peer.Send("220 go\r\n").Expect(big).Send("250 got it\r\n");
    Converse(peer, [&] { return client->replies.size() == 2; });
    EXPECT_EQ(peer.Received(), big + "\r\n");
    EXPECT_EQ(client->PendingSendBytes(), 0u);
}

TEST_F(TcpTest, LocalhostReachesAServerListeningOnIpv4Only) {
    ScriptedPeer peer(loop);
    peer.Send("220 hello\r\n");
    const std::uint16_t port = peer.Listen("127.0.0.1");
    ASSERT_EQ(Open("localhost", port), core::kOpenWaiting);
    EXPECT_TRUE(loop.RunUntil([&] { return !client->replies.empty(); }, 5000));
    EXPECT_EQ(client->replies, std::vector<std::string>{"220 220 hello"});
    EXPECT_EQ(ui.statusTexts.front(), "Connecting to localhost:" + std::to_string(port) + "...");
}

TEST_F(TcpTest, RefusedConnectionFailsTheRequest) {
    // A bound socket that does not listen refuses connections.
    const int bound = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(bound, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(getsockname(bound, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const int opened = Open("127.0.0.1", ntohs(address.sin_port));
    if (opened == core::kOpenWaiting) {
        loop.RunUntil([&] { return request->status != 0; }, 5000);
        EXPECT_EQ(request->status, core::kFailure);
    } else {
        EXPECT_EQ(opened, core::kOpenFailed);
    }
    close(bound);
}

TEST_F(TcpTest, StopEndsAServerThatNeverAnswersAtOnce) {
    ScriptedPeer peer(loop);
    peer.StaySilent();
    ASSERT_EQ(Open("127.0.0.1", peer.Listen()), core::kOpenWaiting);
    ASSERT_TRUE(
        loop.RunUntil([&] { return peer.Accepted() && client->Socket()->connected; }, 5000));
    request->Stop();
    EXPECT_EQ(request->protocol, nullptr);
    EXPECT_TRUE(loop.RunUntil([&] { return peer.ClientClosed(); }, 5000));
}

TEST(TcpHostText, SplitsHostAndPort) {
    struct Case {
        std::string text;
        std::optional<std::pair<std::string, std::uint16_t>> split;
    };
    const std::vector<Case> cases = {
        {"host:8080", {{"host", 8080}}}, {"host", {{"host", 0}}},      {"host:", {{"host", 0}}},
        {"[::1]:8080", {{"::1", 8080}}}, {"[::1]", {{"::1", 0}}},      {"a:b:21", {{"a:b", 21}}},
        {"host:0", std::nullopt},        {"host:65536", std::nullopt}, {"host:80x", std::nullopt},
        {":80", std::nullopt},           {"[::1", std::nullopt},       {"[::1]x", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<HostAndPort> got = SplitHostAndPort(c.text);
        ASSERT_EQ(got.has_value(), c.split.has_value()) << c.text;
        if (got) {
            EXPECT_EQ(std::make_pair(got->host, got->port), *c.split) << c.text;
        }
    }
}

}  // namespace
}  // namespace corvane::protocols
