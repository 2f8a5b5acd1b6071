#include "shell/send_mail_window.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/settings_keys.h"
#include "mail/compose_source.h"
#include "mail/outgoing_mail.h"
#include "protocols/quote_text.h"
#include "protocols/uu_encoder.h"
#include "shell/application.h"

namespace corvane::shell {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

std::string Utf8(const QLineEdit* edit) {
    return edit->text().trimmed().toStdString();
}

// An address as the path of a mailto: URL: the characters that would end or split it escaped.
std::string MailtoPath(const std::string& address) {
    std::string path;
    for (const char c : address) {
        if (c == '%' || c == '?' || c == '#' || static_cast<unsigned char>(c) <= ' ') {
            static constexpr char kHex[] = "0123456789ABCDEF";
            path += '%';
            path += kHex[static_cast<unsigned char>(c) >> 4];
            path += kHex[c & 15];
        } else {
            path += c;
        }
    }
    return path;
}

}  // namespace

CSendMailWindow::CSendMailWindow(CApplication& application, SendMailHost host, QWidget* parent)
    : QDialog(parent),
      application_(application),
      host_(std::move(host)),
      from_(new QLabel),
      to_(new QLineEdit),
      cc_(new QLineEdit),
      subject_(new QLineEdit),
      attachment_(new QLineEdit),
      body_(new QPlainTextEdit) {
    setWindowTitle("Send Mail");
    setModal(false);
    auto* fields = new QFormLayout;
    fields->addRow("From:", from_);
    fields->addRow("Mail To:", to_);
    fields->addRow("Cc:", cc_);
    fields->addRow("Subject:", subject_);
    auto* attachmentRow = new QHBoxLayout;
    auto* browse = new QPushButton("Browse...");
    attachmentRow->addWidget(attachment_);
    attachmentRow->addWidget(browse);
    fields->addRow("Attachment:", attachmentRow);
    body_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* buttons = new QHBoxLayout;
    auto* quote = new QPushButton("Quote");
    auto* send = new QPushButton("Send");
    auto* cancel = new QPushButton("Cancel");
    buttons->addWidget(quote);
    buttons->addStretch();
    buttons->addWidget(send);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(body_, 1);
    layout->addLayout(buttons);
    connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
    connect(quote, &QPushButton::clicked, this, [this] { Quote(); });
    connect(send, &QPushButton::clicked, this, [this] { Send(); });
    connect(cancel, &QPushButton::clicked, this, [this] { Cancel(); });
    resize(560, 460);
}

CSendMailWindow::~CSendMailWindow() {
    *alive_ = false;
    Detach();
}

void CSendMailWindow::Detach() {
    if (running_ != nullptr) running_->onFinished = nullptr;
    running_ = nullptr;
}

bool CSendMailWindow::Start(const std::string& recipient) {
    const config::CSettingsSection section =
        application_.Settings().Section(config::sections::kMailAndNews);
    const std::string address = section.Get(config::keys::kEmailAddress);
    if (address.empty()) {
        application_.Ui().ShowMessage("You need to setup your E-mail address before sending mail.",
                                      MessageButtons::kOk, MessageIcon::kExclamation);
        return false;
    }
    const std::string name = section.Get(config::keys::kMailName);
    from_->setText(QString::fromStdString(name.empty() ? address : name + " <" + address + ">"));
    to_->setText(QString::fromStdString(recipient));
    body_->document()->setModified(false);
    if (recipient.empty()) {
        to_->setFocus();
    } else {
        subject_->setFocus();
    }
    return true;
}

void CSendMailWindow::Send() {
    const std::string to = Utf8(to_);
    if (to.empty()) {
        application_.Ui().ShowMessage("No recipient is specified.", MessageButtons::kOk,
                                      MessageIcon::kExclamation);
        to_->setFocus();
        return;
    }
    auto source = std::make_unique<mail::CComposeSource>();
    source->attachmentPath = Utf8(attachment_);
    if (!source->attachmentPath.empty() &&
        protocols::CUUEncoder::Open(source->attachmentPath) == nullptr) {
        application_.Ui().ShowMessage("Invalid attachment.", MessageButtons::kOk,
                                      MessageIcon::kExclamation);
        return;
    }
    const std::size_t comma = to.find(',');
    const std::string address = mail::RecipientAddress(to.substr(0, comma));
    std::string further;
    if (comma != std::string::npos) {
        further = to.substr(comma + 1);
        further.erase(0, further.find_first_not_of(' '));
    }
    source->cc = Utf8(cc_);
    if (!source->cc.empty()) further += (further.empty() ? "" : ",") + source->cc;
    source->to = to;
    source->furtherRecipients = further;
    source->subject = Utf8(subject_);
    if (source->subject.empty()) source->subject = " ";
    // The edit's wrapped lines stay one line each; its line ends are sent as CR LF.
    source->text = body_->toPlainText().toStdString();
    const std::shared_ptr<bool> alive = alive_;
    source->onFinished = [this, alive](bool sent) {
        running_ = nullptr;
        // Reported on a later turn: the protocol is still inside its reply handler.
        application_.Loop().Post([this, alive, sent] {
            if (*alive) Finished(sent);
        });
    };
    Detach();
    running_ = source.get();
    host_.post("mailto:" + MailtoPath(address), std::move(source));
}

void CSendMailWindow::Finished(bool sent) {
    if (!sent) {
        application_.Ui().ShowMessage("Cannot sent the message.", MessageButtons::kOk,
                                      MessageIcon::kExclamation);
        return;
    }
    const MessageAnswer again = application_.Ui().ShowMessage(
        "Mail has been sent.\r\nDo you want to send another message?\r\n", MessageButtons::kYesNo,
        MessageIcon::kQuestion);
    if (!*alive_) return;
    if (again == MessageAnswer::kYes) {
        to_->clear();
        subject_->clear();
        attachment_->clear();
        body_->clear();
        body_->document()->setModified(false);
        to_->setFocus();
        return;
    }
    closing_ = true;
    close();
}

void CSendMailWindow::Quote() {
    const std::optional<SendMailHost::Quoted> shown =
        host_.shownText ? host_.shownText() : std::nullopt;
    if (!shown || shown->text.empty()) {
        application_.Ui().ShowMessage("No Document Content", MessageButtons::kOk,
                                      MessageIcon::kExclamation);
        return;
    }
    body_->moveCursor(QTextCursor::End);
    body_->insertPlainText(
        QString::fromStdString(protocols::QuoteText(shown->text, shown->sender)));
}

bool CSendMailWindow::Cancel() {
    if (body_->document()->isModified()) {
        const MessageAnswer answer = application_.Ui().ShowMessage(
            "The message has not been sent. Are you sure you want to discard it?",
            MessageButtons::kOkCancel, MessageIcon::kQuestion);
        if (answer != MessageAnswer::kOk) return false;
    }
    Detach();
    closing_ = true;
    close();
    return true;
}

void CSendMailWindow::Browse() {
    const std::optional<std::string> path =
        application_.Ui().AskOpenFile("Corvane : Attach File", "All Files (*.*)|*.*||", "");
    if (path) attachment_->setText(QString::fromStdString(*path));
}

void CSendMailWindow::reject() {
    Cancel();  // Escape asks as Cancel does
}

void CSendMailWindow::closeEvent(QCloseEvent* event) {
    if (closing_ || Cancel()) {
        closing_ = false;
        event->accept();
        return;
    }
    event->ignore();
}

}  // namespace corvane::shell
