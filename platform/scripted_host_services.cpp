#include "platform/scripted_host_services.h"

#include <cstdio>

namespace corvane::platform {
namespace {

MessageAnswer DefaultAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::kYesNo:
        case MessageButtons::kYesNoCancel:
            return MessageAnswer::kYes;
        case MessageButtons::kRetryCancel:
            return MessageAnswer::kRetry;
        case MessageButtons::kOk:
        case MessageButtons::kOkCancel:
            break;
    }
    return MessageAnswer::kOk;
}

const char* AnswerName(MessageAnswer answer) {
    switch (answer) {
        case MessageAnswer::kOk:
            return "OK";
        case MessageAnswer::kCancel:
            return "Cancel";
        case MessageAnswer::kYes:
            return "Yes";
        case MessageAnswer::kNo:
            return "No";
        case MessageAnswer::kRetry:
            return "Retry";
    }
    return "?";
}

template <typename T>
std::optional<T> PopFront(std::deque<T>& queue) {
    if (queue.empty()) return std::nullopt;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

}  // namespace

void ScriptedHostServices::SetStatusText(std::string_view text) {
    statusTexts.emplace_back(text.substr(0, kMaxStatusText));
}

void ScriptedHostServices::SetProgress(int value) {
    progress = (value >= 0 && value <= kProgressRange) ? value : -1;
    progressValues.push_back(progress);
}

MessageAnswer ScriptedHostServices::ShowMessage(std::string_view text, MessageButtons buttons,
                                                MessageIcon icon, std::string_view caption) {
    MessageAnswer answer = PopFront(messageAnswers).value_or(DefaultAnswer(buttons));
    messages.push_back({std::string(text), buttons, icon, std::string(caption), answer});
    if (echoMessages_) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
        if (buttons != MessageButtons::kOk)
            std::fprintf(stderr, "[answered %s]\n", AnswerName(answer));
    }
    return answer;
}

std::optional<std::string> ScriptedHostServices::NextFileAnswer(std::string_view title,
                                                                std::string_view start) {
    fileDialogTitles.emplace_back(title);
    fileDialogStarts.emplace_back(start);
    return PopFront(fileAnswers).value_or(std::nullopt);
}

std::optional<std::string> ScriptedHostServices::AskOpenFile(std::string_view title,
                                                             std::string_view,
                                                             std::string_view initialPath) {
    return NextFileAnswer(title, initialPath);
}

std::optional<std::string> ScriptedHostServices::AskSaveFile(std::string_view title,
                                                             std::string_view,
                                                             std::string_view defaultName) {
    return NextFileAnswer(title, defaultName);
}

std::optional<Credentials> ScriptedHostServices::NextCredentials(std::string prompt) {
    credentialPrompts.push_back(std::move(prompt));
    return PopFront(credentialAnswers).value_or(std::nullopt);
}

std::optional<Credentials> ScriptedHostServices::AskUserPassword(std::string_view prompt,
                                                                 std::string_view host,
                                                                 const Credentials&) {
    return NextCredentials(std::string(prompt) + " @ " + std::string(host));
}

std::optional<Credentials> ScriptedHostServices::AskPassword(std::string_view user, bool) {
    return NextCredentials(std::string(user));
}

std::optional<int> ScriptedHostServices::AskChoice(std::string_view title, std::string_view,
                                                   const std::vector<std::string>&) {
    choiceTitles.emplace_back(title);
    return PopFront(choiceAnswers).value_or(0);
}

TypeAction ScriptedHostServices::AskTypeAction(std::string_view mimeType) {
    typeQuestions.emplace_back(mimeType);
    return PopFront(typeActionAnswers).value_or(TypeAction::kSave);
}

bool ScriptedHostServices::AskTrustCertificate(std::string_view question) {
    certificateQuestions.emplace_back(question);
    const bool answer = PopFront(certificateAnswers).value_or(false);
    if (echoMessages_) {
        std::fprintf(stderr, "%.*s\n[answered %s]\n", static_cast<int>(question.size()),
                     question.data(), answer ? "Yes" : "No");
    }
    return answer;
}

}  // namespace corvane::platform
