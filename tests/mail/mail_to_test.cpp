// Sending mail against the scripted peer: the exact dialogue and bytes, the server's refusals,
// TLS and logins, and what must never reach a server.

#include "mail/mail_to.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "core/status.h"
#include "tests/mail/mail_send_fixture.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_authority.h"

namespace corvane::mail {
namespace {

using testing::ScriptedPeer;

const std::string kHeaders =
    "From: me@sender.test\r\n"
    "To: Ann Lee <ann@a.test>, bob@b.test\r\n"
    "Cc: cc@c.test\r\n"
    "Subject: Hi\r\n"
    "Date: Mon, 07 Dec 2026 09:59:47 +0000\r\n"
    "Message-ID: <ID@sender.test>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=UTF-8\r\n";

// Expects every line of `text` (CR LF line ends) as the client's next lines.
ScriptedPeer& ExpectText(ScriptedPeer& peer, const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) break;
        if (text.compare(at, 12, "Message-ID: ") == 0) {
            peer.ExpectPattern("Message-ID: <[0-9.]+@sender\\.test>");
        } else {
            peer.Expect(text.substr(at, end - at));
        }
        at = end + 2;
    }
    return peer;
}

ScriptedPeer& Greet(ScriptedPeer& peer, const std::string& ehloReply = "250 ok\r\n") {
    return peer.Send("220 peer ESMTP\r\n").ExpectPattern("EHLO .+").Send(ehloReply);
}

// Greeted, with every recipient accepted, up to the go-ahead for the text.
ScriptedPeer& Envelope(ScriptedPeer& peer, const std::vector<std::string>& recipients) {
    Greet(peer).Expect("MAIL From:<me@sender.test>").Send("250 ok\r\n");
    for (const std::string& to : recipients) peer.Expect("RCPT To:<" + to + ">").Send("250 ok\r\n");
    return peer.Expect("DATA").Send("354 go on\r\n");
}

std::string Url(const std::string& user, std::uint16_t port) {
    return "mailto:" + user + "@127.0.0.1:" + std::to_string(port);
}

class MailToTest : public ::testing::Test, public MailSend {};

TEST_F(MailToTest, ComposedMessageGoesOutWithEveryRecipientInOrderAndIsFiledAfterTheFinal250) {
    ScriptedPeer peer(load.loop);
    Envelope(peer, {"ann@a.test", "bob@b.test", "cc@c.test"});
    // A lone "." after a bare LF, and one after a bare CR, must not end the data early.
    ExpectText(peer, kHeaders +
                         "Content-Transfer-Encoding: 7bit\r\n\r\nline\r\n..\r\n..\r\n"
                         "..x\r\n...\r\nend\r\n.\r\n")
        .Send("250 queued\r\n")
        .Expect("QUIT")
        .Send("221 bye\r\n")
        .Close();
    const std::uint16_t port = peer.Listen();
    settings.server = "127.0.0.1:" + std::to_string(port);
    auto source = Source("Ann Lee <ann@a.test>, bob@b.test", "line\n.\r.\n.x\n..\r\nend");
    source->cc = "cc@c.test";
    source->furtherRecipients = "bob@b.test,cc@c.test";
    EXPECT_EQ(Open("mailto:ann@a.test", core::kMethodFormPost, std::move(source)), 0);
    EXPECT_EQ(Finish(), core::kSilentEnd);
    load.loop.RunUntil([&] { return peer.Done(); }, 2000);
    EXPECT_TRUE(peer.Done()) << peer.Mismatch() << "\n" << peer.Received();
    EXPECT_EQ(outcome, 1);
    ASSERT_EQ(filed.size(), 1u);
    EXPECT_EQ(filed[0].recipients,
              (std::vector<std::string>{"ann@a.test", "bob@b.test", "cc@c.test"}));
    EXPECT_EQ(filed[0].subject, "Hi");
    EXPECT_EQ(load.ui.statusTexts.back(), "Mail Sent");
}

