#include "protocols/http_protocol.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "tests/protocols/http_fixture.h"
#include "tests/support/scripted_peer.h"

namespace corvane::protocols {
namespace {

using testing::ScriptedPeer;
using testing_support::FakeStores;
using testing_support::HttpTest;

// The peer checks the request line by line and answers with `answer`.
void ExpectRequest(ScriptedPeer& peer, std::string_view request, std::string answer) {
    std::string_view rest = request;
    while (!rest.empty()) {
        const std::size_t end = rest.find("\r\n");
        peer.Expect(std::string(rest.substr(0, end)));
        rest.remove_prefix(end + 2);
    }
    peer.Send(std::move(answer)).Close();
}

constexpr char kOk[] = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\nbody";
const std::string kAccept = "Accept: image/gif, image/x-xbitmap, image/jpeg, */*\r\n";
const std::string kAgent = "User-Agent: Corvane/2.0 Linux/1.0\r\n";

TEST_F(HttpTest, RequestTextForEveryKindOfLoad) {
    struct Case {
        const char* name;
        std::function<void(HttpTest&, core::COvalonDoc::NavigateOptions&)> setUp;
        std::string headers;  // after the request line and Host
        std::string target = "/dir/page.html?q=1";
    };
    const Case cases[] = {
        {"get", [](HttpTest&, auto&) {}, kAccept + kAgent + "\r\n"},
        {"reload", [](HttpTest&, auto& o) { o.reload = true; },
         kAccept + "Pragma: no-cache\r\n" + kAgent + "\r\n"},
        {"referer from a web page",
         [](HttpTest&, auto& o) { o.referrer = "http://example.org/from.html"; },
         kAccept + kAgent + "Referer: http://example.org/from.html\r\n\r\n"},
        {"no referer from a secure page to a plain one",
         [](HttpTest&, auto& o) { o.referrer = "https://example.org/from.html"; },
         kAccept + kAgent + "\r\n"},
        {"no referer from a local file",
         [](HttpTest&, auto& o) { o.referrer = "file:///home/me/secret.html"; },
         kAccept + kAgent + "\r\n"},
        {"authorization",
         [](HttpTest& t, auto&) {
             t.stores.logins.push_back({"R", "/dir/", "ab", "cd", false});
         },
         kAccept + kAgent + "Authorization: Basic YWI6Y2Q=\r\n\r\n"},
        {"if-modified-since",
         [](HttpTest& t, auto&) {
             t.stores.copy = "old";
             t.stores.check = core::CopyCheck::kRevalidate;
             t.stores.copyTime = 849794587;  // Thursday 5 December 1996 14:03:07 GMT
         },
         kAccept + kAgent + "If-Modified-Since: Thu, 05 Dec 1996 14:03:07 GMT\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stores = FakeStores();
        ScriptedPeer peer(loop);
        const std::uint16_t port = peer.Listen();
        const std::string request = "GET " + c.target +
                                    " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                    "\r\n" + c.headers;
        ExpectRequest(peer, request, kOk);
        core::COvalonDoc::NavigateOptions options;
        c.setUp(*this, options);
        Load(Url(port, "/dir/page.html?q=1"), std::move(options));
        EXPECT_TRUE(peer.Done()) << peer.Mismatch();
        EXPECT_EQ(peer.Received(), request);
        EXPECT_EQ(Shown(), "body");
    }
}

TEST_F(HttpTest, PostSendsTypeLengthBodyAndAnExtraLineEnd) {
    struct Case {
        std::string type, body, expectedType;
    };
    const Case cases[] = {
        {"application/x-www-form-urlencoded", "a=1&b=two", "application/x-www-form-urlencoded"},
        {"", "a=1", "application/x-www-form-urlencoded"},  // no type given
        {"text/plain", "", "text/plain"},                  // an empty body
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type + "|" + c.body);
        ScriptedPeer peer(loop);
        const std::uint16_t port = peer.Listen();
        const std::string request =
            "POST /form HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" + kAccept +
            kAgent + "Content-type: " + c.expectedType + "\r\nContent-length: " + std::to_string(c.body.size()) + "\r\n\r\n" +
            c.body + "\r\n";
        ExpectRequest(peer, request, kOk);
        core::COvalonDoc::NavigateOptions options;
        options.method = core::kMethodFormPost;
        options.body = std::make_unique<core::CHTFormBody>(c.type, c.body);
        Load(Url(port, "/form"), std::move(options));
        EXPECT_TRUE(peer.Done()) << peer.Mismatch();
        EXPECT_EQ(peer.Received(), request);
    }
}

TEST_F(HttpTest, ProxiedSchemesNameTheFullAddress) {
    for (int scheme : {core::kSchemeHttp, core::kSchemeFtp, core::kSchemeGopher}) {
        const std::string name = core::Schemes().SchemeName(scheme);
        SCOPED_TRACE(name);
        ScriptedPeer proxy(loop);
        const std::uint16_t port = proxy.Listen();
        proxies[1] = "127.0.0.1:" + std::to_string(port);
        core::Schemes().SetProxySlotAt(scheme, 1);
        stores.logins = {{"R", "/", "site", "pw", false}};
        stores.loginHost = "far.example";  // the address's host, not the proxy's
        const std::string request = "GET " + name + "://far.example/pub/file.txt HTTP/1.0\r\n" +
                                    "Host: far.example\r\n" + kAccept + kAgent +
                                    "Authorization: Basic c2l0ZTpwdw==\r\n\r\n";
        ExpectRequest(proxy, request, kOk);
        Load(name + "://far.example/pub/file.txt");
        EXPECT_TRUE(proxy.Done()) << proxy.Mismatch();
        EXPECT_EQ(Shown(), "body");
        core::Schemes().SetProxySlotAt(scheme, -1);
    }
}

// What a load shows for an answer.
TEST_F(HttpTest, AnswersAndWhatTheyShow) {
    struct Case {
        const char* name;
        std::string answer;
        std::string shown;    // "(nothing)" when the load failed
        std::string message;  // the last message box
        std::string type = "";
        std::int64_t announced = -1;
    };
    const std::string big(10 * 4096, 'x');
    const Case cases[] = {
        {"plain", kOk, "body", ""},
        {"charset kept",
         "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=\"ISO-8859-2\"\r\n\r\n<p>", "<p>", "",
         "ISO-8859-2"},
        {"http/0.9", "<html>old\r\nstyle", "<html>old\r\nstyle", ""},
        {"error page", "HTTP/1.0 404 Not Found\r\n\r\nmissing", "missing", ""},
        {"no status line", "", "(nothing)", "Cannot connect to "},
        {"closed mid-header", "HTTP/1.0 200 OK\r\nContent-Ty", "(nothing)", "Cannot connect to "},
        {"NUL in status line", std::string("HTTP/1.0 200 O\0K\r\n\r\nx", 21), "(nothing)",
         "Cannot connect to "},
        {"NUL in header", std::string("HTTP/1.0 200 OK\r\nX: \0\r\n\r\nx", 25), "(nothing)",
         "Cannot connect to "},
        {"long lines cannot forge headers",
         "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nX-Pad: " + big.substr(0, 4096 - 7) +
             "Content-Type: image/gif\r\nX-Long: " + big + "Location: http://evil/\r\n" +
             "Location: http://evil/" + big + "\r\n\r\nok",
         "ok", ""},
        {"bad lengths ignored",
         "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: "
         "9223372036854775808\r\nContent-Length: -5\r\n\r\nok",
         "ok", ""},
        {"short body shown but not counted whole",
         "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 100\r\n\r\nshort",
         "short", "", "", 100},
        {"Location with CR LF refused",
         "HTTP/1.0 302 Found\r\nLocation: /a%0d%0aX-Evil:%201\r\n\r\n", "(nothing)",
         "Cannot connect to "},
        {"Location with LF refused", "HTTP/1.0 302 Found\r\nLocation: /a%0Ab\r\n\r\n",
         "(nothing)", "Cannot connect to "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        window = std::make_unique<core::COvalonDoc>(host, nullptr);
        ScriptedPeer peer(loop);
        const std::uint16_t port = peer.Listen();
        peer.ExpectPattern("GET .*");
        if (!c.answer.empty()) peer.Send(c.answer);
        peer.Close();
        Load(Url(port, "/" + std::string(c.name).substr(0, 2) + ".txt"));
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_TRUE(LastMessage().starts_with(c.message)) << LastMessage();
        // Only the error page is kept out of the cache.
        EXPECT_EQ(std::exchange(stores.noCopies, 0), std::string(c.name) == "error page");
        if (window->Shown() != nullptr) {
            EXPECT_EQ(window->Shown()->charset, c.type);
            EXPECT_EQ(window->Shown()->announcedLength, c.announced);
        }
    }
}

TEST_F(HttpTest, RelativeLocationAndRefreshAreReadAgainstTheAddress) {
    ScriptedPeer peer(loop);
    const std::uint16_t port = peer.Listen();
    peer.ExpectPattern("GET .*").Send("HTTP/1.0 302 Found\r\nLocation: next.html\r\n\r\n").Close();
    Navigate(Url(port, "/dir/page.html"));
    const std::string next = Url(port, "/dir/next.html");
    // The next address connects to the same peer, which never answers again: Stop ends it.
    EXPECT_TRUE(loop.RunUntil(
        [&] {
            core::CHTRequestEntry* entry = host.FindEntry(next);
            return entry != nullptr && entry->request != nullptr && entry->request->IsRunning();
        },
        5000));
    loop.Post([&] { window->Stop(); });
    EXPECT_TRUE(loop.RunUntil([&] { return window->LoadTask() == nullptr; }, 1000));

    ScriptedPeer refresh(loop);
    const std::uint16_t refreshPort = refresh.Listen();
    refresh.ExpectPattern("GET .*")
        .Send("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nRefresh: 5; URL=next.html\r\n\r\nx")
        .Close();
    Load(Url(refreshPort, "/dir/page.html"));
    ASSERT_NE(window->RefreshTask(), nullptr);
    EXPECT_EQ(window->RefreshTask()->Url(), Url(refreshPort, "/dir/next.html"));
    ASSERT_NE(window->Shown(), nullptr);
    EXPECT_EQ(window->Shown()->refreshSeconds, 5);
}

TEST_F(HttpTest, PostRedirectedToAnotherHostFollowsWithGetAndNoLogin) {
    stores.logins = {{"R", "/", "ab", "cd", false}};
    ScriptedPeer first(loop);
    ScriptedPeer second(loop);
    const std::uint16_t secondPort = second.Listen();
    first.ExpectPattern("POST /form HTTP/1.0")
        .ExpectPattern(".*")
        .ExpectPattern(".*")
        .ExpectPattern(".*")
        .Expect("Authorization: Basic YWI6Y2Q=")
        .Send("HTTP/1.0 303 See Other\r\nLocation: http://localhost:" + std::to_string(secondPort) +
              "/done\r\n\r\n")
        .Close();
    second.Expect("GET /done HTTP/1.0").Send(kOk).Close();
    core::COvalonDoc::NavigateOptions options;
    options.method = core::kMethodFormPost;
    options.body = std::make_unique<core::CHTFormBody>("", "a=1");
    Load(Url(first.Listen(), "/form"), std::move(options));
    EXPECT_TRUE(first.Done()) << first.Mismatch();
    EXPECT_TRUE(second.Done()) << second.Mismatch();
    EXPECT_EQ(Shown(), "body");
    EXPECT_EQ(second.Received().find("Authorization"), std::string::npos);
    EXPECT_EQ(second.Received().find("a=1"), std::string::npos);
}

TEST_F(HttpTest, NotModifiedServesTheCopyWithoutABody) {
    stores.copy = "cached page";
    stores.check = core::CopyCheck::kRevalidate;
    stores.copyTime = 849794587;
    ScriptedPeer peer(loop);
    const std::uint16_t port = peer.Listen();
    // The request's If-Modified-Since line is checked with the other request texts.
    peer.ExpectPattern("GET .*").Send("HTTP/1.0 304 Not Modified\r\n\r\n").StaySilent();
    Load(Url(port, "/page.html"));
    EXPECT_TRUE(peer.Done()) << peer.Mismatch();
    EXPECT_EQ(Shown(), "cached page");

    // Served without asking when the cache says so.
    stores.check = core::CopyCheck::kServe;
    stores.copy = "served";
    Load("http://127.0.0.1:1/other.html");
    EXPECT_EQ(Shown(), "served");
}

TEST_F(HttpTest, LoginIsAskedForAndARefusedOneOffersRetry) {
    const std::string unauthorized =
        "HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"Test Realm\"\r\n\r\ndenied";
    {
        ScriptedPeer peer(loop);
        const std::uint16_t port = peer.Listen();
        peer.ExpectPattern("GET .*").Send(unauthorized).Close();
        ui.credentialAnswers.push_back(std::nullopt);  // Cancel shows the server's text
        Load(Url(port, "/private/a.html"));
        EXPECT_EQ(Shown(), "denied");
        ASSERT_EQ(ui.credentialPrompts.size(), 1u);
        EXPECT_NE(ui.credentialPrompts[0].find("Need username and password at 127.0.0.1"),
                  std::string::npos)
            << ui.credentialPrompts[0];
    }
    {
        stores.logins = {{"Test Realm", "/private/", "old", "pw", true}};
        ScriptedPeer peer(loop);
        const std::uint16_t port = peer.Listen();
        peer.ExpectPattern("GET .*").Send(unauthorized).Close();
        ui.messageAnswers.push_back(platform::MessageAnswer::kNo);
        Load(Url(port, "/private/a.html"));
        EXPECT_EQ(LastMessage(), "Authorization falied.  Retry?");
        EXPECT_EQ(ui.credentialPrompts.size(), 1u);  // No: no second dialog
        EXPECT_EQ(Shown(), "denied");
    }
}

TEST_F(HttpTest, HostileServersEndTheLoad) {
    struct Case {
        const char* name;
        std::function<void(ScriptedPeer&)> script;
        bool stop;  // the user stops the load; otherwise it fails by itself
    };
    const std::string line(1 << 20, 'h');
    const Case cases[] = {
        {"reset mid-body",
         [](ScriptedPeer& p) {
             p.Send("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nab").Reset();
         },
         false},
        {"50 MB of headers",
         [&](ScriptedPeer& p) {
             p.Send("HTTP/1.0 200 OK\r\n");
             for (int i = 0; i < 50; ++i) p.Send("X: " + line + "\r\n");
             p.StaySilent();
         },
         false},
        {"stalls mid-header",
         [](ScriptedPeer& p) { p.Send("HTTP/1.0 200 OK\r\nContent-").StaySilent(); }, true},
        {"stalls mid-body",
         [](ScriptedPeer& p) {
             p.Send("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nab").StaySilent();
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        window = std::make_unique<core::COvalonDoc>(host, nullptr);
        ScriptedPeer peer(loop);
        const std::uint16_t port = peer.Listen();
        peer.ExpectPattern("GET .*");
        c.script(peer);
        Navigate(Url(port, "/x.txt"));
        if (c.stop) {
            loop.RunUntil([&] { return false; }, 300);
            ASSERT_NE(window->LoadTask(), nullptr);
            loop.Post([&] { window->Stop(); });
            loop.RunUntil([&] { return window->LoadTask() == nullptr; }, 1000);
            EXPECT_TRUE(ui.messages.empty());
        } else {
            EXPECT_TRUE(loop.RunUntil([&] { return window->LoadTask() == nullptr; }, 10000));
            EXPECT_TRUE(LastMessage().starts_with("Cannot co")) << LastMessage();
        }
        EXPECT_EQ(window->LoadTask(), nullptr);
    }
}

}  // namespace
}  // namespace corvane::protocols
