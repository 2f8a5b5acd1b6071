#include "shell/mail_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/qt_text.h"

namespace corvane::shell {
namespace {

bool Refused(QWidget* parent, const std::string& message) {
    if (message.empty()) return false;
    QMessageBox::warning(parent, "Corvane", FromUtf8(message));
    return true;
}

}  // namespace

std::optional<AccountFields> AskAccount(
    QWidget* parent, const QString& title, const AccountFields& prefill,
    const std::function<std::string(const std::string&)>& check) {
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* form = new QFormLayout;
    auto* name = new QLineEdit(FromUtf8(prefill.name));
    name->setPlaceholderText("user@pop.server");
    auto* password = new QLineEdit(FromUtf8(prefill.password));
    password->setEchoMode(QLineEdit::Password);
    auto* save = new QCheckBox("&Save password");
    save->setChecked(prefill.savePassword);
    auto* remove = new QCheckBox("&Delete messages from the server");
    remove->setChecked(prefill.deleteFromServer);
    // In the order of platform::TlsMode.
    auto* security = new QComboBox;
    security->addItems({"None", "STLS", "TLS from the start (pop3s)"});
    security->setCurrentIndex(static_cast<int>(prefill.security));
    auto* email = new QLineEdit(FromUtf8(prefill.emailAddress));
    auto* smtp = new QLineEdit(FromUtf8(prefill.smtpServer));
    form->addRow("&POP account:", name);
    form->addRow("Pass&word:", password);
    form->addRow("", save);
    form->addRow("", remove);
    form->addRow("Secure &connection:", security);
    form->addRow("&E-mail address:", email);
    form->addRow("S&MTP server:", smtp);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (!Refused(&dialog, check(ToUtf8(name->text().trimmed())))) dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return AccountFields{ToUtf8(name->text().trimmed()),
                         ToUtf8(password->text()),
                         save->isChecked(),
                         remove->isChecked(),
                         ToUtf8(email->text().trimmed()),
                         ToUtf8(smtp->text().trimmed()),
                         static_cast<platform::TlsMode>(security->currentIndex())};
}

std::optional<std::string> AskFolderName(
    QWidget* parent, const QString& title, const std::string& prefill,
    const std::function<std::string(const std::string&)>& check) {
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* name = new QLineEdit(FromUtf8(prefill));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (!Refused(&dialog, check(ToUtf8(name->text().trimmed())))) dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel("&Folder name:"));
    layout->addWidget(name);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return ToUtf8(name->text().trimmed());
}

CheckProgressDialog::CheckProgressDialog(QWidget* parent, const std::string& account,
                                         std::function<void()> stop)
    : QDialog(parent), stop_(std::move(stop)) {
    setWindowTitle("Corvane: Check Mail");
    setAttribute(Qt::WA_DeleteOnClose);
    text_ = new QLabel;
    text_->setMinimumWidth(320);
    button_ = new QPushButton("&Stop");
    connect(button_, &QPushButton::clicked, this, [this] {
        if (stop_) {
            stop_();
        } else {
            close();
        }
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(FromUtf8(account)));
    layout->addWidget(text_);
    layout->addWidget(button_, 0, Qt::AlignRight);
}

void CheckProgressDialog::SetText(const std::string& text) {
    text_->setText(FromUtf8(text));
}

void CheckProgressDialog::Finished() {
    stop_ = nullptr;
    button_->setText("&Close");
}

}  // namespace corvane::shell
