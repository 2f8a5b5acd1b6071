#pragma once
// The dialogs of the mail window: the POP account ("New Mailbox", "Setup Mailbox"), the folder
// name, the progress of one check and the stored-message viewer.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

#include "platform/tls_session.h"

class QLabel;
class QPushButton;

namespace corvane::shell {

struct AccountFields {
    std::string name;  // user "@" server
    std::string password;
    bool savePassword = false;
    bool deleteFromServer = false;
    std::string emailAddress;
    std::string smtpServer;
    platform::TlsMode security = platform::TlsMode::kNone;
};

// Asks until `check` accepts the name (answering "" ) or the user cancels; `check` answers the
// message shown for a refused name.
std::optional<AccountFields> AskAccount(
    QWidget* parent, const QString& title, const AccountFields& prefill,
    const std::function<std::string(const std::string&)>& check);

std::optional<std::string> AskFolderName(
    QWidget* parent, const QString& title, const std::string& prefill,
    const std::function<std::string(const std::string&)>& check);

// "Corvane: Check Mail": the texts of one check and its Stop button, which becomes Close once the
// check is over. Deletes itself when closed.
class CheckProgressDialog : public QDialog {
    Q_OBJECT
  public:
    CheckProgressDialog(QWidget* parent, const std::string& account, std::function<void()> stop);
    void SetText(const std::string& text);
    // The check is over: Stop turns into Close.
    void Finished();

  private:
    QLabel* text_;
    QPushButton* button_;
    std::function<void()> stop_;
};

}  // namespace corvane::shell