TEST_F(MailToTest, FormOutputAfterHeloFallbackWithAnAttachmentlessBodyIsNotFiled) {
    ScriptedPeer peer(load.loop);
    peer.Send("220 old\r\n")
        .ExpectPattern("EHLO .+")
        .Send("500 what?\r\n")
        .ExpectPattern("HELO .+")
        .Send("250 hello\r\n")
        .Expect("MAIL From:<me@sender.test>")
        .Send("250 ok\r\n")
        .ExpectPattern("RCPT To:<form@127\\.0\\.0\\.1:[0-9]+>")
        .Send("250 ok\r\n")
        .Expect("DATA")
        .Send("354 go on\r\n")
        .Expect("From: me@sender.test")
        .ExpectPattern("To: form@127\\.0\\.0\\.1:[0-9]+")
        .Expect("Subject: Form Output From Corvane");
    ExpectText(peer,
               "Date: Mon, 07 Dec 2026 09:59:47 +0000\r\nMessage-ID: <\r\n"
               "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
               "Content-Transfer-Encoding: 7bit\r\n\r\na=1&b=x y\r\n.\r\n")
        .Send("250 ok\r\n")
        .Expect("QUIT")
        .Close();
    const std::uint16_t port = peer.Listen();
    // No "SMTP Server": the recipient's domain names the server.
    Open(Url("form", port), core::kMethodFormPost,
         std::make_unique<core::CHTFormBody>("application/x-www-form-urlencoded", "a=1&b=x+y"));
    EXPECT_EQ(Finish(), core::kSilentEnd);
    load.loop.RunUntil([&] { return peer.Done(); }, 2000);
    EXPECT_TRUE(peer.Done()) << peer.Mismatch() << "\n" << peer.Received();
    EXPECT_TRUE(filed.empty());
}

TEST_F(MailToTest, RefusalsFileNothingAndTheWindowKeepsItsText) {
    struct Case {
        std::string name, rcptReply, endReply;
    };
    for (const Case& c : {Case{"550 recipient", "550 5.1.1 no such user\r\n", ""},
                          Case{"451 at the end", "250 ok\r\n", "451 4.3.0 try later\r\n"}}) {
        SCOPED_TRACE(c.name);
        ScriptedPeer peer(load.loop);
        Greet(peer).Expect("MAIL From:<me@sender.test>").Send("250 ok\r\n");
        peer.Expect("RCPT To:<ann@a.test>").Send(c.rcptReply);
        if (!c.endReply.empty()) {
            peer.Expect("DATA").Send("354 go\r\n");
            ExpectText(peer, kHeaders.substr(0, kHeaders.find("Cc:")) +
                                 kHeaders.substr(kHeaders.find("Subject:")) +
                                 "Content-Transfer-Encoding: 7bit\r\n\r\nbody\r\n.\r\n")
                .Send(c.endReply);
        }
        peer.Expect("QUIT").Close();
        settings.server = "127.0.0.1:" + std::to_string(peer.Listen());
        outcome = -1;
        auto source = Source("Ann Lee <ann@a.test>, bob@b.test", "body");
        CComposeSource* kept = source.get();
        Open("mailto:ann@a.test", core::kMethodFormPost, std::move(source));
        load.loop.RunUntil([&] { return request->status != 0; }, 10000);
        EXPECT_EQ(request->status, core::kSilentEnd);  // the window reports it
        EXPECT_EQ(outcome, 0);
        EXPECT_EQ(kept->text, "body");
        request->body.reset();
        load.loop.RunUntil([&] { return peer.Done(); }, 2000);
        EXPECT_TRUE(peer.Done()) << peer.Mismatch();
        EXPECT_EQ(load.ui.statusTexts.back(),
                  c.rcptReply[0] == '5' ? "550 5.1.1 no such user" : "451 4.3.0 try later");
    }
    EXPECT_TRUE(filed.empty());
}

