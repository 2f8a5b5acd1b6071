// POP3 over TLS: STLS and pop3s against the scripted peer (exact dialogue, refusals, the
// certificate question, plain text slipped in before the handshake) and against dovecot.

#include <gtest/gtest.h>

#include "tests/mail/mail_check_fixture.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_authority.h"

namespace corvane::mail {
namespace {

using testing::ScriptedPeer;
using testing::TestAuthority;

ScriptedPeer& Secure(ScriptedPeer& peer, TestAuthority::Kind kind) {
    const TestAuthority::Files& files = TestAuthority::Trusted().Server(kind);
    return peer.StartTls(files.certificate, files.key);
}

ScriptedPeer& LoginWithoutMail(ScriptedPeer& peer) {
    return peer.Expect("USER me")
        .Send("+OK\r\n")
        .Expect("PASS pw")
        .Send("+OK\r\n")
        .Expect("STAT")
        .Send("+OK 0 0\r\n")
        .Expect("QUIT")
        .Send("+OK\r\n")
        .Close();
}

struct TlsCase {
    const char* name;
    platform::TlsMode mode;
    TestAuthority::Kind kind;
    std::deque<bool> trust;     // answers to the certificate question
    const char* afterGreeting;  // what the server says to "STLS" (STLS cases)
    bool logsIn;
};

TEST(MailTls, StlsAndPop3sWithEachAnswer) {
    const TlsCase cases[] = {
        {"STLS", platform::TlsMode::kStartTls, TestAuthority::Kind::kValid, {}, "+OK go\r\n", true},
        // Plain text after the answer must not be read as the answer to USER.
        {"STLS, injected",
         platform::TlsMode::kStartTls,
         TestAuthority::Kind::kValid,
         {},
         "+OK go\r\n-ERR injected\r\n",
         true},
        {"STLS refused",
         platform::TlsMode::kStartTls,
         TestAuthority::Kind::kValid,
         {},
         "-ERR no TLS here\r\n",
         false},
        {"pop3s", platform::TlsMode::kTls, TestAuthority::Kind::kValid, {}, "", true},
        {"self-signed, No",
         platform::TlsMode::kTls,
         TestAuthority::Kind::kSelfSigned,
         {},
         "",
         false},
        {"self-signed, Yes",
         platform::TlsMode::kStartTls,
         TestAuthority::Kind::kSelfSigned,
         {true},
         "+OK\r\n",
         true},
    };
    for (const TlsCase& test : cases) {
        SCOPED_TRACE(test.name);
        MailCheckFixture fixture;
        fixture.host.ui.certificateAnswers = test.trust;
        ScriptedPeer peer(fixture.loop);
        const bool stls = test.mode == platform::TlsMode::kStartTls;
        if (stls) {
            peer.Send("+OK ready\r\n").Expect("STLS").Send(test.afterGreeting);
            if (test.afterGreeting[0] == '-') peer.Expect("QUIT").Send("+OK\r\n").Close();
        }
        const bool handshake = !stls || test.afterGreeting[0] == '+';
        if (handshake) Secure(peer, test.kind);
        if (!stls) peer.Send("+OK ready\r\n");
        if (test.logsIn) LoginWithoutMail(peer);
        const std::string server = "127.0.0.1:" + std::to_string(peer.Listen());
        fixture.Account(server).security = test.mode;
        const int result = fixture.Check("me@" + server);
        EXPECT_EQ(result, test.logsIn ? 0 : -255);
        if (test.logsIn) {
            EXPECT_TRUE(peer.Done()) << peer.Mismatch();
        }
        // No login ever goes out in the clear, nor to a server the user did not trust.
        EXPECT_EQ(peer.Received().find("PASS") != std::string::npos, test.logsIn);
        const bool untrusted = test.kind != TestAuthority::Kind::kValid;
        ASSERT_EQ(fixture.host.ui.certificateQuestions.size(), untrusted ? 1u : 0u);
        if (untrusted) {
            EXPECT_NE(fixture.host.ui.certificateQuestions[0].find(
                          "The certificate of 127.0.0.1 cannot be verified (self-signed"),
                      std::string::npos);
        }
        const std::vector<std::string> texts = fixture.host.MessageTexts();
        if (test.afterGreeting[0] == '-') {
            EXPECT_EQ(texts,
                      std::vector<std::string>{"The POP3 server " + server +
                                               " does not offer a secure connection (STLS).\n"});
        } else if (!test.logsIn) {
            EXPECT_TRUE(texts.empty()) << texts.front();  // the user's No needs no box
        }
        // The wait cursor lasts from the connect to the connection.
        EXPECT_EQ(fixture.host.waitCursor, (std::vector<bool>{true, false}));
    }
}

TEST(MailTls, FailedHandshakeNamesTheReason) {
    MailCheckFixture fixture;
    ScriptedPeer peer(fixture.loop);
    peer.Send("this is not TLS\r\n").Close();
    const std::string server = "127.0.0.1:" + std::to_string(peer.Listen());
    fixture.Account(server).security = platform::TlsMode::kTls;
    EXPECT_EQ(fixture.Check("me@" + server), -255);
    const std::vector<std::string> texts = fixture.host.MessageTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].starts_with("Cannot connect to POP3 of " + server +
                                     "\nSecure connection to 127.0.0.1 failed: "))
        << texts[0];
}

TEST(MailTls, DovecotOverStlsAndPop3s) {
    testing::ScratchDirectory directory;
    testing::DovecotServer server(directory.path());
    const TestAuthority::Files& files =
        TestAuthority::Trusted().Server(TestAuthority::Kind::kValid);
    server.UseTls(files.certificate, files.key);
    server.AddUser("ann", "annpw");
    const std::string message = "Subject: over TLS\nMessage-ID: <t@example.test>\n\n.dot\nbody\n";
    server.AddMessage("ann", "1000000001.M1P1.test", message);
    ASSERT_TRUE(server.Start()) << server.Log();
    MailCheckFixture client;
    const std::string stls = "127.0.0.1:" + std::to_string(server.port());
    client.Account(stls, false, "ann", "annpw").security = platform::TlsMode::kStartTls;
    ASSERT_EQ(client.Check("ann@" + stls), 0) << server.Log();
    ASSERT_EQ(client.Inbox("ann@" + stls).messages.size(), 1u);
    EXPECT_EQ(testing::ReadFile(client.Inbox("ann@" + stls).messages[0]->file), message);
    // From the start on the pop3s port, deleting this time.
    const std::string pop3s = "127.0.0.1:" + std::to_string(server.tlsPort());
    client.Account(pop3s, true, "ann", "annpw").security = platform::TlsMode::kTls;
    ASSERT_EQ(client.Check("ann@" + pop3s), 0) << server.Log();
    EXPECT_EQ(client.Inbox("ann@" + pop3s).messages.size(), 1u);
    EXPECT_EQ(server.MessagesOnServer("ann"), 0);
    EXPECT_TRUE(client.host.ui.certificateQuestions.empty());
}

}  // namespace
}  // namespace corvane::mail
