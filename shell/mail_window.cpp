#include "shell/mail_window.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMenu>
#include <QVBoxLayout>

#include "config/settings_keys.h"
#include "html/mime_text.h"
#include "mail/mail_names.h"
#include "platform/ascii.h"
#include "protocols/local_path.h"
#include "shell/mail_dialogs.h"
#include "shell/qt_text.h"

namespace corvane::shell {
namespace {

constexpr int kRowRole = Qt::UserRole;

const char* const kColumns[] = {"MailBox", "S", "Address", "Subject", "Date"};
constexpr int kWidths[] = {125, 25, 100, 100, 75};

}  // namespace

CMailWindow::CMailWindow(CApplication& application, QWidget* parent)
    : QWidget(parent, Qt::Window), application_(application), mail_(application.Mail()) {
    setWindowTitle("Corvane : Mail");
    list_ = new QTreeWidget(this);
    QStringList headers;
    for (const char* column : kColumns) headers << column;
    list_->setHeaderLabels(headers);
    for (int column = 0; column < 5; ++column) list_->setColumnWidth(column, kWidths[column]);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setRootIsDecorated(true);
    connect(list_, &QWidget::customContextMenuRequested, this, &CMailWindow::ShowContextMenu);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const int row = RowOf(item);
        ++acting_;
        if (Row(row).message != nullptr) ReadMail(row);
        --acting_;
    });
    const auto remember = [this](QTreeWidgetItem* item, bool expanded) {
        const mail::MailItem row = Row(RowOf(item));
        if (row.folder != nullptr) {
            row.folder->expanded = expanded;
        } else if (row.entry != nullptr) {
            row.entry->expanded = expanded;
        }
    };
    connect(list_, &QTreeWidget::itemExpanded, this,
            [remember](QTreeWidgetItem* item) { remember(item, true); });
    connect(list_, &QTreeWidget::itemCollapsed, this,
            [remember](QTreeWidgetItem* item) { remember(item, false); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    resize(460, 320);

    mail::MailChecks& checks = mail_.checks;
    checks.onProgress = [this](mail::CMailSocket& check, std::string_view text) {
        CheckProgressDialog*& dialog = progress_[&check];
        if (dialog == nullptr) {
            dialog = new CheckProgressDialog(this, check.accountName(), [&check] { check.Stop(); });
            dialog->show();
        }
        dialog->SetText(std::string(text));
    };
    checks.onMailboxChanged = [this](mail::PopAccount&) { Rebuild(); };
    // Another process (a timed "--check-mail") may have changed the index the rows point into.
    mail_.store.onMerged = [this] { Rebuild(); };
    checks.onFinished = [this](mail::CMailSocket& check, int) {
        if (auto found = progress_.find(&check); found != progress_.end()) {
            found->second->Finished();
            progress_.erase(found);
        }
        (void)mail_.store.SaveMessages();
        Rebuild();
    };
    Rebuild();
}

CMailWindow::~CMailWindow() {
    mail::MailChecks& checks = mail_.checks;
    checks.onProgress = nullptr;
    checks.onMailboxChanged = nullptr;
    checks.onFinished = nullptr;
    mail_.store.onMerged = nullptr;
}

void CMailWindow::closeEvent(QCloseEvent* event) {
    SaveAll();
    event->accept();
}

void CMailWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && acting_ == 0)
        (void)mail_.store.Refresh();
    QWidget::changeEvent(event);
}

void CMailWindow::SaveAll() {
    (void)mail_.store.SaveEntries();
    (void)mail_.store.SaveMessages();
}

int CMailWindow::RowOf(const QTreeWidgetItem* item) const {
    return item == nullptr ? -1 : item->data(0, kRowRole).toInt();
}

mail::MailItem CMailWindow::Row(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[static_cast<std::size_t>(row)]
                                                            : mail::MailItem{};
}

