// CHTTP over TLS against the scripted peer: answers cut into records at every place, what a
// secure page sends and withholds, a CONNECT tunnel through a proxy, and servers that break the
// handshake or the stream. (The certificate question is asked of nginx's certificates.)
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/protocols/http_fixture.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_authority.h"

namespace corvane::protocols {
namespace {

using testing::ScriptedPeer;
using testing::TestAuthority;
using testing_support::HttpTest;
using Security = core::CHTRequest::Security;

constexpr char kOk[] = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nbody";

// The peer speaks TLS with a certificate of `kind` from the start.
ScriptedPeer& Secure(ScriptedPeer& peer, TestAuthority::Kind kind = TestAuthority::Kind::kValid) {
    const TestAuthority::Files& files = TestAuthority::Trusted().Server(kind);
    return peer.StartTls(files.certificate, files.key);
}

std::string SecureUrl(std::uint16_t port, std::string_view path) {
    return "https://127.0.0.1:" + std::to_string(port) + std::string(path);
}

using HttpsTest = HttpTest;

TEST_F(HttpsTest, AnswersPassWhereverRecordsCutThem) {
    struct Case {
        const char* name;
        std::string answer;
        std::string shown;
        bool everySplit = true;
    };
    const std::string big(100'000, 'b');  // several full records, read in smaller pieces
    const Case cases[] = {
        {"plain", kOk, "body"},
        {"error page", "HTTP/1.0 404 Not Found\r\n\r\nmissing", "missing"},
        {"http/0.9", "<html>old\r\nstyle", "<html>old\r\nstyle"},
        {"big body", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + big, big, false},
    };
    for (const Case& c : cases) {
        const std::size_t last = c.everySplit ? c.answer.size() : 1;
        for (std::size_t at = 0; at <= last; ++at) {
            SCOPED_TRACE(std::string(c.name) + " cut at " + std::to_string(at));
            window = std::make_unique<core::COvalonDoc>(host, nullptr);
            ScriptedPeer peer(loop);
            const std::uint16_t port = peer.Listen();
            Secure(peer).Expect("GET /x.txt HTTP/1.0").Send(c.answer).Close();
            peer.SplitAt(at);
            Load(SecureUrl(port, "/x.txt"));
            ASSERT_EQ(Shown(), c.shown);
            ASSERT_EQ(ShownSecurity(), Security::kVerified);
        }
    }
    EXPECT_EQ(window->Shown()->certificateSubject, "CN=localhost,O=Corvane Tests");
}

TEST_F(HttpsTest, SecurePagesKeepTheirAddressAndLoginsFromPlainConnections) {
    stores.logins = {{"R", "/", "ab", "cd", false}};
    ScriptedPeer plain(loop);
    const std::uint16_t plainPort = plain.Listen();
    plain.Expect("GET /next HTTP/1.0").Send(kOk).Close();
    ScriptedPeer secure(loop);
    const std::uint16_t securePort = secure.Listen();
    Secure(secure)
        .Expect("GET /start HTTP/1.0")
        .Send("HTTP/1.0 302 Found\r\nLocation: " + Url(plainPort, "/next") + "\r\n\r\n")
        .Close();
    core::COvalonDoc::NavigateOptions options;
    options.referrer = "https://example.org/from.html";
    Load(SecureUrl(securePort, "/start"), std::move(options));
    EXPECT_TRUE(secure.Done()) << secure.Mismatch();
    EXPECT_TRUE(plain.Done()) << plain.Mismatch();
    EXPECT_EQ(Shown(), "body");
    // The secure request carries both; the redirected plain one neither.
    EXPECT_NE(secure.Received().find("Referer: https://example.org/from.html\r\n"),
              std::string::npos);
    EXPECT_NE(secure.Received().find("Authorization: Basic YWI6Y2Q=\r\n"), std::string::npos);
    EXPECT_EQ(plain.Received().find("Authorization"), std::string::npos) << plain.Received();
    EXPECT_EQ(plain.Received().find("Referer"), std::string::npos) << plain.Received();
    EXPECT_EQ(ShownSecurity(), Security::kNone);
}

TEST_F(HttpsTest, ProxyTunnelCarriesTheSecureRequest) {
    ScriptedPeer proxy(loop);
    proxies[0] = "127.0.0.1:" + std::to_string(proxy.Listen());
    core::Schemes().SetProxySlotAt(core::kSchemeHttp, 0);
    proxy.Expect("CONNECT localhost:443 HTTP/1.0")
        .Expect("Host: localhost:443")
        .Expect("User-Agent: Corvane/2.0 Linux/1.0")
        .Expect("")
        .Send("HTTP/1.0 200 Connection established\r\nProxy-Agent: test\r\n\r\n");
    Secure(proxy).Expect("GET /secret.html HTTP/1.0").Expect("Host: localhost").Send(kOk).Close();
    Load("https://localhost/secret.html");
    EXPECT_TRUE(proxy.Done()) << proxy.Mismatch() << proxy.Received();
    EXPECT_EQ(Shown(), "body");
    EXPECT_EQ(ShownSecurity(), Security::kVerified);

    ScriptedPeer refusing(loop);
    proxies[0] = "127.0.0.1:" + std::to_string(refusing.Listen());
    refusing.ExpectPattern("CONNECT .*")
        .Send("HTTP/1.0 407 Proxy Authentication Required\r\n\r\n")
        .Close();
    Load("https://localhost/other.html");
    EXPECT_TRUE(LastMessage().starts_with("Cannot connect to ")) << LastMessage();
}

TEST_F(HttpsTest, BrokenHandshakesAndStreamsEndTheLoad) {
    struct Case {
        const char* name;
        std::function<void(ScriptedPeer&)> script;
        std::string message;  // empty: the user stops the stalled load
    };
    const Case cases[] = {
        {"garbage instead of a handshake",
         [](ScriptedPeer& p) { p.Send("HTTP/1.0 200 OK\r\n\r\nplain").Close(); },
         "Cannot connect to "},
        {"reset during the handshake", [](ScriptedPeer& p) { p.Reset(); }, "Cannot connect to "},
        {"closed inside a record",
         [](ScriptedPeer& p) {
             Secure(p)
                 .ExpectPattern("GET .*")
                 .Send("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nab")
                 .SendCutRecord("the rest of the body")
                 .Close();
         },
         "Cannot complete loading "},
        {"stalls during the handshake", [](ScriptedPeer& p) { p.StaySilent(); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        window = std::make_unique<core::COvalonDoc>(host, nullptr);
        ScriptedPeer peer(loop);
        const std::uint16_t port = peer.Listen();
        c.script(peer);
        Navigate(SecureUrl(port, "/x.txt"));
        if (c.message.empty()) {
            loop.RunUntil([&] { return false; }, 200);
            ASSERT_NE(window->LoadTask(), nullptr);
            loop.Post([&] { window->Stop(); });
            // At once: nothing waits for the silent server.
            EXPECT_TRUE(loop.RunUntil([&] { return window->LoadTask() == nullptr; }, 50));
            EXPECT_TRUE(ui.messages.empty()) << LastMessage();
        } else {
            EXPECT_TRUE(loop.RunUntil([&] { return window->LoadTask() == nullptr; }, 10000));
            EXPECT_TRUE(LastMessage().starts_with(c.message)) << LastMessage();
        }
    }
}

}  // namespace
}  // namespace corvane::protocols
