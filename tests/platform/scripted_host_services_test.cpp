#include "platform/scripted_host_services.h"

#include <gtest/gtest.h>

namespace corvane::platform {
namespace {

TEST(ScriptedHostServices, MessagesAnswerFromTheQueueThenWithTheFirstButton) {
    ScriptedHostServices host;
    host.messageAnswers = {MessageAnswer::kNo, MessageAnswer::kCancel};
    EXPECT_EQ(host.ShowMessage("q1", MessageButtons::kYesNo, MessageIcon::kQuestion, "Corvane"),
              MessageAnswer::kNo);
    EXPECT_EQ(host.ShowMessage("q2", MessageButtons::kRetryCancel, MessageIcon::kStop, "Corvane"),
              MessageAnswer::kCancel);
    // The queue used up, the first button answers.
    EXPECT_EQ(host.ShowMessage("d", MessageButtons::kRetryCancel, MessageIcon::kNone, "Corvane"),
              MessageAnswer::kRetry);
    ASSERT_EQ(host.messages.size(), 3u);
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

}  // namespace
}  // namespace corvane::platform