TEST_F(MailToTest, LoginsAfterStartTls) {
    struct Case {
        std::string mechanisms;
        std::vector<std::string> dialogue;  // client line, then the answer
    };
    // "\0me\0secret" and the LOGIN exchange, base64.
    const std::vector<Case> cases = {
        {"PLAIN LOGIN", {"AUTH PLAIN AG1lAHNlY3JldA==", "235 ok\r\n"}},
        {"LOGIN",
         {"AUTH LOGIN", "334 VXNlcm5hbWU6\r\n", "bWU=", "334 UGFzc3dvcmQ6\r\n", "c2VjcmV0",
          "235 ok\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mechanisms);
        ScriptedPeer peer(load.loop);
        const auto& files =
            testing::TestAuthority::Trusted().Server(testing::TestAuthority::Kind::kValid);
        Greet(peer, "250-peer\r\n250-STARTTLS\r\n250 SIZE 1000\r\n")
            .Expect("STARTTLS")
            .Send("220 go ahead\r\n")
            .StartTls(files.certificate, files.key)
            .ExpectPattern("EHLO .+")
            .Send("250-peer\r\n250 AUTH " + c.mechanisms + "\r\n");
        for (std::size_t i = 0; i < c.dialogue.size(); i += 2)
            peer.Expect(c.dialogue[i]).Send(c.dialogue[i + 1]);
        peer.Expect("MAIL From:<me@sender.test>").Send("421 closing\r\n").Expect("QUIT").Close();
        settings.server = "127.0.0.1:" + std::to_string(peer.Listen());
        settings.user = "me";
        settings.password = "secret";
        Open("mailto:x@y.test?a=1", core::kMethodFormQuery);
        EXPECT_EQ(Finish(), core::kFailure);
        load.loop.RunUntil([&] { return peer.Done(); }, 2000);
        EXPECT_TRUE(peer.Done()) << peer.Mismatch();
    }
}

TEST_F(MailToTest, NothingReachesAServerForLinksLineBreaksOrUnreadableAttachments) {
    ScriptedPeer peer(load.loop);
    peer.Send("220 must not be reached\r\n");
    settings.server = "127.0.0.1:" + std::to_string(peer.Listen());
    // A plain link, with or without a query, only opens the compose window.
    EXPECT_EQ(Open("mailto:ann@a.test"), core::kOpenDoneItself);
    EXPECT_EQ(Open("mailto:bob+x@b.test?subject=buy%20now&body=x"), core::kOpenDoneItself);
    EXPECT_EQ(composeOpened, (std::vector<std::string>{"ann@a.test", "bob+x@b.test"}));
    // A line break in a recipient, the subject or a further recipient would inject commands or
    // headers.
    EXPECT_EQ(Open("mailto:a%0D%0ARCPT%20To:<x@evil.test>@b.test?x=1", core::kMethodFormQuery),
              core::kOpenFailed);
    EXPECT_EQ(Open("mailto:a@b.test?x=1#Hi%0ABcc:%20x@evil.test", core::kMethodFormQuery),
              core::kOpenFailed);
    auto source = Source("a@b.test", "text");
    source->furtherRecipients = "c@d.test\r\nRCPT To:<x@evil.test>";
    EXPECT_EQ(Open("mailto:a@b.test", core::kMethodFormPost, std::move(source)), core::kOpenFailed);
    EXPECT_EQ(load.ui.messages.size(), 3u);
    // An attachment that cannot be read fails before connecting.
    source = Source("a@b.test", "text");
    source->attachmentPath = ::testing::TempDir() + "/no-such-file";
    EXPECT_EQ(Open("mailto:a@b.test", core::kMethodFormPost, std::move(source)), core::kOpenFailed);
    load.loop.RunUntil([] { return false; }, 200);
    EXPECT_FALSE(peer.Accepted());
}

TEST_F(MailToTest, LongUtf8TextAndAnAttachmentGoOutInPiecesQuotedPrintable) {
    const std::string path = ::testing::TempDir() + "/a=b.bin";
    std::ofstream(path, std::ios::binary) << std::string(45, 'A') << '\0';
    std::string body;
    for (int i = 0; i < 5000; ++i)
        body +=
            "Gr\xc3\xbc\xc3\x9f"
            "e " +
            std::to_string(i) + "\n";
    ScriptedPeer peer(load.loop);
    Envelope(peer, {"ann@a.test"});
    std::string expected = "From: me@sender.test\r\nTo: Ann Lee <ann@a.test>\r\n" +
                           kHeaders.substr(kHeaders.find("Subject:")) +
                           "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
    for (int i = 0; i < 5000; ++i) expected += "Gr=C3=BC=C3=9Fe " + std::to_string(i) + "\r\n";
    std::string full = "M";
    for (int i = 0; i < 15; ++i) full += "04%!";
    // "=" is "=3D" in a quoted-printable body, the uuencoded lines included.
    expected += "begin 644 a=3Db.bin\r\n" + full + "\r\n!``\r\n`\r\nend\r\n.\r\n";
    ExpectText(peer, expected).Send("250 ok\r\n").Expect("QUIT").Close();
    settings.server = "127.0.0.1:" + std::to_string(peer.Listen());
    auto source = Source("Ann Lee <ann@a.test>", body);
    source->attachmentPath = path;
    Open("mailto:ann@a.test", core::kMethodFormPost, std::move(source));
    EXPECT_EQ(Finish(), core::kSilentEnd);
    load.loop.RunUntil([&] { return peer.Done(); }, 2000);
    EXPECT_TRUE(peer.Done()) << peer.Mismatch();
    EXPECT_GT(expected.size(), 2 * protocols::OutgoingPieces::kPieceSize);
    ASSERT_EQ(filed.size(), 1u);
    EXPECT_EQ(filed[0].attachment, path);
}

}  // namespace
}  // namespace corvane::mail
