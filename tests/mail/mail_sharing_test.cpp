// Two processes on one mail directory (the window and a timed "--check-mail"): neither loses the
// other's index lines; a renamed account keeps its history; leftovers of a killed check go.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "mail/mail_ids.h"
#include "mail/mail_store.h"
#include "mail/received_message.h"
#include "tests/support/scratch_directory.h"

namespace corvane::mail {
namespace {

using testing::ScratchDirectory;

constexpr std::string_view kAccount = "me@pop.test";

MailMessage& File(MailStore& store, const ScratchDirectory& scratch, const std::string& name,
                  std::string_view folder = "In") {
    scratch.Write(name, "Subject: " + name + "\n\n");
    auto message = std::make_unique<MailMessage>();
    message->file = scratch.File(name);
    message->subject = name;
    PopAccount& account = *store.FindEntry(kAccount);
    MailFolder* target = MailStore::FindFolder(account, folder);
    if (target == nullptr) target = &MailStore::AddFolder(account, folder);
    return MailStore::AddMessage(*target, std::move(message));
}

// "subject:status" of every message, folder by folder.
std::string Listing(const MailStore& store) {
    std::string text;
    for (const auto& entry : store.entries()) {
        for (const auto& folder : entry->folders) {
            for (const auto& message : folder->messages)
                text += folder->name + "/" + message->subject + ":" +
                        std::to_string(message->status) + " ";
        }
    }
    return text;
}

MailMessage* Find(const MailStore& store, std::string_view subject) {
    for (const auto& entry : store.entries()) {
        for (const auto& folder : entry->folders) {
            for (const auto& message : folder->messages) {
                if (message->subject == subject) return message.get();
            }
        }
    }
    return nullptr;
}

class SharedDirectory : public ::testing::Test {
  protected:
    void SetUp() override {
        MailStore first(scratch.path());
        first.Load();
        first.AddAccount(kAccount, "pop.test", "me");
        for (const char* name : {"CVT1.ML", "CVT2.ML", "CVT3.ML"}) File(first, scratch, name);
        ASSERT_TRUE(first.SaveEntries() && first.SaveMessages());
        window.Load();
        check.Load();
    }

