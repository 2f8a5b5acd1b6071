// Mail checks against dovecot's POP3 server on loopback.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <random>

#include "core/password_nibbles.h"
#include "tests/mail/mail_check_fixture.h"
#include "tests/support/dovecot_server.h"

namespace corvane::mail {
namespace {

using testing::ReadFile;

// As stored in the Maildir (LF line ends), including lines that POP3 must dot-stuff.
std::string Fixture(int number, std::size_t bodyLines = 3) {
    std::string text = "Date: Tue, 8 Dec 2026 09:0" + std::to_string(number % 10) +
                       ":59 +0000\nFrom: Sender " + std::to_string(number) +
                       " <s@example.test>\nSubject: message " + std::to_string(number) +
                       "\nMessage-ID: <" + std::to_string(number) + "@example.test>\n\n";
    for (std::size_t line = 0; line < bodyLines; ++line)
        text += line % 3 == 1 ? ".starts with a dot " + std::to_string(line) + "\n" : "text\n";
    return text + ".\n";
}

class Dovecot : public ::testing::Test {
  protected:
    void SetUp() override {
        server.AddUser("ann", "annpw");
        server.AddUser("bob", "bobpw");
        for (int number = 1; number <= 3; ++number)
            server.AddMessage("ann", "100000000" + std::to_string(number) + ".M1P1.test",
                              Fixture(number));
        server.AddMessage("bob", "1000000009.M1P1.test", Fixture(9));
        ASSERT_TRUE(server.Start()) << server.Log();
        serverText = "127.0.0.1:" + std::to_string(server.port());
    }
    std::string Name(const std::string& user) const { return user + "@" + serverText; }

    // Each filed message by subject, with its file's bytes.
    static std::map<std::string, std::string> Filed(const MailFolder& folder) {
        std::map<std::string, std::string> filed;
        for (const auto& message : folder.messages)
            filed[message->subject] = ReadFile(message->file);
        return filed;
    }