void CMailWindow::Rebuild() {
    list_->clear();
    rows_.clear();
    const auto add = [this](QTreeWidgetItem* parent, const mail::MailItem& row,
                            const QStringList& texts) {
        auto* item =
            parent ? new QTreeWidgetItem(parent, texts) : new QTreeWidgetItem(list_, texts);
        item->setData(0, kRowRole, static_cast<int>(rows_.size()));
        rows_.push_back(row);
        return item;
    };
    for (const auto& entry : mail_.store.entries()) {
        QTreeWidgetItem* entryItem = add(nullptr, {entry.get()}, {FromUtf8(entry->name)});
        for (const auto& folder : entry->folders) {
            QTreeWidgetItem* folderItem =
                add(entryItem, {entry.get(), folder.get()}, {FromUtf8(folder->name)});
            for (const auto& message : folder->messages) {
                const std::string& address = message->to.empty() ? message->from : message->to;
                add(folderItem, {entry.get(), folder.get(), message.get()},
                    {"", QString(QChar(mail::StatusLetter(message->status))),
                     FromUtf8(html::DecodeHeaderText(address)),
                     FromUtf8(html::DecodeHeaderText(message->subject)), FromUtf8(message->date)});
            }
            folderItem->setExpanded(folder->expanded);
        }
        entryItem->setExpanded(entry->expanded);
    }
}

QStringList CMailWindow::MenuFor(int row) const {
    const mail::MailItem item = Row(row);
    const bool server = item.entry != nullptr && item.entry->HasServer();
    QStringList menu;
    if (server) menu << "Check Mail";
    if (item.message != nullptr) menu << "Read Mail";
    menu << "Send Mail";
    if (server) menu << "Setup Mailbox";
    menu << "New Mailbox"
         << "New Folder";
    if (item.folder != nullptr && item.message == nullptr) menu << "Rename Folder";
    if (item.entry != nullptr) menu << "Delete Item";
    if (mail_.store.GlobalFolder(mail::MailStore::kTrash) != nullptr) menu << "Empty Trash Folder";
    return menu;
}

void CMailWindow::ShowContextMenu(const QPoint& at) {
    const int row = RowOf(list_->itemAt(at));
    QMenu menu(this);
    for (const QString& name : MenuFor(row)) {
        QAction* action = menu.addAction(name);
        connect(action, &QAction::triggered, this, [this, name, row] {
            if (name == "Check Mail") CheckMail(row);
            if (name == "Read Mail") ReadMail(row);
            if (name == "Send Mail" && sendMail) sendMail();
            if (name == "Setup Mailbox") SetupMailbox(row);
            if (name == "New Mailbox") NewMailbox();
            if (name == "New Folder") NewFolder(row);
            if (name == "Rename Folder") RenameFolder(row);
            if (name == "Delete Item") DeleteItem(row);
            if (name == "Empty Trash Folder") EmptyTrash();
        });
    }
    ++acting_;
    menu.exec(list_->viewport()->mapToGlobal(at));
    --acting_;
}

void CMailWindow::CheckMail(int row) {
    const mail::MailItem item = Row(row);
    if (item.entry == nullptr || !item.entry->HasServer()) return;
    mail_.checks.Start(item.entry->name);
}

void CMailWindow::ReadMail(int row) {
    mail::MailMessage* message = Row(row).message;
    if (message == nullptr) return;
    if (message->status != mail::kStatusSent) message->status = mail::kStatusRead;
    const std::string url = "mail://" + protocols::EscapePathForUrl(message->file);
    (void)mail_.store.SaveMessages();
    Rebuild();
    if (openUrl) openUrl(url);
}

void CMailWindow::SaveAccountSettings(const std::string& email, const std::string& smtp,
                                      const std::string& name, const std::string& server) {
    config::CSettingsSection section =
        application_.Settings().Section(config::sections::kMailAndNews);
    (void)section.WriteString(config::keys::kEmailAddress.key, email.empty() ? name : email);
    (void)section.WriteString(config::keys::kSmtpServer.key, smtp.empty() ? server : smtp);
}

void CMailWindow::NewMailbox() {
    const auto fields = AskAccount(this, "New Mailbox", {}, [this](const std::string& name) {
        return mail::CheckAccountName(mail_.store, name);
    });
    if (!fields) return;
    mail::PopAccount& account = mail_.store.AddAccount(
        fields->name, mail::AccountServer(fields->name), mail::AccountUser(fields->name));
    account.password = fields->password;
    account.savePassword = fields->savePassword;
    account.deleteFromServer = fields->deleteFromServer;
    account.security = fields->security;
    SaveAccountSettings(fields->emailAddress, fields->smtpServer, fields->name, account.server);
    SaveAll();
    Rebuild();
}

