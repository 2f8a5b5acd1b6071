#pragma once
// The newsgroup window "Corvane Newsgroup": the known news servers, each with its tree of groups,
// and the toolbar commands on them: Subscribe / UnSubscribe, Find, Close Server, View Subscribed
// List, Load News, Clear Server Password, Server Security, Reload / Add / Remove Server, Stop
// Loading, Exit. It is modeless, made at most once per run and hidden when closed; its placement
// and each server's view flags are stored when it closes, subscriptions as soon as they change.
//
// Groups are put into the Qt tree only when their branch opens, so a server with a million groups
// costs nothing until the user looks. Rows point at nodes of the servers' group trees; a server's
// rows are rebuilt whenever its tree is replaced.
//
// Memory: the window refers to the application's news services and their records, which
// outlive it.

#include <QCheckBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QTreeWidget>
#include <functional>
#include <string>

#include "news/news_services.h"
#include "shell/application.h"

namespace corvane::shell {

class CNewsgroupWindow : public QMainWindow {
    Q_OBJECT
  public:
    // `load` opens an address with a request method in the browser window; `stop` stops the
    // browser window's load.
    CNewsgroupWindow(CApplication& application, std::function<void(std::string, int)> load,
                     std::function<void()> stop, QWidget* parent = nullptr);
    ~CNewsgroupWindow() override;

    // Fills the tree with the server list. `server` (and `group` on it) was asked for by name;
    // false, after the message, when no server could be shown.
    bool ShowServers(const std::string& server = {}, const std::string& group = {});

    // The commands, on the current row. Public so tests drive them.
    void Subscribe(bool subscribed);
    void Find();
    void CloseServer();
    void ToggleSubscribedView();
    void LoadNews();
    void ClearServerPassword();
    // Asks how the current server's connection is secured (none, STARTTLS, TLS) and stores it.
    void ChooseServerSecurity();
    void ReloadServer();
    void AddServer(const std::string& name);
    void RemoveServer();
    void StopLoading();
    // Opens the server's branch: its tree from memory or the cache, or a request for the list.
    void OpenServer(news::NewsServerRecord& server, const std::string& group = {});

    QTreeWidget& Tree() { return *tree_; }
    QLineEdit& FindText() { return *findText_; }
    QCheckBox& FindFromTop() { return *fromTop_; }
    QAction* Action(const QString& name) const;
    // The row of a server, or null.
    QTreeWidgetItem* ServerRow(const news::NewsServerRecord& server) const;
    // The row showing `node` under a server's row, opening the branches above it; null when the
    // node is not shown.
    QTreeWidgetItem* RowOf(const news::NewsServerRecord& server, const news::GroupNode& node);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    news::NewsServerRecord* ServerOf(const QTreeWidgetItem* item) const;
    news::GroupNode* NodeOf(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* AddServerRow(news::NewsServerRecord& server);
    // Puts the shown children of `node` under `item` (once).
    void FillChildren(QTreeWidgetItem* item, news::NewsServerRecord& server,
                      const news::GroupNode& node);
    void AddNodeRow(QTreeWidgetItem* parent, const news::GroupNode& node, bool subscribedOnly);
    // Empties a server's row and, when its tree is loaded and it is open, fills it again.
    void RebuildServer(news::NewsServerRecord& server);
    void UpdateRowLook(QTreeWidgetItem* item);
    void UpdateTitle();
    void UpdateActions();
    void OnListEnded(news::NewsServerRecord& server, bool retrieved);
    void RestorePlacement();
    void StorePlacement();
    news::NewsServerRecord* CurrentServer() const;

    CApplication& application_;
    news::NewsServices& news_;
    std::function<void(std::string, int)> load_;
    std::function<void()> stop_;
    QTreeWidget* tree_;
    QToolBar* bar_;
    QLineEdit* findText_;
    QCheckBox* fromTop_;
    // The next search starts from the top after one that found nothing.
    bool searchFromTop_ = false;
    std::string defaultServer_;
};

}  // namespace corvane::shell
