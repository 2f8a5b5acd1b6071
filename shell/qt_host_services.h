#pragma once
// Host services of the window: message boxes, the status bar's first pane, the progress bar
// (0 to 128), the busy indicator, file and login dialogs and the clipboard.

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QTimer>
#include <functional>
#include <optional>

#include "platform/host_services.h"

namespace corvane::shell {

class QtHostServices : public platform::HostServices {
  public:
    // Adds its status pane, progress bar and busy indicator to the window's status bar.
    explicit QtHostServices(QMainWindow& window);

    void SetStatusText(std::string_view text) override;
    void SetProgress(int value) override;
    void SetBusy(bool busy) override;
    platform::MessageAnswer ShowMessage(std::string_view text, platform::MessageButtons buttons,
                                        platform::MessageIcon icon,
                                        std::string_view caption) override;
    std::optional<std::string> AskOpenFile(std::string_view title, std::string_view filter,
                                           std::string_view initialPath) override;
    std::optional<std::string> AskSaveFile(std::string_view title, std::string_view filter,
                                           std::string_view defaultName) override;
    std::optional<int> AskChoice(std::string_view title, std::string_view text,
                                 const std::vector<std::string>& choices) override;
    std::optional<platform::Credentials> AskUserPassword(
        std::string_view prompt, std::string_view host,
        const platform::Credentials& prefill) override;
    std::optional<platform::Credentials> AskPassword(std::string_view user,
                                                     bool savePassword) override;
    platform::TypeAction AskTypeAction(std::string_view mimeType) override;
    bool AskTrustCertificate(std::string_view question) override;
    void SetClipboardText(std::string_view text) override;
    std::string ClipboardText() override;

    // While set, message boxes and the file, login and type questions are answered by `answers`
    // instead of modal dialogs: a test records and answers them, and one that nobody expected
    // fails the test at once instead of waiting for a click that never comes.
    void AnswerQuestionsWith(platform::HostServices* answers) { answers_ = answers; }

    // "Configure a Viewer" of the type question: gives the type an application, or answers the
    // message why the command cannot be one. Without it the choice is not offered.
    std::function<std::optional<std::string_view>(std::string_view type,
                                                  std::string_view application)>
        configureViewer;

    // Told when the busy state changes (the frame's animated logo).
    std::function<void(bool busy)> onBusyChanged;

    bool IsBusy() const { return busyTimer_.isActive(); }
    QString StatusText() const { return status_->text(); }
    int Progress() const { return progress_->isHidden() ? -1 : progress_->value(); }

  private:
    QMainWindow& window_;
    QLabel* status_;
    QProgressBar* progress_;
    QLabel* busy_;
    QTimer busyTimer_;
    int busyFrame_ = 0;
    platform::HostServices* answers_ = nullptr;
};

}  // namespace corvane::shell
