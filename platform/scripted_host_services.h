#pragma once
// A host-services implementation without a user interface: it records every call and answers the
// questions from queues filled by the caller, falling back to a default answer. Tests script it;
// the headless command-line modes use it with message boxes echoed to stderr.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/host_services.h"

namespace corvane::platform {

class ScriptedHostServices : public HostServices {
  public:
    struct Message {
        std::string text;
        MessageButtons buttons;
        MessageIcon icon;
        std::string caption;
        MessageAnswer answer;
    };

    // When set, every message box is also written to stderr with the answer given.
    void SetEchoMessages(bool echo) { echoMessages_ = echo; }

    // Queued answers are used first; an empty queue gives the default: the first button of the
    // box (OK, Yes or Retry), no file, no credentials, "save" for the type question, no trust
    // in a certificate that failed the check.
    std::deque<MessageAnswer> messageAnswers;
    std::deque<std::optional<std::string>> fileAnswers;
    std::deque<std::optional<Credentials>> credentialAnswers;
    std::deque<TypeAction> typeActionAnswers;
    std::deque<bool> certificateAnswers;           // default: no
    std::deque<std::optional<int>> choiceAnswers;  // default: the first choice

    // What was asked and shown, in order.
    std::vector<Message> messages;
    std::vector<std::string> statusTexts;
    std::vector<int> progressValues;
    std::vector<std::string> fileDialogTitles;
    std::vector<std::string> fileDialogStarts;  // the path or name each file dialog started with
    std::vector<std::string> credentialPrompts;
    std::vector<std::string> typeQuestions;
    std::vector<std::string> certificateQuestions;
    std::vector<std::string> choiceTitles;
    bool busy = false;
    int progress = -1;  // -1 when cleared
    std::string clipboard;

    void SetStatusText(std::string_view text) override;
    void SetProgress(int value) override;
    void SetBusy(bool isBusy) override { busy = isBusy; }
    MessageAnswer ShowMessage(std::string_view text, MessageButtons buttons, MessageIcon icon,
                              std::string_view caption) override;
    std::optional<std::string> AskOpenFile(std::string_view title, std::string_view filter,
                                           std::string_view initialPath) override;
    std::optional<std::string> AskSaveFile(std::string_view title, std::string_view filter,
                                           std::string_view defaultName) override;
    std::optional<Credentials> AskUserPassword(std::string_view prompt, std::string_view host,
                                               const Credentials& prefill) override;
    std::optional<Credentials> AskPassword(std::string_view user, bool savePassword) override;
    std::optional<int> AskChoice(std::string_view title, std::string_view text,
                                 const std::vector<std::string>& choices) override;
    TypeAction AskTypeAction(std::string_view mimeType) override;
    bool AskTrustCertificate(std::string_view question) override;
    void SetClipboardText(std::string_view text) override { clipboard = text; }
    std::string ClipboardText() override { return clipboard; }

  private:
    std::optional<std::string> NextFileAnswer(std::string_view title, std::string_view start);
    std::optional<Credentials> NextCredentials(std::string prompt);

    bool echoMessages_ = false;
};

}  // namespace corvane::platform