    ScratchDirectory scratch;
    MailStore window{scratch.path()};
    MailStore check{scratch.path()};
};

TEST_F(SharedDirectory, EachSideKeepsWhatTheOtherChanged) {
    int merges = 0;
    window.onMerged = [&] { ++merges; };
    // The check files new mail into a folder it made; the window reads one message, moves one to
    // Trash and deletes one for good, then files its own.
    File(check, scratch, "CVT4.ML", "Lists");
    ASSERT_TRUE(check.SaveEntries() && check.SaveMessages());
    Find(window, "CVT1.ML")->status = kStatusRead;
    MailStore::MoveMessage(*Find(window, "CVT2.ML"), *window.GlobalFolder(MailStore::kTrash));
    MailStore::DeleteMessage(*Find(window, "CVT3.ML"));
    File(window, scratch, "CVT5.ML");
    ASSERT_TRUE(window.SaveMessages() && window.SaveEntries());
    EXPECT_GT(merges, 0);
    const std::string expected = "Trash/CVT2.ML:0 In/CVT1.ML:1 In/CVT5.ML:0 Lists/CVT4.ML:0 ";
    EXPECT_EQ(Listing(window), expected);
    // The check sees the window's changes on its next save, and a fresh load reads the same.
    File(check, scratch, "CVT6.ML");
    ASSERT_TRUE(check.SaveMessages());
    EXPECT_EQ(Listing(check),
              "Trash/CVT2.ML:0 In/CVT1.ML:1 In/CVT6.ML:0 In/CVT5.ML:0 "
              "Lists/CVT4.ML:0 ");
    EXPECT_TRUE(window.Refresh());
    EXPECT_FALSE(window.Refresh());
    MailStore fresh(scratch.path());
    fresh.Load();
    EXPECT_EQ(Listing(fresh), Listing(check));
}

TEST_F(SharedDirectory, OwnChangeWinsAndDroppedLineStaysWhileItsFileIsThere) {
    Find(window, "CVT1.ML")->status = 3;
    Find(check, "CVT1.ML")->status = kStatusRead;
    // The other side lost a line whose file is still there: this side keeps it.
    check.FindEntry(kAccount)->folders.front()->messages.pop_back();
    ASSERT_TRUE(check.SaveMessages());
    ASSERT_TRUE(window.SaveMessages());
    EXPECT_EQ(Listing(window), "In/CVT1.ML:3 In/CVT2.ML:0 In/CVT3.ML:0 ");
}

TEST_F(SharedDirectory, AccountSettingsChangedElsewhereAreTaken) {
    PopAccount& theirs = *check.FindEntry(kAccount);
    theirs.password = "typed";
    theirs.savePassword = true;
    theirs.security = platform::TlsMode::kStartTls;
    ASSERT_TRUE(check.SaveEntries());
    window.CreateGlobalFolder("Archive");
    ASSERT_TRUE(window.SaveEntries());
    const PopAccount& ours = *window.FindEntry(kAccount);
    EXPECT_EQ(ours.password, "typed");
    EXPECT_EQ(ours.security, platform::TlsMode::kStartTls);
    ASSERT_TRUE(check.SaveEntries());
    EXPECT_NE(check.GlobalFolder("Archive"), nullptr);
}

TEST_F(SharedDirectory, TwoProcessesSavingAtOnceLoseNoLine) {
    constexpr int kEach = 40;
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            MailStore store(scratch.path());
            store.Load();
            for (int number = 0; number < kEach; ++number) {
                File(store, scratch, "P" + std::to_string(child) + "-" + std::to_string(number));
                if (!store.SaveMessages()) _exit(1);
            }
            _exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    MailStore store(scratch.path());
    store.Load();
    EXPECT_EQ(MailStore::DefaultFolder(*store.FindEntry(kAccount)).messages.size(), 3 + 2u * kEach);
}

TEST_F(SharedDirectory, LoadSweepsOnlyUnnamedIdleMessageFiles) {
    File(window, scratch, "CVT2.tmp");  // named by the index: kept
    ASSERT_TRUE(window.SaveMessages());
    scratch.Write("CVT1.tmp", "half a message");
    scratch.Write("CVT3.tmp", "");
    scratch.Write("ABC1.tmp", "not ours");
    ReceivedMessage receiving;  // a check of another process still writing
    ASSERT_TRUE(receiving.Open(scratch.File("CVT3.tmp")));
    MailStore store(scratch.path());
    store.Load();
    const std::vector<std::string> names = scratch.Names();
    EXPECT_EQ(std::count(names.begin(), names.end(), "CVT1.tmp"), 0);
    for (const char* kept : {"CVT2.tmp", "CVT3.tmp", "ABC1.tmp"})
        EXPECT_EQ(std::count(names.begin(), names.end(), kept), 1) << kept;
}

TEST(MailSharing, RenamedAccountKeepsItsHistory) {
    ScratchDirectory scratch;
    MailIdFile ids(scratch.path());
    const std::string stamp = ids.NewBatchStamp("old@pop.test");
    ids.Record(stamp, {"KEY1"});
    ids.CloseBatch("old@pop.test", stamp, 0);
    const std::string stale = ids.NewBatchStamp("new@pop.test");
    ids.Record(stale, {"KEY2"});
    ids.CloseBatch("new@pop.test", stale, 0);
    ids.RenameAccount("old@pop.test", "new@pop.test");
    MailIdFile again(scratch.path());
    EXPECT_TRUE(again.IsKnown("new@pop.test", "KEY1"));
    EXPECT_FALSE(again.IsKnown("new@pop.test", "KEY2"));
    EXPECT_FALSE(again.IsKnown("old@pop.test", "KEY1"));
}

}  // namespace
}  // namespace corvane::mail
