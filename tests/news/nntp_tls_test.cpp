// NNTP over TLS: STARTTLS and nntps, chosen by the server's "-Security" setting, against the
// scripted peer (exact dialogue, a refusal, the certificate question) and against INN's nnrpd.

#include <gtest/gtest.h>

#include <string>

#include "tests/news/news_fixture.h"
#include "tests/support/inn_server.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_authority.h"

namespace corvane::news {
namespace {

using testing::ScriptedPeer;
using testing::TestAuthority;

std::string Server(std::uint16_t port) {
    return "127.0.0.1:" + std::to_string(port);
}

void SetSecurity(NewsLoads& news, std::uint16_t port, std::string_view value) {
    news.scratch.Write("ovalon.ini", "[Mail and News]\n" + Server(port) +
                                         "-Security=" + std::string(value) + "\n");
}

ScriptedPeer& Secure(ScriptedPeer& peer, TestAuthority::Kind kind) {
    const TestAuthority::Files& files = TestAuthority::Trusted().Server(kind);
    return peer.StartTls(files.certificate, files.key);
}

TEST(NntpTls, StartTlsThenTheCommandsGoEncrypted) {
    NewsLoads news;
    ScriptedPeer peer(news.load->loop);
    // Plain text after the 382 must not be taken for the group's answer.
    peer.Send("200 ready\r\n").Expect("STARTTLS").Send("382 go ahead\r\n411 injected\r\n");
    Secure(peer, TestAuthority::Kind::kValid)
        .Expect("GROUP alt.test")
        .Send("211 2 1 2 alt.test\r\n")
        .Expect("XOVER 1-2")
        .Send("224 ok\r\n.\r\n")
        .StaySilent();
    const std::uint16_t port = peer.Listen();
    SetSecurity(news, port, "starttls");
    ASSERT_EQ(news.load->Load("news://" + Server(port) + "/alt.test"), 1);
    EXPECT_EQ(peer.Received(), "STARTTLS\r\nGROUP alt.test\r\nXOVER 1-2\r\n") << peer.Mismatch();
    EXPECT_TRUE(news.load->ui.certificateQuestions.empty());
}

TEST(NntpTls, RefusedStartTlsSendsNothingMore) {
    NewsLoads news;
    ScriptedPeer peer(news.load->loop);
    peer.Send("200 ready\r\n").Expect("STARTTLS").Send("580 not here\r\n").StaySilent();
    const std::uint16_t port = peer.Listen();
    SetSecurity(news, port, "STARTTLS");
    news.services->Server(Server(port)).user = "ann";  // a login that must stay unsent
    EXPECT_EQ(news.load->Load("news://" + Server(port) + "/alt.test"), -1);
    EXPECT_EQ(peer.Received(), "STARTTLS\r\n");
    ASSERT_EQ(news.load->ui.messages.size(), 1u);
    EXPECT_EQ(
        news.load->ui.messages[0].text,
        "The news server " + Server(port) + " does not offer a secure connection (STARTTLS).");
}

TEST(NntpTls, NntpsAsksAboutAnUntrustedCertificate) {
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        NewsLoads news;
        news.load->ui.certificateAnswers.push_back(yes);
        ScriptedPeer peer(news.load->loop);
        Secure(peer, TestAuthority::Kind::kSelfSigned)
            .Send("200 ready\r\n")
            .Expect("ARTICLE <m@x>")
            .Send("220 0 <m@x>\r\nSubject: s\r\n\r\nbody\r\n.\r\n")
            .StaySilent();
        const std::uint16_t port = peer.Listen();
        SetSecurity(news, port, "TLS");
        EXPECT_EQ(news.load->Load("news://" + Server(port) + "/m@x"), yes ? 1 : -1);
        ASSERT_EQ(news.load->ui.certificateQuestions.size(), 1u);
        EXPECT_EQ(peer.Received(), yes ? "ARTICLE <m@x>\r\n" : "");
    }
}

TEST(NntpTls, InnReadersOverStartTlsAndNntps) {
    testing::InnServer inn;
    const TestAuthority::Files& files =
        TestAuthority::Trusted().Server(TestAuthority::Kind::kValid);
    inn.UseTls(files.certificate, files.key);
    ASSERT_TRUE(inn.Start({{"alt.test", "Testing"}})) << inn.Log();
    ASSERT_TRUE(inn.Feed("<t1@test>",
                         "Path: test\nFrom: a@example.org\nNewsgroups: alt.test\n"
                         "Subject: over TLS\nMessage-ID: <t1@test>\n"
                         "Date: Thu, 02 Jan 2020 03:04:05 +0000\n\nsecret body\n"))
        << inn.Log();
    for (const auto& [port, mode] :
         {std::pair{inn.ReaderPort(), "STARTTLS"}, std::pair{inn.TlsReaderPort(), "TLS"}}) {
        SCOPED_TRACE(mode);
        NewsLoads news;
        SetSecurity(news, port, mode);
        ASSERT_EQ(news.load->Load("news://" + Server(port) + "/t1@test"), 1) << inn.Log();
        EXPECT_NE(news.load->Body().find("secret body"), std::string::npos);
        EXPECT_EQ(news.load->request->security, core::CHTRequest::Security::kVerified);
    }
}

}  // namespace
}  // namespace corvane::news
