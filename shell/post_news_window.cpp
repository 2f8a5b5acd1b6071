#include "shell/post_news_window.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPointer>
#include <QVBoxLayout>
#include <fstream>

#include "config/settings_keys.h"
#include "news/news_article_text.h"
#include "news/post_news_source.h"
#include "protocols/quote_text.h"
#include "shell/qt_text.h"

namespace corvane::shell {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

config::CSettingsSection MailAndNews(CApplication& application) {
    return application.Settings().Section(config::sections::kMailAndNews);
}

}  // namespace

CPostNewsWindow* CPostNewsWindow::Open(
    CApplication& application, PostNewsFields fields,
    std::function<void(std::string, std::unique_ptr<core::CObject>)> send,
    std::function<std::pair<std::string, std::string>()> quoteSource) {
    if (MailAndNews(application).Get(config::keys::kEmailAddress).empty()) {
        application.Ui().ShowMessage("You need to setup your E-mail address before posting news.",
                                     MessageButtons::kOk, MessageIcon::kExclamation);
        return nullptr;
    }
    auto* window = new CPostNewsWindow(application, std::move(fields), std::move(send),
                                       std::move(quoteSource));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

CPostNewsWindow::CPostNewsWindow(
    CApplication& application, PostNewsFields fields,
    std::function<void(std::string, std::unique_ptr<core::CObject>)> send,
    std::function<std::pair<std::string, std::string>()> quoteSource, QWidget* parent)
    : QWidget(parent, Qt::Window),
      application_(application),
      fields_(std::move(fields)),
      sendRequest_(std::move(send)),
      quoteSource_(std::move(quoteSource)) {
    setWindowTitle("Post News");
    const config::CSettingsSection settings = MailAndNews(application);
    const std::string name = settings.Get(config::keys::kMailName);
    const std::string address = settings.Get(config::keys::kEmailAddress);
    from_ = new QLabel(FromUtf8(name.empty() ? address : name + " <" + address + ">"), this);
    newsgroups_ = new QLineEdit(FromUtf8(fields_.newsgroups), this);
    subject_ = new QLineEdit(FromUtf8(fields_.subject), this);
    body_ = new QPlainTextEdit(this);
    attachment_ = new QLineEdit(this);
    auto* browse = new QPushButton("Browse...", this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const auto path = application_.Ui().AskOpenFile("Attachment", "All Files (*.*)|*.*||",
                                                        ToUtf8(attachment_->text()));
        if (path) attachment_->setText(FromUtf8(*path));
    });
    auto* attachmentRow = new QHBoxLayout;
    attachmentRow->addWidget(attachment_);
    attachmentRow->addWidget(browse);
    auto* form = new QFormLayout;
    form->addRow("From:", from_);
    form->addRow("Post Newsgroups:", newsgroups_);
    form->addRow("Subject:", subject_);
    form->addRow("Attachment:", attachmentRow);
    auto* quote = new QPushButton("Quote", this);
    send_ = new QPushButton("Send", this);
    auto* cancel = new QPushButton("Cancel", this);
    connect(quote, &QPushButton::clicked, this, &CPostNewsWindow::Quote);
    connect(send_, &QPushButton::clicked, this, &CPostNewsWindow::Send);
    connect(cancel, &QPushButton::clicked, this, &CPostNewsWindow::Cancel);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(quote);
    buttons->addStretch();
    buttons->addWidget(send_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(body_);
    layout->addLayout(buttons);
    resize(560, 420);
    // The first empty field takes the focus; the body when the others are filled.
    if (newsgroups_->text().isEmpty()) {
        newsgroups_->setFocus();
    } else if (subject_->text().isEmpty()) {
        subject_->setFocus();
    } else {
        body_->setFocus();
    }
}

void CPostNewsWindow::Send() {
    const std::string newsgroups = ToUtf8(newsgroups_->text().trimmed());
    if (newsgroups.empty()) {
        application_.Ui().ShowMessage("No newsgroups is specified.", MessageButtons::kOk,
                                      MessageIcon::kExclamation);
        return;
    }
    const std::string attachment = ToUtf8(attachment_->text().trimmed());
    if (!attachment.empty() && !std::ifstream(attachment, std::ios::binary)) {
        application_.Ui().ShowMessage("Invalid attachment.", MessageButtons::kOk,
                                      MessageIcon::kExclamation);
        return;
    }
    const config::CSettingsSection settings = MailAndNews(application_);
    news::NewsArticleFields article;
    article.address = settings.Get(config::keys::kEmailAddress);
    article.name = settings.Get(config::keys::kMailName);
    article.newsgroups = newsgroups;
    article.subject = ToUtf8(subject_->text());
    article.references = fields_.references;
    article.body = ToUtf8(body_->toPlainText());
    article.attachment = !attachment.empty();
    // A line end in a header field would start a header (or a command) of its own.
    if (!news::HasSafeHeaderFields(article)) {
        application_.Ui().ShowMessage("Cannot post the message.", MessageButtons::kOk,
                                      MessageIcon::kExclamation);
        return;
    }
    auto source = std::make_unique<news::CPostNewsSource>();
    source->newsgroups = newsgroups;
    source->article = news::ComposeNewsArticle(article);
    source->attachmentPath = attachment;
    QPointer<CPostNewsWindow> self(this);
    source->onFinished = [self](bool posted) {
        if (self) self->Finished(posted);
    };
    send_->setEnabled(false);
    sendRequest_("newspost:" + fields_.serverPrefix + newsgroups, std::move(source));
}

void CPostNewsWindow::Finished(bool posted) {
    send_->setEnabled(true);
    if (!posted) {
        application_.Ui().ShowMessage("Cannot post the message.", MessageButtons::kOk,
                                      MessageIcon::kExclamation);
        return;
    }
    if (application_.Ui().ShowMessage(
            "Message has been posted.\r\nDo you want to post another message?\r\n",
            MessageButtons::kYesNo, MessageIcon::kQuestion) == MessageAnswer::kYes) {
        newsgroups_->clear();
        subject_->clear();
        body_->clear();
        fields_.references.clear();
        body_->document()->setModified(false);
        newsgroups_->setFocus();
        return;
    }
    confirmedClose_ = true;
    close();
}

void CPostNewsWindow::Quote() {
    if (!quoteSource_) return;
    const auto [text, sender] = quoteSource_();
    if (text.empty()) return;
    body_->insertPlainText(FromUtf8(protocols::QuoteText(text, sender)));
}

void CPostNewsWindow::Cancel() {
    close();
}

void CPostNewsWindow::closeEvent(QCloseEvent* event) {
    if (!confirmedClose_ && body_->document()->isModified() &&
        application_.Ui().ShowMessage(
            "The message has not been posted. Are you sure you want to discard it?",
            MessageButtons::kOkCancel, MessageIcon::kQuestion) != MessageAnswer::kOk) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace corvane::shell
