#include "platform/scripted_host_services.h"

#include <gtest/gtest.h>

namespace corvane::platform {
namespace {

TEST(ScriptedHostServices, StatusTextIsCutAtTheLimit) {
    ScriptedHostServices host;
    host.SetStatusText(std::string(kMaxStatusText + 1, 'x'));
    host.SetStatusText(std::string(kMaxStatusText, 'y'));
    ASSERT_EQ(host.statusTexts.size(), 2u);
    EXPECT_EQ(host.statusTexts[0], std::string(kMaxStatusText, 'x'));
    EXPECT_EQ(host.statusTexts[1], std::string(kMaxStatusText, 'y'));
}

TEST(ScriptedHostServices, ProgressOutsideTheRangeClearsTheControl) {
    ScriptedHostServices host;
    for (int value : {0, 64, kProgressRange, kProgressRange + 1, -1, 5, -100}) {
        host.SetProgress(value);
    }
    EXPECT_EQ(host.progressValues, (std::vector<int>{0, 64, 128, -1, -1, 5, -1}));
    EXPECT_EQ(host.progress, -1);
}

TEST(ScriptedHostServices, MessagesAnswerFromTheQueueThenWithTheFirstButton) {
    ScriptedHostServices host;
    host.messageAnswers = {MessageAnswer::kNo, MessageAnswer::kCancel};
    EXPECT_EQ(host.ShowMessage("q1", MessageButtons::kYesNo, MessageIcon::kQuestion, "Corvane"),
              MessageAnswer::kNo);
    EXPECT_EQ(host.ShowMessage("q2", MessageButtons::kRetryCancel, MessageIcon::kStop, "Corvane"),
              MessageAnswer::kCancel);
    struct Case {
        MessageButtons buttons;
        MessageAnswer expected;
    };
    const Case defaults[] = {{MessageButtons::kOk, MessageAnswer::kOk},
                             {MessageButtons::kOkCancel, MessageAnswer::kOk},
                             {MessageButtons::kYesNo, MessageAnswer::kYes},
                             {MessageButtons::kYesNoCancel, MessageAnswer::kYes},
                             {MessageButtons::kRetryCancel, MessageAnswer::kRetry}};
    for (const Case& c : defaults) {
        EXPECT_EQ(host.ShowMessage("d", c.buttons, MessageIcon::kNone, "Corvane"), c.expected);
    }
    ASSERT_EQ(host.messages.size(), 7u);
    EXPECT_EQ(host.messages[1].text, "q2");
    EXPECT_EQ(host.messages[1].icon, MessageIcon::kStop);
    EXPECT_EQ(host.messages[1].answer, MessageAnswer::kCancel);
}

TEST(ScriptedHostServices, EchoedMessagesShowTextAndAnswerOnStderr) {
    ScriptedHostServices host;
    host.SetEchoMessages(true);
    host.messageAnswers = {MessageAnswer::kNo};
    ::testing::internal::CaptureStderr();
    host.ShowMessage("Save the bookmarks?", MessageButtons::kYesNo, MessageIcon::kQuestion,
                     "Corvane");
    host.ShowMessage("Cannot connect to http://h/", MessageButtons::kOk, MessageIcon::kStop,
                     "Corvane");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Save the bookmarks?\n[answered No]\nCannot connect to http://h/\n");
}

// A queued nullopt is a cancelled dialog; an empty queue cancels too.
TEST(ScriptedHostServices, DialogsAnswerFromTheirQueuesThenCancel) {
    ScriptedHostServices host;
    host.fileAnswers = {std::string("/tmp/a.htm"), std::nullopt};
    host.credentialAnswers = {Credentials{"user", "secret", true}};
    host.typeActionAnswers = {TypeAction::kCancel};
    EXPECT_EQ(host.AskSaveFile("Save As", "*.htm", "a.htm"), "/tmp/a.htm");
    EXPECT_EQ(host.AskOpenFile("Open", "*.*", ""), std::nullopt);
    EXPECT_EQ(host.AskOpenFile("Open", "*.*", ""), std::nullopt);
    EXPECT_EQ(host.fileDialogTitles.size(), 3u);
    EXPECT_EQ(host.AskUserPassword("Realm", "host.example", {}).value().password, "secret");
    EXPECT_FALSE(host.AskPassword("user", false));
    EXPECT_EQ(host.AskTypeAction("video/mpeg"), TypeAction::kCancel);
    EXPECT_EQ(host.AskTypeAction("video/mpeg"), TypeAction::kSave);
}

}  // namespace
}  // namespace corvane::platform
