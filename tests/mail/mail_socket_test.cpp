// POP3 retrieval against the scripted peer: exact commands, stored bytes, the known-message
// batches, password retries and hostile servers.

#include "mail/mail_socket.h"

#include <gtest/gtest.h>

#include "core/password_nibbles.h"
#include "tests/mail/mail_check_fixture.h"
#include "tests/support/scripted_peer.h"

namespace corvane::mail {
namespace {

using testing::ReadFile;
using testing::ScriptedPeer;

const std::string kFirst =
    "Date: Mon, 7 Dec 2026 10:20:30 +0100\r\n"
    "From: Ann <ann@example.test> (work)\r\n"
    "Subject: Hello; there\r\n"
    "Message-ID: <1@example.test>\r\n"
    "\r\n"
    "..leading dot\r\n"
    "..\r\n"
    "plain\r\n";
const std::string kFirstStored =
    "Date: Mon, 7 Dec 2026 10:20:30 +0100\n"
    "From: Ann <ann@example.test> (work)\n"
    "Subject: Hello; there\n"
    "Message-ID: <1@example.test>\n"
    "\n"
    ".leading dot\n"
    ".\n"
    "plain\n";
const std::string kSecond = "Subject: no id\r\n\r\nbody\r\n";

ScriptedPeer& Login(ScriptedPeer& peer) {
    return peer.Send("+OK POP3 ready\r\n")
        .Expect("USER me")
        .Send("+OK\r\n")
        .Expect("PASS pw")
        .Send("+OK logged in\r\n");
}

// Two messages, kept on the server.
void PlayTwoMessages(ScriptedPeer& peer) {
    Login(peer)
        .Expect("STAT")
        .Send("+OK 2 320\r\n")
        .Expect("RETR 1")
        .Send("+OK 200 octets\r\n" + kFirst + ".\r\n")
        .Expect("RETR 2")
        .Send("+OK\r\n" + kSecond + ".\r\n")
        .Expect("QUIT")
        .Send("+OK bye\r\n")
        .Close();
}

std::string Server(std::uint16_t port) {
    return "127.0.0.1:" + std::to_string(port);
}

TEST(MailSocket, FilesMessagesWhateverThePacketBoundaries) {
    // Whole answers, one byte per packet (every boundary at once), and a few single cuts.
    for (const std::size_t split : {0, 1, 2, 5, 17, 60, 150, 1000}) {
        MailCheckFixture fixture;
        ScriptedPeer peer(fixture.loop);
        PlayTwoMessages(peer);
        if (split == 1) {
            peer.OnePacketPerByte();
        } else {
            peer.SplitAt(split);
        }
        const std::string server = Server(peer.Listen());
        fixture.Account(server);
        ASSERT_EQ(fixture.Check("me@" + server), 0) << "split " << split;
        EXPECT_TRUE(peer.Done()) << peer.Mismatch();
        const MailFolder& inbox = fixture.Inbox("me@" + server);
        ASSERT_EQ(inbox.messages.size(), 2u) << "split " << split;
        const MailMessage& first = *inbox.messages[0];
        EXPECT_EQ(ReadFile(first.file), kFirstStored) << "split " << split;
        EXPECT_TRUE(first.file.ends_with(".ML")) << first.file;
        EXPECT_EQ(first.date, "7 Dec 2026 10:20");
        EXPECT_EQ(first.from, "Ann <ann@example.test>");
        EXPECT_EQ(first.subject, "Hello; there");
        EXPECT_EQ(first.status, kStatusNew);
        EXPECT_EQ(ReadFile(inbox.messages[1]->file), "Subject: no id\n\nbody\n");
        if (split == 0) {
            EXPECT_EQ(fixture.host.MessageTexts(), std::vector<std::string>{"You have new mail."});
            EXPECT_EQ(fixture.host.progress.front(), "Logged into POP Server " + server + ".");
            EXPECT_EQ(fixture.host.progress.back(), "Done.");
            EXPECT_EQ(fixture.host.ui.statusTexts.front(),
                      "Retrieving Mail from " + server + "...");
            // What the index holds reads back the same.
            MailStore again(fixture.scratch.path());
            again.Load();
            ASSERT_EQ(MailStore::DefaultFolder(*again.FindEntry("me@" + server)).messages.size(),
                      2u);
        }
    }
}

TEST(MailSocket, SecondCheckFilesOnlyMessagesWithoutId) {
    MailCheckFixture fixture;
    std::string server;
    for (int round = 0; round < 2; ++round) {
        ScriptedPeer peer(fixture.loop);
        PlayTwoMessages(peer);
        const std::uint16_t port = peer.Listen();
        if (round == 0) {
            server = Server(port);
            fixture.Account(server);
        } else {
            fixture.store.FindEntry("me@" + server)->server = Server(port);
        }
        ASSERT_EQ(fixture.Check("me@" + server), 0);
        EXPECT_TRUE(peer.Done()) << peer.Mismatch();
    }
    // The message without a Message-ID counts as new each time.
    EXPECT_EQ(fixture.Inbox("me@" + server).messages.size(), 3u);
    platform::ProfileFile ids(fixture.ids.path());
    const std::string current = ids.ReadString("me@" + server, "current", "");
    ASSERT_FALSE(current.empty());
    const std::vector<std::string> sections = ids.Sections();
    ASSERT_EQ(sections.size(), 2u);  // the account's and one batch
    EXPECT_EQ(ids.Keys(current), std::vector<std::string>{MessageKey("<1@example.test>")});
}

TEST(MailSocket, RejectedPasswordIsAskedAgainOnTheSameConnection) {
    MailCheckFixture fixture;
    ScriptedPeer peer(fixture.loop);
    peer.Send("+OK\r\n")
        .Expect("USER me")
        .Send("+OK\r\n")
        .Expect("PASS wrong")
        .Send("-ERR [AUTH] no\r\n")
        .Expect("USER me")
        .Send("+OK\r\n")
        .Expect("PASS right")
        .Send("+OK\r\n")
        .Expect("STAT")
        .Send("+OK 0 0\r\n")
        .Expect("QUIT")
        .Send("+OK\r\n");
    const std::string server = Server(peer.Listen());
    fixture.Account(server, false, "me", "wrong");
    fixture.host.ui.credentialAnswers.push_back(platform::Credentials{"", "right", false});
    ASSERT_EQ(fixture.Check("me@" + server), 0);
    EXPECT_TRUE(peer.Done()) << peer.Mismatch();
    EXPECT_EQ(fixture.host.ui.credentialPrompts.size(), 1u);
    // Not saved: the password stays out of the file.
    EXPECT_EQ(fixture.scratch.Read("mailbox.ini").find(core::EncodePasswordNibbles("right")),
              std::string::npos);
    for (const std::string& text : fixture.host.ui.statusTexts)
        EXPECT_EQ(text.find("right"), std::string::npos);
}

TEST(MailSocket, RefusedPasswordWithoutAskingEndsQuietly) {
    MailCheckFixture fixture;
    fixture.host.mayAsk = false;
    ScriptedPeer peer(fixture.loop);
    peer.Send("+OK\r\n")
        .Expect("USER me")
        .Send("+OK\r\n")
        .Expect("PASS pw")
        .Send("-ERR no\r\n")
        .Expect("QUIT")
        .Send("+OK\r\n");
    const std::string server = Server(peer.Listen());
    fixture.Account(server);
    CMailSocket socket(fixture.loop, fixture.store, fixture.ids, fixture.host);
    ASSERT_TRUE(socket.Check("me@" + server));
    ASSERT_TRUE(fixture.loop.RunUntil([&] { return !fixture.host.results.empty(); }, 5000));
    EXPECT_TRUE(socket.passwordRefused());
    EXPECT_TRUE(fixture.host.ui.messages.empty());
}

TEST(MailSocket, DeleteComesOnlyAfterTheIndexNamesTheMessage) {
    MailCheckFixture fixture;
    ScriptedPeer peer(fixture.loop);
    Login(peer)
        .Expect("STAT")
        .Send("+OK 1 320\r\n")
        .Expect("RETR 1")
        .Send("+OK\r\n" + kFirst + ".\r\n")
        .Expect("DELE 1")
        .Reset();  // as if the program died right after asking
    const std::string server = Server(peer.Listen());
    fixture.Account(server, true);
    fixture.Check("me@" + server);
    EXPECT_TRUE(peer.Done()) << peer.Mismatch();
    // Only what was on disk when DELE went out: a fresh store reads the message back.
    MailStore after(fixture.scratch.path());
    after.Load();
    const MailFolder& inbox = MailStore::DefaultFolder(*after.FindEntry("me@" + server));
    ASSERT_EQ(inbox.messages.size(), 1u);
    EXPECT_EQ(ReadFile(inbox.messages[0]->file), kFirstStored);
}

TEST(MailSocket, HostileServers) {
    const std::string longLine = std::string(4096, 'x') + ".";
    const std::string hugeLine(10 << 20, 'y');
    struct Case {
        const char* name;
        std::string afterStat;  // what the server sends after STAT (login done)
        std::string stored;     // the one filed message's file, or empty: nothing filed
        int outcome;
    } cases[] = {
        {"cut mid-message", "+OK 1 9\r\n+OK\r\nSubject: cut\r\n\r\nhalf", "", -65},
        {"reset mid-message", "+OK 1 9\r\n+OK\r\nSubject: cut\r\n", "", -255},
        {"piece of a long line that is a dot",
         "+OK 1 9\r\n+OK\r\nSubject: long\r\n\r\n" + longLine + "\r\n.\r\n+OK\r\n",
         "Subject: long\n\n" + longLine + "\n", 0},
        {"ten megabyte line", "+OK 1 9\r\n+OK\r\nS: h\r\n\r\n", "S: h\n\n" + hugeLine + "\n", 0},
        {"four billion messages", "+OK 4000000000 1\r\n-ERR no such message\r\n+OK\r\n", "", -255},
        {"count beyond 32 bits", "+OK 99999999999999999999 1\r\n-ERR no\r\n+OK\r\n", "", -255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MailCheckFixture fixture;
        ScriptedPeer peer(fixture.loop);
        Login(peer).Expect("STAT").Send(c.afterStat);
        if (std::string(c.name).starts_with("ten")) {
            // The peer writes one packet per loop turn: a huge line goes out in pieces.
            for (std::size_t at = 0; at < hugeLine.size(); at += 64 * 1024)
                peer.Send(hugeLine.substr(at, 64 * 1024));
            peer.Send("\r\n.\r\n+OK\r\n");
        }
        if (std::string(c.name).starts_with("reset")) {
            peer.Reset();
        } else if (std::string(c.name).starts_with("cut")) {
            peer.Close();
        }
        const std::string server = Server(peer.Listen());
        // Deleting is asked for where nothing may be deleted.
        fixture.Account(server, c.stored.empty());
        fixture.Check("me@" + server);
        ASSERT_EQ(fixture.host.outcomes.size(), 1u);
        EXPECT_EQ(fixture.host.outcomes[0], c.outcome);
        EXPECT_EQ(peer.Received().find("DELE"), std::string::npos);
        const MailFolder& inbox = fixture.Inbox("me@" + server);
        if (c.stored.empty()) {
            EXPECT_TRUE(inbox.messages.empty());
            EXPECT_EQ(fixture.scratch.Names(),
                      (std::vector<std::string>{"mailbox.ini", "mailid.ini"}));
            if (c.outcome == -255) {
                EXPECT_EQ(fixture.host.progress.back(), "Error occurs while checking mail.");
            }
        } else {
            ASSERT_EQ(inbox.messages.size(), 1u);
            EXPECT_TRUE(ReadFile(inbox.messages[0]->file) == c.stored);
        }
    }
}

}  // namespace
}  // namespace corvane::mail
