// "corvane --check-mail" against dovecot on loopback: what a timer script would run.

#include <gtest/gtest.h>

#include "core/password_nibbles.h"
#include "tests/shell/run_program.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/scratch_directory.h"

namespace corvane::shell {
namespace {

using corvane::testing::ScratchDirectory;

TEST(CheckMailProgram, FetchesEveryAccountAndFailsOnBadPasswords) {
    ScratchDirectory serverDirectory;
    corvane::testing::DovecotServer server(serverDirectory.path());
    server.AddUser("ann", "annpw");
    server.AddUser("bob", "bobpw");
    server.AddMessage("ann", "1000000001.M1P1.test", "Subject: for ann\n\nhello\n");
    ASSERT_TRUE(server.Start()) << server.Log();
    const std::string host = "127.0.0.1:" + std::to_string(server.port());

    ScratchDirectory profile;
    profile.Write("ovalon.ini", "[Mail and News]\nMail Directory=" + profile.File("box") + "\n");
    ASSERT_EQ(mkdir(profile.File("box").c_str(), 0700), 0);
    const auto entry = [&](const std::string& user, const std::string& password) {
        return user + "@" + host + "=" + host + ";" + core::EncodePasswordNibbles(user) + ";" +
               core::EncodePasswordNibbles(password) + ";`;In;H\n";
    };
    profile.Write("box/mailbox.ini", entry("ann", "annpw") + entry("bob", "wrong"));

    // Every account: bob's refused password fails the run, ann's mail arrives all the same.
    testing::ProgramOutcome outcome =
        testing::RunCorvaneProgram({"--profile", profile.path(), "--check-mail"});
    EXPECT_EQ(outcome.exitCode, 1) << outcome.err;
    EXPECT_NE(outcome.err.find("You have new mail."), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("refused the password of bob@"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find("wrong"), std::string::npos) << outcome.err;
    EXPECT_NE(profile.Read("box/mail.ini").find("ann@" + host + ";In;"), std::string::npos);
    EXPECT_EQ(server.MessagesOnServer("ann"), 0);

    outcome =
        testing::RunCorvaneProgram({"--profile", profile.path(), "--check-mail", "ann@" + host});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_NE(outcome.err.find("Sorry, you don't have any new mail."), std::string::npos);

    outcome = testing::RunCorvaneProgram({"--profile", profile.path(), "--check-mail", "x@y"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("Sorry, cannot retrieve mail to mailbox x@y"), std::string::npos);
}

}  // namespace
}  // namespace corvane::shell
