// The mail window as a user meets it: check a POP account on dovecot, see the new messages with
// their status letters, read one, delete it to Trash and then for good.

#include "shell/mail_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>

#include "core/password_nibbles.h"
#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"
#include "tests/shell/qt_application.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/scratch_directory.h"

namespace corvane::shell {
namespace {

using corvane::testing::ScratchDirectory;

QStringList RowTexts(QTreeWidgetItem* item) {
    QStringList texts;
    for (int column = 0; column < 5; ++column) texts << item->text(column);
    return texts;
}

TEST(MailWindow, CheckReadAndDeleteToTrash) {
    testing::TestApplication();
    ScratchDirectory serverDirectory;
    corvane::testing::DovecotServer server(serverDirectory.path());
    server.AddUser("ann", "annpw");
    server.AddMessage("ann", "1000000001.M1P1.test",
                      "From: Bob <bob@example.test>\nSubject: Lunch\n"
                      "Date: Mon, 7 Dec 2026 12:30:00 +0000\n\nAt noon?\n");
    ASSERT_TRUE(server.Start()) << server.Log();
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    const std::string name = "ann@" + host;

    ScratchDirectory profile;
    ASSERT_EQ(mkdir(profile.File("mail").c_str(), 0700), 0);
    profile.Write("mail/mailbox.ini", name + "=" + host + ";" + core::EncodePasswordNibbles("ann") +
                                          ";" + core::EncodePasswordNibbles("annpw") +
                                          ";P;In;X\nTrash=;;;@;Trash;@\n");
    platform::PollEventLoop loop;
    platform::ScriptedHostServices ui;
    CApplication application(profile.path(), loop, ui);
    CMailWindow window(application);
    QTreeWidget& list = window.List();
    ASSERT_EQ(list.columnCount(), 5);
    EXPECT_EQ(list.headerItem()->text(0), "MailBox");
    EXPECT_EQ(list.columnWidth(0), 125);
    ASSERT_EQ(list.topLevelItemCount(), 2);
    QTreeWidgetItem* account = list.topLevelItem(0);
    EXPECT_EQ(window.MenuFor(window.RowOf(account)),
              (QStringList{"Check Mail", "Send Mail", "Setup Mailbox", "New Mailbox", "New Folder",
                           "Delete Item", "Empty Trash Folder"}));

    window.CheckMail(window.RowOf(account));
    ASSERT_TRUE(loop.RunUntil([&] { return !application.Mail().checks.AnyRunning(); }, 10000));
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, "You have new mail.");
    QTreeWidgetItem* inbox = list.topLevelItem(0)->child(0);
    ASSERT_EQ(inbox->childCount(), 1);
    EXPECT_EQ(RowTexts(inbox->child(0)),
              (QStringList{"", "U", "Bob <bob@example.test>", "Lunch", "7 Dec 2026 12:30"}));
    EXPECT_EQ(window.MenuFor(window.RowOf(inbox->child(0))),
              (QStringList{"Check Mail", "Read Mail", "Send Mail", "Setup Mailbox", "New Mailbox",
                           "New Folder", "Delete Item", "Empty Trash Folder"}));

    std::string opened;
    window.openUrl = [&](const std::string& url) { opened = url; };
    window.ReadMail(window.RowOf(list.topLevelItem(0)->child(0)->child(0)));
    EXPECT_EQ(opened,
              "mail://" + application.Mail().store.entries()[0]->folders[0]->messages[0]->file);
    inbox = list.topLevelItem(0)->child(0);
    EXPECT_EQ(inbox->child(0)->text(1), "R");
    EXPECT_NE(profile.Read("mail/mail.ini").find(";Lunch;A\n"), std::string::npos);

    window.DeleteItem(window.RowOf(inbox->child(0)));
    EXPECT_EQ(list.topLevelItem(0)->child(0)->childCount(), 0);
    QTreeWidgetItem* trash = list.topLevelItem(1)->child(0);
    ASSERT_EQ(trash->childCount(), 1);
    const std::string file = application.Mail().store.GlobalFolder("Trash")->messages[0]->file;
    window.DeleteItem(window.RowOf(trash->child(0)));
    EXPECT_EQ(list.topLevelItem(1)->child(0)->childCount(), 0);
    EXPECT_TRUE(corvane::testing::ReadFile(file).empty());
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowTitle() == "Corvane: Check Mail") widget->close();
    }
}

}  // namespace
}  // namespace corvane::shell
