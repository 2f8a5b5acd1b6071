#pragma once
// The mail window: the tree of POP mailboxes, global folders, their folders and messages, in a
// list with the columns "MailBox", "S", "Address", "Subject" and "Date", and the commands of its
// context menu (Check Mail, Read Mail, Send Mail, Setup Mailbox, New Mailbox, New Folder, Rename
// Folder, Delete Item, Empty Trash Folder). It is made once per run and hidden when closed, so
// checks it started keep reporting; both index files are saved when it closes.
//
// Memory: the window refers to the application's mail session, which outlives it; rows point at
// records of the store and are rebuilt after every change.

#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mail/mail_deletion.h"
#include "shell/application.h"

namespace corvane::shell {

class CheckProgressDialog;

class CMailWindow : public QWidget {
    Q_OBJECT
  public:
    explicit CMailWindow(CApplication& application, QWidget* parent = nullptr);
    ~CMailWindow() override;

    // Fills the list again from the store, keeping the selected row when it still exists.
    void Rebuild();

    // The commands, for the row shown at `row` (-1: none). Public so tests drive them.
    QStringList MenuFor(int row) const;
    void CheckMail(int row);
    void ReadMail(int row);
    void NewMailbox();
    void SetupMailbox(int row);
    void NewFolder(int row);
    void RenameFolder(int row);
    void DeleteItem(int row);
    void EmptyTrash();

    // Read Mail hands the message's mail: address here (the browser window loads it).
    std::function<void(const std::string& url)> openUrl;

    QTreeWidget& List() { return *list_; }
    // Send Mail: opens the Send Mail window of the browser window.
    std::function<void()> sendMail;
    // The row index of an item of the list.
    int RowOf(const QTreeWidgetItem* item) const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Coming to the front shows what another process filed meanwhile.
    void changeEvent(QEvent* event) override;

  private:
    mail::MailItem Row(int row) const;
    void ShowContextMenu(const QPoint& at);
    void SaveAll();
    void SaveAccountSettings(const std::string& email, const std::string& smtp,
                             const std::string& name, const std::string& server);

    CApplication& application_;
    mail::MailSession& mail_;
    QTreeWidget* list_;
    std::vector<mail::MailItem> rows_;
    // A menu action or a double click is running and may hold row pointers across a dialog: the
    // index is not merged on activation meanwhile.
    int acting_ = 0;
    std::map<const mail::CMailSocket*, CheckProgressDialog*> progress_;
};

}  // namespace corvane::shell
