#pragma once
// The Post News window: From (shown, not edited), Post Newsgroups, Subject, the body and an
// attachment, with Quote, Send and Cancel. Send composes the article and starts a newspost
// request with it in the browser window; the window stays open and learns the outcome when the
// request is done with the article. Modeless; one per posting.
//
// Memory: the request's article source reports back through a guarded pointer, so a window
// closed while its posting runs is simply not told.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "core/runtime_class.h"
#include "shell/application.h"
#include "shell/post_news_fields.h"

namespace corvane::shell {

class CPostNewsWindow : public QWidget {
    Q_OBJECT
  public:
    // `send` starts the request (address, body); `quoteSource` gives the shown document's text
    // and its sender for Quote.
    CPostNewsWindow(CApplication& application, PostNewsFields fields,
                    std::function<void(std::string, std::unique_ptr<core::CObject>)> send,
                    std::function<std::pair<std::string, std::string>()> quoteSource,
                    QWidget* parent = nullptr);

    // Opens a window unless the "E-Mail Address" setting is empty (then the message, and null).
    static CPostNewsWindow* Open(
        CApplication& application, PostNewsFields fields,
        std::function<void(std::string, std::unique_ptr<core::CObject>)> send,
        std::function<std::pair<std::string, std::string>()> quoteSource);

    // The commands. Public so tests drive them.
    void Send();
    void Quote();
    void Cancel();
    // The request is done with the article.
    void Finished(bool posted);

    QLabel& From() { return *from_; }
    QLineEdit& Newsgroups() { return *newsgroups_; }
    QLineEdit& Subject() { return *subject_; }
    QPlainTextEdit& Body() { return *body_; }
    QLineEdit& Attachment() { return *attachment_; }
    QPushButton& SendButton() { return *send_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    CApplication& application_;
    PostNewsFields fields_;
    std::function<void(std::string, std::unique_ptr<core::CObject>)> sendRequest_;
    std::function<std::pair<std::string, std::string>()> quoteSource_;
    QLabel* from_;
    QLineEdit* newsgroups_;
    QLineEdit* subject_;
    QPlainTextEdit* body_;
    QLineEdit* attachment_;
    QPushButton* send_;
    bool confirmedClose_ = false;
};

}  // namespace corvane::shell