void CMailWindow::SetupMailbox(int row) {
    mail::PopAccount* account = Row(row).entry;
    if (account == nullptr || !account->HasServer()) return;
    const config::CSettingsSection section =
        application_.Settings().Section(config::sections::kMailAndNews);
    AccountFields prefill{account->name,
                          account->password,
                          account->savePassword,
                          account->deleteFromServer,
                          section.Get(config::keys::kEmailAddress),
                          section.Get(config::keys::kSmtpServer),
                          account->security};
    const auto fields =
        AskAccount(this, "Setup Mailbox", prefill, [this, account](const std::string& name) {
            return mail::CheckAccountName(mail_.store, name, account);
        });
    if (!fields) return;
    // Messages filed under the old name keep their folder: the index names entries, so the
    // rename is written to both files, and the messages left on the server stay known.
    mail_.ids.RenameAccount(account->name, fields->name);
    account->name = fields->name;
    account->server = mail::AccountServer(fields->name);
    account->user = mail::AccountUser(fields->name);
    account->password = fields->password;
    account->savePassword = fields->savePassword;
    account->deleteFromServer = fields->deleteFromServer;
    account->security = fields->security;
    SaveAccountSettings(fields->emailAddress, fields->smtpServer, fields->name, account->server);
    SaveAll();
    Rebuild();
}

void CMailWindow::NewFolder(int row) {
    mail::PopAccount* entry = Row(row).entry;
    if (entry != nullptr && entry->HasServer()) {
        const auto name = AskFolderName(this, "Add a new folder inside the mailbox", "",
                                        [entry](const std::string& text) {
                                            return mail::CheckMailboxFolderName(*entry, text);
                                        });
        if (!name) return;
        mail::MailStore::AddFolder(*entry, *name);
        entry->expanded = true;
    } else {
        const auto name =
            AskFolderName(this, "Add a new global folder", "", [this](const std::string& text) {
                return mail::CheckGlobalFolderName(mail_.store, text);
            });
        if (!name) return;
        mail_.store.CreateGlobalFolder(*name);
    }
    SaveAll();
    Rebuild();
}

void CMailWindow::RenameFolder(int row) {
    const mail::MailItem item = Row(row);
    if (item.folder == nullptr || item.message != nullptr) return;
    mail::PopAccount& entry = *item.entry;
    mail::MailFolder& folder = *item.folder;
    if (entry.HasServer()) {
        const auto name = AskFolderName(
            this, "Rename folder inside the mailbox", folder.name, [&](const std::string& text) {
                return mail::CheckMailboxFolderName(entry, text, &folder);
            });
        if (!name) return;
        folder.name = *name;
    } else {
        const auto name = AskFolderName(this, "Rename global folder", folder.name,
                                        [&](const std::string& text) -> std::string {
                                            if (EqualsIgnoreCase(text, entry.name) && !text.empty())
                                                return {};
                                            return mail::CheckGlobalFolderName(mail_.store, text);
                                        });
        if (!name) return;
        entry.name = *name;
        folder.name = *name;
    }
    SaveAll();
    Rebuild();
}

void CMailWindow::DeleteItem(int row) {
    const mail::MailItem item = Row(row);
    if (item.entry == nullptr) return;
    // A mailbox being checked keeps its folders until the check ends.
    if (item.message == nullptr && mail_.checks.IsRunning(item.entry->name)) return;
    const std::string question = mail::DeleteConfirmation(mail_.store, item);
    if (!question.empty() && application_.Ui().ShowMessage(
                                 question, platform::MessageButtons::kOkCancel,
                                 platform::MessageIcon::kQuestion) != platform::MessageAnswer::kOk)
        return;
    mail::DeleteItem(mail_.store, item);
    SaveAll();
    Rebuild();
}

void CMailWindow::EmptyTrash() {
    mail::MailFolder* trash = mail_.store.GlobalFolder(mail::MailStore::kTrash);
    if (trash == nullptr) return;
    if (application_.Ui().ShowMessage(
            "Permanently deleting all mail messages inside the trash folder.\nProceed?",
            platform::MessageButtons::kOkCancel,
            platform::MessageIcon::kQuestion) != platform::MessageAnswer::kOk)
        return;
    while (!trash->messages.empty()) mail::MailStore::DeleteMessage(*trash->messages.back());
    SaveAll();
    Rebuild();
}

}  // namespace corvane::shell
