// Sending to real SMTP servers on loopback: aiosmtpd records the exact envelope and bytes, exim4
// delivers over STARTTLS to a Maildir.

#include <gtest/gtest.h>

#include <fstream>

#include "core/status.h"
#include "mail/outgoing_mail.h"
#include "platform/services.h"
#include "tests/mail/mail_send_fixture.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/smtp_servers.h"

namespace corvane::mail {
namespace {

class SmtpServersTest : public ::testing::Test, public MailSend {
  protected:
    // Sends a compose-window message to the server at `port`; the request's final status.
    int Send(std::uint16_t port, std::unique_ptr<CComposeSource> source) {
        settings.server = "127.0.0.1:" + std::to_string(port);
        const std::string first = RecipientAddress(source->to.substr(0, source->to.find(',')));
        if (Open("mailto:" + first, core::kMethodFormPost, std::move(source)) < 0) return -1;
        return Finish();
    }

    testing::ScratchDirectory scratch;
};

TEST_F(SmtpServersTest, AiosmtpdRecordsTheExactEnvelopeAndBytes) {
    testing::RecordingSmtpServer server(scratch.path());
    ASSERT_TRUE(server.Start()) << server.Log();
    settings.name = "Mé Sender";

    auto source = Source("Ann <ann@a.test>, bob@b.test", "Hello\n.\nBye");
    source->cc = "cc@c.test";
    source->furtherRecipients = "bob@b.test,cc@c.test";
    source->subject = "Grüße";
    EXPECT_EQ(Send(server.port(), std::move(source)), core::kSilentEnd);
    std::string host = platform::LocalHostName();
    EXPECT_EQ(server.Envelope(1), "HELO " + host +
                                      "\nMAIL me@sender.test\nRCPT ann@a.test\nRCPT "
                                      "bob@b.test\nRCPT cc@c.test\n");
    EXPECT_EQ(WithoutMessageId(server.Data(1)),
              "From: =?UTF-8?B?TcOpIFNlbmRlcg==?= <me@sender.test>\r\n"
              "To: Ann <ann@a.test>, bob@b.test\r\nCc: cc@c.test\r\n"
              "Subject: =?UTF-8?B?R3LDvMOfZQ==?=\r\n"
              "Date: Mon, 07 Dec 2026 09:59:47 +0000\r\nMessage-ID: <ID@sender.test>\r\n"
              "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
              "Content-Transfer-Encoding: 7bit\r\n\r\nHello\r\n.\r\nBye\r\n");

    // An attachment follows the text, uuencoded.
    const std::string path = scratch.File("note.txt");
    std::ofstream(path, std::ios::binary) << "Cat";
    source = Source("ann@a.test", "See attached.");
    source->attachmentPath = path;
    EXPECT_EQ(Send(server.port(), std::move(source)), core::kSilentEnd);
    const std::string data = server.Data(2);
    EXPECT_NE(data.find("\r\n\r\nSee attached.\r\nbegin 644 note.txt\r\n#0V%T\r\n`\r\nend\r\n"),
              std::string::npos)
        << data;

    // Form output, not filed.
    settings.server = "127.0.0.1:" + std::to_string(server.port());
    Open("mailto:form@forms.test", core::kMethodFormPost,
         std::make_unique<core::CHTFormBody>("application/x-www-form-urlencoded", "a=1&b=x+y"));
    EXPECT_EQ(Finish(), core::kSilentEnd);
    EXPECT_NE(server.Data(3).find("Subject: Form Output From Corvane\r\n"), std::string::npos);
    EXPECT_TRUE(server.Data(3).ends_with("\r\n\r\na=1&b=x y\r\n"));
    EXPECT_EQ(filed.size(), 2u);

    // Refused (550) and put off (451) recipients: reported, nothing filed, nothing recorded.
    for (const char* refused : {"reject@a.test", "later@a.test"}) {
        outcome = -1;
        EXPECT_EQ(Send(server.port(), Source(refused, "text")), core::kSilentEnd);
        EXPECT_EQ(outcome, 0);
    }
    EXPECT_EQ(filed.size(), 2u);
    EXPECT_EQ(server.Data(4), "");
}

TEST_F(SmtpServersTest, Exim4DeliversOverStartTlsWithEveryHeader) {
    testing::EximServer server(scratch.path());
    ASSERT_TRUE(server.Start()) << server.Log();
    auto source = Source("Ann Lee <ann@a.test>", std::string(1200, 'x') + "\n.\nend");
    source->subject = "Über";
    EXPECT_EQ(Send(server.port(), std::move(source)), core::kSilentEnd) << server.Log();
    EXPECT_EQ(outcome, 1);
    const std::vector<std::string> delivered = server.Delivered(1);
    ASSERT_EQ(delivered.size(), 1u) << server.Log();
    const std::string& message = delivered[0];
    for (const char* header :
         {"\nFrom: me@sender.test\n", "\nTo: Ann Lee <ann@a.test>\n",
          "\nSubject: =?UTF-8?B?w5xiZXI=?=\n", "\nDate: Mon, 07 Dec 2026 09:59:47 +0000\n",
          "\nMIME-Version: 1.0\n", "\nContent-Type: text/plain; charset=UTF-8\n",
          "\nContent-Transfer-Encoding: quoted-printable\n", "Message-ID: <", "with esmtps"})
        EXPECT_NE(message.find(header), std::string::npos) << header << "\n" << message;
    // Quoted-printable kept the long line under 998 bytes; the lone dot arrived unstuffed.
    EXPECT_NE(message.find("=\n" + std::string(76 - 1, 'x')), std::string::npos);
    EXPECT_TRUE(message.ends_with("\n.\nend\n")) << message;
}

}  // namespace
}  // namespace corvane::mail
