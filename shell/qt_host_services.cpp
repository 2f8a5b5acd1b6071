#include "shell/qt_host_services.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "shell/helper_apps_page.h"
#include "shell/qt_text.h"

namespace corvane::shell {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kStop:
            return QMessageBox::Critical;
        case MessageIcon::kExclamation:
            return QMessageBox::Warning;
        case MessageIcon::kQuestion:
            return QMessageBox::Question;
        case MessageIcon::kInformation:
            return QMessageBox::Information;
        case MessageIcon::kNone:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::kOkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::kYesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::kYesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::kRetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
        case MessageButtons::kOk:
            break;
    }
    return QMessageBox::Ok;
}

MessageAnswer FromQtButton(int button, MessageButtons buttons) {
    switch (button) {
        case QMessageBox::Ok:
            return MessageAnswer::kOk;
        case QMessageBox::Yes:
            return MessageAnswer::kYes;
        case QMessageBox::No:
            return MessageAnswer::kNo;
        case QMessageBox::Retry:
            return MessageAnswer::kRetry;
        default:
            break;
    }
    // Closing the box answers what Escape would.
    return buttons == MessageButtons::kOk      ? MessageAnswer::kOk
           : buttons == MessageButtons::kYesNo ? MessageAnswer::kNo
                                               : MessageAnswer::kCancel;
}

// The login dialogs. With askUser, OK with an empty user name is refused with a message and the
// dialog stays open on the user name.
std::optional<platform::Credentials> AskCredentials(QWidget* parent, const QString& title,
                                                    const QString& caption, const QString& prompt,
                                                    const platform::Credentials& prefill,
                                                    bool askUser) {
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    if (!caption.isEmpty()) layout->addWidget(new QLabel(caption));
    layout->addWidget(new QLabel(prompt));
    auto* form = new QFormLayout;
    auto* user = new QLineEdit(FromUtf8(prefill.user));
    user->setObjectName("user");
    auto* password = new QLineEdit(FromUtf8(prefill.password));
    password->setObjectName("password");
    password->setEchoMode(QLineEdit::Password);
    if (askUser) form->addRow("&User Name:", user);
    form->addRow("&Password:", password);
    layout->addLayout(form);
    auto* save = new QCheckBox("&Save password");
    save->setChecked(prefill.savePassword);
    layout->addWidget(save);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (askUser && user->text().isEmpty()) {
            QMessageBox::warning(&dialog, title, "User name is invalid... please try again.");
            user->setFocus();
            return;
        }
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    (askUser ? user : password)->setFocus();
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return platform::Credentials{askUser ? ToUtf8(user->text()) : prefill.user,
                                 ToUtf8(password->text()), save->isChecked()};
}

}  // namespace

QtHostServices::QtHostServices(QMainWindow& window)
    : window_(window), status_(new QLabel), progress_(new QProgressBar), busy_(new QLabel) {
    QStatusBar* bar = window.statusBar();
    status_->setTextFormat(Qt::PlainText);
    bar->addWidget(status_, 1);
    progress_->setRange(0, platform::kProgressRange);
    progress_->setMaximumWidth(120);
    progress_->setTextVisible(false);
    progress_->hide();
    bar->addPermanentWidget(progress_);
    busy_->setFixedWidth(28);
    busy_->setAlignment(Qt::AlignCenter);
    bar->addPermanentWidget(busy_);
    busyTimer_.setInterval(120);
    QObject::connect(&busyTimer_, &QTimer::timeout, [this] {
        static const char* const kFrames[] = {"|", "/", "-", "\\"};
        busy_->setText(kFrames[busyFrame_++ % 4]);
    });
}

void QtHostServices::SetStatusText(std::string_view text) {
    status_->setText(FromUtf8(text.substr(0, platform::kMaxStatusText)));
}

void QtHostServices::SetProgress(int value) {
    if (value < 0 || value > platform::kProgressRange) {
        progress_->hide();
        progress_->reset();
        return;
    }
    progress_->setValue(value);
    progress_->show();
}

void QtHostServices::SetBusy(bool busy) {
    if (busy == busyTimer_.isActive()) return;
    if (onBusyChanged) onBusyChanged(busy);
    if (busy) {
        busyTimer_.start();
    } else {
        busyTimer_.stop();
        busy_->clear();
    }
}

