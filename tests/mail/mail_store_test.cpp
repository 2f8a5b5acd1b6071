// The mailbox store: its two index files, the naming rules and deleting through Trash.

#include "mail/mail_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "mail/mail_deletion.h"
#include "mail/mail_index_lines.h"
#include "mail/mail_names.h"
#include "mail/sent_copy.h"
#include "tests/support/scratch_directory.h"

namespace corvane::mail {
namespace {

using testing::ScratchDirectory;

MailMessage& AddReceived(MailFolder& folder, const ScratchDirectory& scratch, std::string name,
                         std::string subject) {
    scratch.Write(name, "Subject: " + subject + "\n\nbody\n");
    auto message = std::make_unique<MailMessage>();
    message->file = scratch.File(name);
    message->from = "<a@b.test>";
    message->subject = std::move(subject);
    message->date = "7 Dec 2026 10:20";
    return MailStore::AddMessage(folder, std::move(message));
}

// A store loaded from a fresh directory.
class StoreTest : public ::testing::Test {
  protected:
    StoreTest() { store.Load(); }
    ScratchDirectory scratch;
    MailStore store{scratch.path()};
};
using MailStoreTest = StoreTest;
using MailNames = StoreTest;
using MailDeletion = StoreTest;
using SentCopy = StoreTest;

TEST_F(MailStoreTest, FirstStartWritesTrashAndOutPrivately) {
    EXPECT_EQ(scratch.Read("mailbox.ini"), "Trash=;;;@;Trash;@\nOut=;;;@;Out;@\n");
    struct stat status {};
    ASSERT_EQ(stat(store.EntriesPath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(MailStoreTest, PasswordIsWrittenOnlyWhenSaved) {
    store.AddAccount("me@pop.test", "pop.test", "me").password = "secret";
    ASSERT_TRUE(store.SaveEntries());
    EXPECT_NE(scratch.Read("mailbox.ini").find("me@pop.test=pop.test;FMFE;;@;In;H\n"),
              std::string::npos)
        << scratch.Read("mailbox.ini");
}

TEST(MailStore, EntriesAndMessagesReadBackAsTheyWere) {
    ScratchDirectory scratch;
    {
        MailStore store(scratch.path());
        store.Load();
        PopAccount& account = store.AddAccount("me@pop.test", "pop.test", "me");
        account.password = "abc";
        account.savePassword = true;
        account.deleteFromServer = true;
        account.expanded = true;
        account.security = platform::TlsMode::kStartTls;
        MailStore::AddFolder(account, "Odd;name=x").expanded = true;
        MailFolder& inbox = MailStore::DefaultFolder(account);
        // Text from messages that would break a naive line format.
        AddReceived(inbox, scratch, "CVT1.ML", "a;b\r\nc=d \\x41 " + std::string(300, 'x'));
        AddReceived(inbox, scratch, "CVT2.ML", "second").status = 3;
        ASSERT_TRUE(store.SaveEntries());
        ASSERT_TRUE(store.SaveMessages());
    }
    const std::string entries = scratch.Read("mailbox.ini");
    // A three-character password is six characters from "@" to "O".
    EXPECT_NE(entries.find("me@pop.test=pop.test;FMFE;FAFBFC;q;"), std::string::npos) << entries;
    MailStore store(scratch.path());
    store.Load();
    PopAccount* account = store.FindEntry("ME@POP.TEST");
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(account->user, "me");
    EXPECT_EQ(account->password, "abc");
    EXPECT_TRUE(account->savePassword && account->deleteFromServer && account->expanded);
    EXPECT_EQ(account->security, platform::TlsMode::kStartTls);
    ASSERT_EQ(account->folders.size(), 2u);
    EXPECT_EQ(account->folders[1]->name, "Odd;name=x");
    EXPECT_TRUE(account->folders[1]->expanded);
    MailFolder& inbox = MailStore::DefaultFolder(*account);
    EXPECT_EQ(inbox.name, "In");
    ASSERT_EQ(inbox.messages.size(), 2u);
    EXPECT_EQ(inbox.messages[0]->subject, "a;b\r\nc=d \\x41 " + std::string(300, 'x'));
    EXPECT_EQ(inbox.messages[0]->file, scratch.File("CVT1.ML"));
    EXPECT_EQ(inbox.messages[1]->status, 3);
    EXPECT_EQ(StatusLetter(inbox.messages[1]->status), 'D');
}

TEST(MailStore, ReadsLinesItDidNotWriteAndDropsOrphans) {
    ScratchDirectory scratch;
    scratch.Write("mailbox.ini",
                  "junk without equals\n"
                  "Box=srv;;;\n"  // no flags character: ignored
                  "u@s=s;GDGG;;`; In ;H;;Keep;@\n"
                  "U@S=other;;;@\n");  // same name again: ignored
    scratch.Write("mail.ini",
                  "u@s;In;/m/1.ML;<x@y>;1 Jan 2020 10:00;old; subject;A\n"
                  "u@s;Gone;/m/2.ML;<x@y>;date;lost;@\n"
                  "nobody;In;/m/3.ML;<x@y>;date;lost;@\n"
                  "u@s;keep;/m/4.ML;<to@y>;date;sent copy;E\n");
    MailStore store(scratch.path());
    store.Load();
    ASSERT_EQ(store.entries().size(), 1u);
    PopAccount& account = *store.entries()[0];
    EXPECT_EQ(account.server, "s");
    EXPECT_EQ(account.user, "tw");
    EXPECT_TRUE(account.deleteFromServer && !account.expanded);
    ASSERT_EQ(account.folders.size(), 2u);
    EXPECT_EQ(account.folders[0]->name, "In ");
    EXPECT_TRUE(account.folders[0]->isDefault);
    // "In " is not "In": that line's folder is missing.
    EXPECT_TRUE(account.folders[0]->messages.empty());
    ASSERT_EQ(account.folders[1]->messages.size(), 1u);
    const MailMessage& sent = *account.folders[1]->messages[0];
    EXPECT_EQ(sent.status, kStatusSent);
    EXPECT_EQ(sent.to, "<to@y>");
    EXPECT_TRUE(sent.from.empty());
    ASSERT_TRUE(store.SaveMessages());
    EXPECT_EQ(scratch.Read("mail.ini"), "u@s;Keep;/m/4.ML;<to@y>;date;sent copy;E\n");
}

TEST(MailIndexLines, OldLineWithSemicolonInSubjectKeepsItsStatus) {
    const auto record = ParseMessageLine("a;In;/f.ML;<x>;d;one;two;A");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->subject, "one;two");
    EXPECT_EQ(record->status, 1);
    EXPECT_FALSE(ParseMessageLine("a;In;/f.ML;<x>;d;"));
}

TEST_F(MailNames, AccountAndFolderRules) {
    PopAccount& account = store.AddAccount("me@pop.test", "pop.test", "me");
    struct Case {
        std::string message;
        std::string expected;
    } cases[] = {
        {CheckAccountName(store, ""), "Please enter your pop account name ..."},
        {CheckAccountName(store, "nobody"), "Your pop account name is invalid ..."},
        {CheckAccountName(store, "@host"), "Your pop account name is invalid ..."},
        {CheckAccountName(store, "user@"), "Your pop account name is invalid ..."},
        {CheckAccountName(store, "ME@pop.test"),
         "The pop account name you entered is already existed.\nPlease enter another one ..."},
        {CheckAccountName(store, "me@pop.test", &account), ""},
        {CheckAccountName(store, "a@b@c"), ""},
        {CheckGlobalFolderName(store, ""), "Please enter a unique global folder name ..."},
        {CheckGlobalFolderName(store, "trash"),
         "The folder name you entered is already in use\n by an existing mailbox or global "
         "folder.Please enter a unique global folder name ..."},
        {CheckGlobalFolderName(store, "Saved"), ""},
        {CheckMailboxFolderName(account, ""), "Please enter a mailbox unique folder name ..."},
        {CheckMailboxFolderName(account, "in"),
         "The folder name you entered is already in use\n inside this mailbox.Please enter a "
         "mailbox unique folder name ..."},
        {CheckMailboxFolderName(account, "Work"), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.message, c.expected);
    EXPECT_EQ(AccountUser("a@b@c"), "a@b");
    EXPECT_EQ(AccountServer("a@b@c"), "c");
}

TEST_F(MailDeletion, MessagesGoToTrashThenForGood) {
    PopAccount& account = store.AddAccount("me@pop.test", "pop.test", "me");
    MailFolder& inbox = MailStore::DefaultFolder(account);
    MailMessage& message = AddReceived(inbox, scratch, "CVT1.ML", "one");
    EXPECT_EQ(DeleteConfirmation(store, {&account, &inbox, &message}), "");
    DeleteItem(store, {&account, &inbox, &message});
    MailFolder* trash = store.GlobalFolder("Trash");
    ASSERT_NE(trash, nullptr);
    ASSERT_EQ(trash->messages.size(), 1u);
    EXPECT_TRUE(inbox.messages.empty());
    EXPECT_FALSE(scratch.Read("CVT1.ML").empty());
    DeleteItem(store, {trash->owner, trash, trash->messages[0].get()});
    EXPECT_TRUE(trash->messages.empty());
    EXPECT_TRUE(scratch.Read("CVT1.ML").empty());
}

TEST_F(MailDeletion, FoldersAndEntries) {
    PopAccount& account = store.AddAccount("me@pop.test", "pop.test", "me");
    MailFolder& work = MailStore::AddFolder(account, "Work");
    AddReceived(work, scratch, "CVT1.ML", "one");
    EXPECT_EQ(DeleteConfirmation(store, {&account, &work}),
              "Deleting the mail folder Work will delete all its messages.\nProceed?");
    DeleteItem(store, {&account, &work});
    EXPECT_EQ(account.folders.size(), 1u);
    MailFolder& saved = store.CreateGlobalFolder("Saved");
    AddReceived(saved, scratch, "CVT2.ML", "two");
    // A global folder's folder takes its whole entry along.
    DeleteItem(store, {saved.owner, &saved});
    EXPECT_EQ(store.FindEntry("Saved"), nullptr);
    AddReceived(MailStore::DefaultFolder(account), scratch, "CVT3.ML", "three");
    EXPECT_EQ(DeleteConfirmation(store, {&account}),
              "Deleting the mail box me@pop.test will delete all its folders and "
              "messages.\nProceed?");
    DeleteItem(store, {&account});
    EXPECT_EQ(store.FindEntry("me@pop.test"), nullptr);
    MailFolder* trash = store.GlobalFolder("Trash");
    ASSERT_NE(trash, nullptr);
    EXPECT_EQ(trash->messages.size(), 3u);
    EXPECT_EQ(DeleteConfirmation(store, {trash->owner, trash}),
              "Permanently deleting all mail messages inside the trash folder.\nProceed?");
    DeleteItem(store, {trash->owner, trash});
    EXPECT_EQ(store.GlobalFolder("Trash"), nullptr);
    EXPECT_EQ(scratch.Names(), std::vector<std::string>{"mailbox.ini"});
}

TEST_F(SentCopy, MailGoesToOutAndNewsToANewNewsFolder) {
    std::tm noon{};
    noon.tm_year = 126;
    noon.tm_mon = 11;
    noon.tm_mday = 7;
    noon.tm_hour = 9;
    noon.tm_min = 5;
    noon.tm_isdst = -1;
    const std::time_t when = std::mktime(&noon);
    EXPECT_EQ(SentDate(when), "7 Dec 2026 09:05");
    MailMessage* mail =
        FileSentMail(store, "me@here.test",
                     {{"a@x.test", "b@y.test", "c@z.test"}, "Hi", "/tmp/f.txt", "Text"}, when);
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(mail->folder, store.GlobalFolder("Out"));
    EXPECT_EQ(mail->to, "a@x.test");
    EXPECT_EQ(StatusLetter(mail->status), 'S');
    EXPECT_EQ(testing::ReadFile(mail->file),
              "To: a@x.test\nFrom: me@here.test\nSubject: Hi\nCc: b@y.test, c@z.test\n"
              "Attachment: /tmp/f.txt\nDate: 7 Dec 2026 09:05\n\nText\n");
    MailMessage* news =
        FileSentNews(store, "me@here.test", "comp.test", "Newsgroups: comp.test\n\nHello", when);
    ASSERT_NE(news, nullptr);
    EXPECT_EQ(news->folder, store.GlobalFolder("News"));
    EXPECT_EQ(testing::ReadFile(news->file),
              "Date: 7 Dec 2026 09:05\nNewsgroups: comp.test\n\nHello\n");
    ASSERT_TRUE(store.SaveEntries() && store.SaveMessages());
    MailStore again(scratch.path());
    again.Load();
    ASSERT_NE(again.GlobalFolder("News"), nullptr);
    ASSERT_EQ(again.GlobalFolder("Out")->messages.size(), 1u);
    EXPECT_EQ(again.GlobalFolder("Out")->messages[0]->to, "a@x.test");
}

}  // namespace
}  // namespace corvane::mail
