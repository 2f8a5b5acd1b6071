#pragma once
// The Send Mail window: a modeless dialog of one browser window in which mail is written. Send
// hands the message to the mailto protocol as a form post whose body is a compose source, loaded
// in the browser window; the outcome comes back once, on a later loop turn, as "Mail has been
// sent." (with the question whether to write another) or "Cannot sent the message." (the text
// stays for another try). Quote puts the browser window's document into the body.
//
// Memory: while a send runs the request owns the compose source, which points back here through
// its callback; closing the window detaches it, and the send then reports nothing.

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/runtime_class.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace corvane::mail {
class CComposeSource;
}

namespace corvane::shell {

class CApplication;

// What the window needs of its browser window.
struct SendMailHost {
    // Loads `url` as a form post with `body`.
    std::function<void(const std::string& url, std::unique_ptr<core::CObject> body)> post;
    // The shown document's text and its follow-up sender (empty for all but news articles);
    // nullopt when no text or HTML document with content is shown.
    struct Quoted {
        std::string text;
        std::string sender;
    };
    std::function<std::optional<Quoted>()> shownText;
};

class CSendMailWindow : public QDialog {
    Q_OBJECT
  public:
    CSendMailWindow(CApplication& application, SendMailHost host, QWidget* parent = nullptr);
    ~CSendMailWindow() override;

    // Fills From and the preset recipient and puts the focus where typing starts. False, after
    // saying so, when the "E-Mail Address" setting is empty (the window is not to be shown).
    bool Start(const std::string& recipient);

    // The buttons, public so tests drive them.
    void Send();
    void Quote();
    // Asks first when the body was changed; answers whether the window closed.
    bool Cancel();
    void Browse();

    QLabel& From() { return *from_; }
    QLineEdit& To() { return *to_; }
    QLineEdit& Cc() { return *cc_; }
    QLineEdit& Subject() { return *subject_; }
    QLineEdit& Attachment() { return *attachment_; }
    QPlainTextEdit& Body() { return *body_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void Finished(bool sent);
    void Detach();

    CApplication& application_;
    SendMailHost host_;
    QLabel* from_;
    QLineEdit* to_;
    QLineEdit* cc_;
    QLineEdit* subject_;
    QLineEdit* attachment_;
    QPlainTextEdit* body_;
    mail::CComposeSource* running_ = nullptr;
    bool closing_ = false;
    // Cleared when the window goes, so a report posted for a later turn is dropped.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::shell
