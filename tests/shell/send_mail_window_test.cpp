// The Send Mail window as a user meets it: its checks and messages, what Send hands to the
// browser window, the outcome reports, Quote, Cancel and closing during a send.

#include "shell/send_mail_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "config/settings_keys.h"
#include "mail/compose_source.h"
#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"
#include "shell/application.h"
#include "tests/shell/qt_application.h"
#include "tests/support/scratch_directory.h"

namespace corvane::shell {
namespace {

using platform::MessageAnswer;

class SendMailWindowTest : public ::testing::Test {
  protected:
    SendMailWindowTest() {
        testing::TestApplication();
        host.post = [this](const std::string& url, std::unique_ptr<core::CObject> body) {
            posted.push_back(url);
            source.reset(static_cast<mail::CComposeSource*>(body.release()));
        };
        host.shownText = [this] { return shown; };
    }
    void SetAddress(const std::string& name, const std::string& address) {
        config::CSettingsSection section =
            application.Settings().Section(config::sections::kMailAndNews);
        (void)section.WriteString(config::keys::kMailName.key, name);
        (void)section.WriteString(config::keys::kEmailAddress.key, address);
    }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& message : ui.messages) texts.push_back(message.text);
        return texts;
    }
    void Turn() {
        loop.RunUntil([] { return false; }, 20);
    }

    corvane::testing::ScratchDirectory profile;
    platform::PollEventLoop loop;
    platform::ScriptedHostServices ui;
    CApplication application{profile.path(), loop, ui};
    SendMailHost host;
    std::optional<SendMailHost::Quoted> shown;
    std::vector<std::string> posted;
    std::unique_ptr<mail::CComposeSource> source;  // as the request would own it
};

TEST_F(SendMailWindowTest, ChecksBeforeSendingAndWhatSendHandsOver) {
    {
        CSendMailWindow window(application, host);
        EXPECT_FALSE(window.Start("ann@a.test"));
        EXPECT_EQ(MessageTexts(),
                  (std::vector<std::string>{
                      "You need to setup your E-mail address before sending mail."}));
    }
    SetAddress("Me Sender", "me@sender.test");
    CSendMailWindow window(application, host);
    ASSERT_TRUE(window.Start(""));
    EXPECT_EQ(window.From().text(), "Me Sender <me@sender.test>");
    window.Send();
    EXPECT_EQ(ui.messages.back().text, "No recipient is specified.");
    window.To().setText("Ann Lee <ann+x@a.test>, bob@b.test");
    window.Cc().setText("cc@c.test");
    window.Attachment().setText(QString::fromStdString(profile.File("missing.bin")));
    window.Send();
    EXPECT_EQ(ui.messages.back().text, "Invalid attachment.");
    EXPECT_TRUE(posted.empty());

    window.Attachment().clear();
    window.Body().setPlainText("Hello");
    window.Send();
    ASSERT_EQ(posted, (std::vector<std::string>{"mailto:ann+x@a.test"}));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->furtherRecipients, "bob@b.test,cc@c.test");
    EXPECT_EQ(source->to, "Ann Lee <ann+x@a.test>, bob@b.test");
    EXPECT_EQ(source->subject, " ");  // an empty subject is sent as one space
    EXPECT_EQ(source->text, "Hello");

    // A failure is reported on a later turn and keeps the text for another try.
    source->Finish(false);
    Turn();
    EXPECT_EQ(ui.messages.back().text, "Cannot sent the message.");
    EXPECT_EQ(window.Body().toPlainText(), "Hello");

    // Success asks whether to write another: Yes empties the fields.
    window.Send();
    ui.messageAnswers.push_back(MessageAnswer::kYes);
    source->Finish(true);
    Turn();
    EXPECT_EQ(ui.messages.back().text,
              "Mail has been sent.\r\nDo you want to send another message?\r\n");
    EXPECT_TRUE(window.To().text().isEmpty());
    EXPECT_TRUE(window.Body().toPlainText().isEmpty());
}

TEST_F(SendMailWindowTest, QuoteCancelAndClosingDuringASend) {
    SetAddress("", "me@sender.test");
    auto window = std::make_unique<CSendMailWindow>(application, host);
    ASSERT_TRUE(window->Start("ann@a.test"));
    EXPECT_EQ(window->From().text(), "me@sender.test");
    window->Quote();
    EXPECT_EQ(ui.messages.back().text, "No Document Content");
    shown = SendMailHost::Quoted{"From: S\nSubject: x\n\nfirst\nsecond\n", "S"};
    window->Quote();
    EXPECT_EQ(window->Body().toPlainText(), "S wrote:\n>first\n>second\n");

    // A changed body asks before it is discarded; Cancel keeps the window.
    window->show();
    const std::size_t asked = ui.messages.size();
    ui.messageAnswers.push_back(MessageAnswer::kCancel);
    EXPECT_FALSE(window->Cancel());
    EXPECT_EQ(ui.messages.size(), asked + 1);
    EXPECT_EQ(ui.messages.back().text,
              "The message has not been sent. Are you sure you want to discard it?");
    EXPECT_TRUE(window->isVisible());

    // Closed while its message is on the way: the send reports nothing.
    window->Send();
    ASSERT_NE(source, nullptr);
    ui.messageAnswers.push_back(MessageAnswer::kOk);
    EXPECT_TRUE(window->Cancel());
    window.reset();
    source->Finish(true);
    Turn();
    EXPECT_EQ(ui.messages.size(), asked + 2);
}

}  // namespace
}  // namespace corvane::shell
