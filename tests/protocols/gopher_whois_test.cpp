#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/status.h"
#include "protocols/gopher_menu.h"
#include "protocols/gopher_protocol.h"
#include "tests/protocols/every_split.h"
#include "tests/support/protocol_load.h"
#include "tests/support/scripted_peer.h"

namespace corvane::protocols {
namespace {

using testing::ProtocolLoad;
using testing::ScriptedPeer;

// A fresh load and peer at every split point.
void AtEverySplit(const std::function<void(ScriptedPeer&)>& script,
                  const std::function<void(ProtocolLoad&, ScriptedPeer&)>& check) {
    protocols::AtEverySplit(script, [&](const std::function<void(ScriptedPeer&)>& prepare) {
        ProtocolLoad load;
        ScriptedPeer peer(load.loop);
        prepare(peer);
        check(load, peer);
    });
}

std::string Url(std::string_view scheme, std::uint16_t port, std::string_view path) {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port) + "/" + std::string(path);
}

class GopherWhois : public ::testing::Test {
  protected:
    GopherWhois() { RegisterGopherAndWhois(); }
};

const std::string kWhoisHeader =
    "<body bgcolor=#FFFFFF text=000000 link=#000088 alink=#008888 vlink=#880000>\r\n"
    "<td><font size=+3>Whois: some one</font><hr size=4><br>\r\n";

TEST_F(GopherWhois, WhoisAnswerBecomesAnEscapedPageWithLinksAtEveryPacketBoundary) {
    AtEverySplit(
        [](ScriptedPeer& peer) {
            peer.Expect("some one")
                .Send("Domain: <b>x</b>\r\nSee http://a.b/c now\r\n\r\nlast")
                .Close();
        },
        [](ProtocolLoad& load, ScriptedPeer& peer) {
            ASSERT_EQ(load.Load(Url("whois", peer.Listen(), "some%20one")), 1);
            EXPECT_TRUE(peer.Done()) << peer.Mismatch();
            EXPECT_EQ(load.Body(), kWhoisHeader +
                                       "Domain: &lt;b>x&lt;/b><br>\r\n"
                                       "See <a href=\"http://a.b/c\">http://a.b/c</a> now<br>\r\n"
                                       "<br>\r\nlast<br>\r\n");
        });
}

TEST_F(GopherWhois, CommandTextWithLineBreaksOrNulIsRefusedBeforeConnecting) {
    for (const char* url : {"whois://127.0.0.1:1/a%0D%0Ab", "whois://127.0.0.1:1/a%00",
                            "gopher://127.0.0.1:1/0a%0Ab", "gopher://127.0.0.1:1/7s?q%0D"}) {
        ProtocolLoad load;
        EXPECT_EQ(load.Open(url), core::kOpenFailed) << url;
        EXPECT_TRUE(load.ui.statusTexts.empty()) << url;
    }
}

TEST(GopherPlanTest, RequestLinesAndOutputsByType) {
    using Output = GopherPlan::Output;
    struct Case {
        std::string path;
        std::optional<std::string> line;  // nullopt: refused
        Output output;
        std::string contentType;
    };
    const std::vector<Case> cases = {
        {"", "", Output::kMenu, ""},
        {"1/docs%20dir", "/docs dir", Output::kMenu, ""},
        {"h/page", "/page", Output::kMenu, ""},
        {"7/find?a%20word", "/find\ta word", Output::kMenu, ""},
        {"2/cso?name", "/csoquery name", Output::kMenu, ""},
        {"7/find", "", Output::kSearchPage, ""},
        {"7/fi%3Fnd?", "", Output::kSearchPage, ""},
        {"0/a?b", "/a?b", Output::kPassThrough, "text/plain"},
        {"I/p.gif", "/p.gif", Output::kPassThrough, "image/gif"},
        {"%3A/pic", "/pic", Output::kPassThrough, "image/gif"},
        {"9/bin", "/bin", Output::kPassThrough, "application/octet-stream"},
        {"s/snd", "/snd", Output::kPassThrough, "audio/basic"},
        {";/mov", "/mov", Output::kPassThrough, "video/mpeg"},
        {"1/a%00b", std::nullopt, Output::kMenu, ""},
    };
    for (const Case& c : cases) {
        const std::optional<GopherPlan> plan = PlanGopherRequest(c.path);
        ASSERT_EQ(plan.has_value(), c.line.has_value()) << c.path;
        if (!plan) continue;
        EXPECT_EQ(plan->requestLine, *c.line) << c.path;
        EXPECT_EQ(plan->output, c.output) << c.path;
        EXPECT_EQ(plan->contentType, c.contentType) << c.path;
    }
}

TEST(GopherMenuLineTest, MenuLinesBecomeEscapedLinksOrText) {
    struct Case {
        std::string line;
        std::string html;
    };
    const std::vector<Case> cases = {
        {"1Docs\t/docs dir\th\t70", "<a href=\"gopher://h:70/1/docs%20dir\">Docs</a>\r\n"},
        {"0  Read me\t/r\th\t", "  <a href=\"gopher://h/0/r\">Read me</a>\r\n"},
        {"3Not found\t\terror.host\t1", "3Not found\r\n"},
        {"iJust text\tfake\th\t70", "Just text\r\n"},
        {"1No port\t/x\th", "1No port\r\n"},
        {"<script>\tx\th", "&lt;script&gt;\r\n"},
        {"", "\r\n"},
        {"1", "\r\n"},
        {"wWeb\tw.example/x", "<a href=\"gopher://w.example/x\">Web</a>\r\n"},
        {"hSite\tURL:http://a.b/?x=\"1\"\th\t70",
         "<a href=\"http://a.b/?x=&quot;1&quot;\">Site</a>\r\n"},
        {"8Login\tguest\tbbs.h\t2323", "<a href=\"telnet://guest@bbs.h:2323\">Login</a>\r\n"},
        {"TMain\t\tibm.h\t0", "<a href=\"tn3270://ibm.h\">Main</a>\r\n"},
        {"1<script>x</script>\t\"><x\th\"<\t7\"0",
         "<a href=\"gopher://h%22%3C:7%220/1%22%3E%3Cx\">&lt;script&gt;x&lt;/script&gt;</a>\r\n"},
        {".", "</pre><hr size=4>\r\n"},
    };
    for (const Case& c : cases) {
        std::string html;
        EXPECT_EQ(AppendGopherMenuLine(c.line, html), c.line != ".") << c.line;
        EXPECT_EQ(html, c.html) << c.line;
    }
}

TEST_F(GopherWhois, MenuPageAtEveryPacketBoundary) {
    AtEverySplit(
        [](ScriptedPeer& peer) {
            peer.Expect("/docs")
                .Send("1Docs\t/docs dir\th\t70\r\n3Not found\t\t\t0\r\n.\r\n0ignored\tx\th\t70\r\n")
                .Close();
        },
        [](ProtocolLoad& load, ScriptedPeer& peer) {
            const std::uint16_t port = peer.Listen();
            ASSERT_EQ(load.Load(Url("gopher", port, "1/docs")), 1);
            EXPECT_EQ(peer.Received(), "/docs\r\n");
            EXPECT_EQ(load.Body(), GopherMenuHeader("127.0.0.1:" + std::to_string(port), "1/docs") +
                                       "<a href=\"gopher://h:70/1/docs%20dir\">Docs</a>\r\n"
                                       "3Not found\r\n</pre><hr size=4>\r\n");
        });
}

TEST_F(GopherWhois, RootMenuIsAskedForWithABareLineEnd) {
    ProtocolLoad load;
    ScriptedPeer peer(load.loop);
    peer.Expect("").Send("iHello\t\t\t0\r\n").Close();
    const std::uint16_t port = peer.Listen();
    ASSERT_EQ(load.Load(Url("gopher", port, "")), 1);
    EXPECT_EQ(peer.Received(), "\r\n");
    EXPECT_EQ(load.Body(), GopherMenuHeader("127.0.0.1:" + std::to_string(port), "") + "Hello\r\n");
}

TEST_F(GopherWhois, SearchItemWithoutQueryShowsTheSearchPageWithoutConnecting) {
    ProtocolLoad load;
    ASSERT_EQ(load.Open("gopher://127.0.0.1:1/7/find"), core::kOpenComplete);
    EXPECT_EQ(load.Finish(), 1);
    EXPECT_EQ(load.Body(),
              "<h1>Gopher: //127.0.0.1:1/7/find<br>\r\nGopher Search</h1>\r\n<ISINDEX>\r\n");
}

TEST_F(GopherWhois, TypedAnswersPassThroughUnchanged) {
    AtEverySplit(
        [](ScriptedPeer& peer) {
            peer.Expect("/notes.txt").Send("line one\r\n.\r\nGIF89a <b>").Close();
        },
        [](ProtocolLoad& load, ScriptedPeer& peer) {
            const int loaded = load.Load(Url("gopher", peer.Listen(), "0/notes.txt"));
            ASSERT_EQ(loaded, 1);
            EXPECT_EQ(load.request->protocol->contentType, "text/plain");
            EXPECT_EQ(load.Body(), "line one\r\n.\r\nGIF89a <b>");
        });
}

TEST_F(GopherWhois, AHugeMenuLineIsCutAndTheMenuGoesOn) {
    ProtocolLoad load;
    ScriptedPeer peer(load.loop);
    const std::string huge = "1" + std::string(1 << 20, 'x') + "\t/s\th\t70\r\n";
    peer.Expect("/m").Send(huge + "iafter\t\t\t0\r\n.\r\n").Close();
    ASSERT_EQ(load.Load(Url("gopher", peer.Listen(), "1/m")), 1);
    const std::string body = load.Body();
    EXPECT_LT(body.size(), 10000u);
    EXPECT_NE(body.find("1xxx"), std::string::npos);
    EXPECT_NE(body.find("\r\nafter\r\n</pre>"), std::string::npos);
}

TEST_F(GopherWhois, AServerThatStopsMidMenuEndsThePageWithWhatCame) {
    ProtocolLoad load;
    ScriptedPeer peer(load.loop);
    peer.Expect("/m").Send("ione\t\t\t0\r\nitw").Pause(20).Reset();
    EXPECT_EQ(load.Load(Url("gopher", peer.Listen(), "1/m")), -1);
    EXPECT_NE(load.Body().find("\r\none\r\n"), std::string::npos);
}

}  // namespace
}  // namespace corvane::protocols