platform::MessageAnswer QtHostServices::ShowMessage(std::string_view text,
                                                    platform::MessageButtons buttons,
                                                    platform::MessageIcon icon,
                                                    std::string_view caption) {
    if (answers_) return answers_->ShowMessage(text, buttons, icon, caption);
    QMessageBox box(ToQtIcon(icon), FromUtf8(caption), FromUtf8(text), ToQtButtons(buttons),
                    &window_);
    box.setTextFormat(Qt::PlainText);
    return FromQtButton(box.exec(), buttons);
}

std::optional<std::string> QtHostServices::AskOpenFile(std::string_view title,
                                                       std::string_view filter,
                                                       std::string_view initialPath) {
    if (answers_) return answers_->AskOpenFile(title, filter, initialPath);
    const QString path = QFileDialog::getOpenFileName(&window_, FromUtf8(title),
                                                      FromUtf8(initialPath), ToQtFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return ToUtf8(path);
}

std::optional<std::string> QtHostServices::AskSaveFile(std::string_view title,
                                                       std::string_view filter,
                                                       std::string_view defaultName) {
    if (answers_) return answers_->AskSaveFile(title, filter, defaultName);
    const QString path = QFileDialog::getSaveFileName(&window_, FromUtf8(title),
                                                      FromUtf8(defaultName), ToQtFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return ToUtf8(path);
}

std::optional<int> QtHostServices::AskChoice(std::string_view title, std::string_view text,
                                             const std::vector<std::string>& choices) {
    if (answers_) return answers_->AskChoice(title, text, choices);
    QDialog dialog(&window_);
    dialog.setWindowTitle(FromUtf8(title));
    auto* layout = new QVBoxLayout(&dialog);
    std::vector<QRadioButton*> buttons;
    for (const std::string& choice : choices) {
        buttons.push_back(new QRadioButton(FromUtf8(choice), &dialog));
        layout->addWidget(buttons.back());
    }
    if (!buttons.empty()) buttons.front()->setChecked(true);
    auto* label = new QLabel(FromUtf8(text), &dialog);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(box);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->isChecked()) return static_cast<int>(i);
    }
    return std::nullopt;
}

std::optional<platform::Credentials> QtHostServices::AskUserPassword(
    std::string_view prompt, std::string_view host, const platform::Credentials& prefill) {
    if (answers_) return answers_->AskUserPassword(prompt, host, prefill);
    QString caption = "Enter username for " + FromUtf8(host);
    if (!prompt.empty()) caption += "\n" + FromUtf8(prompt);
    return AskCredentials(&window_, "Corvane : User Password", caption,
                          "Please enter your user name and password:", prefill, true);
}

std::optional<platform::Credentials> QtHostServices::AskPassword(std::string_view user,
                                                                 bool savePassword) {
    if (answers_) return answers_->AskPassword(user, savePassword);
    return AskCredentials(&window_, "Corvane : Mail Retrieval Password", {},
                          "Enter password for user\n" + FromUtf8(user),
                          platform::Credentials{std::string(user), {}, savePassword}, false);
}

platform::TypeAction QtHostServices::AskTypeAction(std::string_view mimeType) {
    if (answers_) return answers_->AskTypeAction(mimeType);
    while (true) {
        QMessageBox box(QMessageBox::Question, "Corvane: " + FromUtf8(mimeType),
                        "No viewer has been configured for this file type.\n"
                        "How would you like to handle this file?",
                        QMessageBox::NoButton, &window_);
        QPushButton* save = box.addButton("&Save to Disk", QMessageBox::AcceptRole);
        QPushButton* cancel = box.addButton("&Cancel Transfer", QMessageBox::RejectRole);
        QPushButton* configure = configureViewer
                                     ? box.addButton("Configure a &Viewer", QMessageBox::ActionRole)
                                     : nullptr;
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == save) return platform::TypeAction::kSave;
        if (configure == nullptr || box.clickedButton() != configure)
            return platform::TypeAction::kCancel;
        // Cancelling the viewer's dialog comes back to the question.
        const auto configureType = [this, mimeType](std::string_view application) {
            return configureViewer(mimeType, application);
        };
        if (ConfigureTypeViewer(&window_, *this, mimeType, configureType))
            return platform::TypeAction::kConfigure;
    }
}

bool QtHostServices::AskTrustCertificate(std::string_view question) {
    if (answers_) return answers_->AskTrustCertificate(question);
    QMessageBox box(QMessageBox::Warning, "Corvane", FromUtf8(question),
                    QMessageBox::Yes | QMessageBox::No, &window_);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtHostServices::SetClipboardText(std::string_view text) {
    QApplication::clipboard()->setText(FromUtf8(text));
}

std::string QtHostServices::ClipboardText() {
    return ToUtf8(QApplication::clipboard()->text());
}

}  // namespace corvane::shell