    testing::ScratchDirectory serverDirectory;
    testing::DovecotServer server{serverDirectory.path()};
    std::string serverText;
    MailCheckFixture client;
};

TEST_F(Dovecot, RetrievesByteForByteAndKnowsThemNextTime) {
    client.Account(serverText, false, "ann", "annpw");
    ASSERT_EQ(client.Check(Name("ann")), 0) << server.Log();
    const auto filed = Filed(client.Inbox(Name("ann")));
    ASSERT_EQ(filed.size(), 3u);
    for (int number = 1; number <= 3; ++number)
        EXPECT_EQ(filed.at("message " + std::to_string(number)), Fixture(number));
    EXPECT_EQ(client.Inbox(Name("ann")).messages[0]->date, "8 Dec 2026 09:01");
    ASSERT_EQ(client.Check(Name("ann")), 0);
    EXPECT_EQ(client.Inbox(Name("ann")).messages.size(), 3u);
    EXPECT_EQ(client.host.MessageTexts().back(), "Sorry, you don't have any new mail.");
    EXPECT_EQ(server.MessagesOnServer("ann"), 3);
}

TEST_F(Dovecot, WrongPasswordIsAskedForAgain) {
    client.Account(serverText, false, "ann", "nope");
    client.host.ui.credentialAnswers.push_back(platform::Credentials{"", "annpw", true});
    ASSERT_EQ(client.Check(Name("ann")), 0) << server.Log();
    EXPECT_EQ(client.host.ui.credentialPrompts.size(), 1u);
    EXPECT_EQ(client.Inbox(Name("ann")).messages.size(), 3u);
    // Saved at the user's wish, nibble-encoded.
    EXPECT_NE(
        client.scratch.Read("mailbox.ini").find(";" + core::EncodePasswordNibbles("annpw") + ";"),
        std::string::npos)
        << client.scratch.Read("mailbox.ini");
}

// Both delete from the server, which empties the Maildirs.
TEST_F(Dovecot, TwoAccountsAtTheSameTime) {
    client.Account(serverText, true, "ann", "annpw");
    client.Account(serverText, true, "bob", "bobpw");
    CMailSocket first(client.loop, client.store, client.ids, client.host);
    CMailSocket second(client.loop, client.store, client.ids, client.host);
    ASSERT_TRUE(first.Check(Name("ann")));
    ASSERT_TRUE(second.Check(Name("bob")));
    ASSERT_TRUE(client.loop.RunUntil([&] { return client.host.results.size() == 2; }, 10000));
    EXPECT_EQ(client.host.outcomes, (std::vector<int>{0, 0}));
    EXPECT_EQ(client.Inbox(Name("ann")).messages.size(), 3u);
    ASSERT_EQ(client.Inbox(Name("bob")).messages.size(), 1u);
    EXPECT_EQ(ReadFile(client.Inbox(Name("bob")).messages[0]->file), Fixture(9));
    EXPECT_EQ(server.MessagesOnServer("ann"), 0);
    EXPECT_EQ(server.MessagesOnServer("bob"), 0);
    MailStore reread(client.scratch.path());
    reread.Load();
    EXPECT_EQ(MailStore::DefaultFolder(*reread.FindEntry(Name("ann"))).messages.size(), 3u);
    EXPECT_EQ(MailStore::DefaultFolder(*reread.FindEntry(Name("bob"))).messages.size(), 1u);
}

// A check killed at a random moment, over and over: every message is on the server or filed
// whole, and the index files always read back.
TEST_F(Dovecot, KillNineNeverLosesMail) {
    // The checks run in child processes that read the account from the file.
    client.Account(serverText, true, "ann", "annpw").savePassword = true;
    ASSERT_TRUE(client.store.SaveEntries());
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    int next = 10;
    std::map<std::string, std::string> sent;  // subject -> text
    for (int number = 1; number <= 3; ++number)
        sent["message " + std::to_string(number)] = Fixture(number);
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 4; ++i, ++next) {
            sent["message " + std::to_string(next)] = Fixture(next, 400);
            server.AddMessage("ann", std::to_string(2000000000 + next) + ".M1P1.test",
                              Fixture(next, 400));
        }
        // Made before the fork, so that this process removes its scratch directory: the child
        // is killed.
        MailCheckFixture checker;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            MailStore store(client.scratch.path());
            store.Load();
            MailIdFile ids(client.scratch.path());
            CMailSocket socket(checker.loop, store, ids, checker.host);
            if (socket.Check(Name("ann")))
                checker.loop.RunUntil([&] { return !checker.host.results.empty(); }, 20000);
            _exit(0);
        }
        usleep(std::uniform_int_distribution<int>(0, 1'500'000)(random));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        MailStore store(client.scratch.path());
        store.Load();
        const PopAccount* account = store.FindEntry(Name("ann"));
        ASSERT_NE(account, nullptr) << "round " << round;
        std::map<std::string, std::string> local;
        for (const auto& folder : account->folders) {
            for (const auto& [subject, text] : Filed(*folder)) local[subject] = text;
        }
        std::string onServer;
        for (const char* sub : {"/new", "/cur"}) {
            for (const auto& entry : std::filesystem::directory_iterator(serverDirectory.path() +
                                                                         "/home/ann/Maildir" + sub))
                onServer += ReadFile(entry.path());
        }
        for (const auto& [subject, text] : sent) {
            const bool kept = onServer.find("Subject: " + subject + "\n") != std::string::npos;
            const auto filed = local.find(subject);
            EXPECT_TRUE(kept || (filed != local.end() && filed->second == text))
                << "round " << round << ": " << subject << " was lost";
            if (filed != local.end()) {
                EXPECT_EQ(filed->second, text) << subject;
            }
        }
    }
}

}  // namespace
}  // namespace corvane::mail
