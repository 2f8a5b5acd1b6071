#include "shell/newsgroup_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QInputDialog>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <optional>
#include <vector>

#include "config/settings_keys.h"
#include "core/request.h"
#include "news/subscriptions.h"
#include "platform/ascii.h"
#include "shell/qt_text.h"

namespace corvane::shell {
namespace {

using news::GroupNode;
using news::NewsServerRecord;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

constexpr int kServerRole = Qt::UserRole;
constexpr int kNodeRole = Qt::UserRole + 1;
constexpr int kFilledRole = Qt::UserRole + 2;

struct Button {
    const char* name;
    const char* status;  // empty: none
};
const Button kButtons[] = {
    {"Subscribe", "Subscribe to selected newsgroups"},
    {"UnSubscribe", "Stop subscription to selected newsgroups"},
    {"Find", "Find the specified text"},
    {"Close Server", ""},
    {"View Subscribed List", "Toggle between complete list or subscribed list"},
    {"Load News", "Load newsgroup as current web page"},
    {"Clear Server Password", ""},
    {"Server Security", "Choose how the connection to a newsgroup server is secured"},
    {"Reload Server", "Reload a newsgroup server in the tree list"},
    {"Add Server", "Add a newsgroup server to the tree list"},
    {"Remove Server", "Remove a newsgroup server from the tree list"},
    {"Stop Loading", ""},
    {"Exit", "Close newsgroup window"},
};

QIcon ButtonIcon(const QString& name) {
    QStyle* style = QApplication::style();
    if (name == "Subscribe") return style->standardIcon(QStyle::SP_DialogApplyButton);
    if (name == "UnSubscribe") return style->standardIcon(QStyle::SP_DialogCancelButton);
    if (name == "Find") return style->standardIcon(QStyle::SP_FileDialogContentsView);
    if (name == "Close Server") return style->standardIcon(QStyle::SP_DirClosedIcon);
    if (name == "View Subscribed List") return style->standardIcon(QStyle::SP_FileDialogListView);
    if (name == "Load News") return style->standardIcon(QStyle::SP_ArrowRight);
    if (name == "Clear Server Password") return style->standardIcon(QStyle::SP_DialogResetButton);
    if (name == "Server Security") return style->standardIcon(QStyle::SP_VistaShield);
    if (name == "Reload Server") return style->standardIcon(QStyle::SP_BrowserReload);
    if (name == "Add Server") return style->standardIcon(QStyle::SP_FileDialogNewFolder);
    if (name == "Remove Server") return style->standardIcon(QStyle::SP_TrashIcon);
    if (name == "Stop Loading") return style->standardIcon(QStyle::SP_BrowserStop);
    return style->standardIcon(QStyle::SP_DialogCloseButton);
}

bool Confirmed(platform::HostServices& ui, const std::string& question) {
    return ui.ShowMessage(question, MessageButtons::kOkCancel, MessageIcon::kExclamation) ==
           MessageAnswer::kOk;
}

// Children shown under a node: all of them, or in the subscribed view those with a
// subscription.
bool IsShown(const GroupNode& node, bool subscribedOnly) {
    return !subscribedOnly || news::ShownWhenSubscribedOnly(node);
}

bool HasShownChildren(const GroupNode& node, bool subscribedOnly) {
    if (!subscribedOnly) return !node.children.empty();
    return (node.flags & news::kSomeBelowSubscribed) != 0;
}

namespace keys {
constexpr const char* kMaximized = "NewsMaximized";
constexpr const char* kMinimized = "NewsMinimized";
constexpr const char* kX = "NewsX";
constexpr const char* kY = "NewsY";
constexpr const char* kWidth = "NewsWidth";
constexpr const char* kHeight = "NewsHeight";
constexpr const char* kBarX = "NewsBarX";
constexpr const char* kBarY = "NewsBarY";
constexpr const char* kBarWidth = "NewsBarWidth";
constexpr const char* kBarHeight = "NewsBarHeight";
constexpr const char* kBar = "NewsBar";
}  // namespace keys

}  // namespace

CNewsgroupWindow::CNewsgroupWindow(CApplication& application,
                                   std::function<void(std::string, int)> load,
                                   std::function<void()> stop, QWidget* parent)
    : QMainWindow(parent),
      application_(application),
      news_(application.News()),
      load_(std::move(load)),
      stop_(std::move(stop)) {
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    setCentralWidget(tree_);
    bar_ = addToolBar("Newsgroup");
    bar_->setObjectName("NewsBar");
    for (const Button& button : kButtons) {
        const QString name = button.name;
        QAction* action = bar_->addAction(ButtonIcon(name), name);
        action->setToolTip(name);
        action->setStatusTip(button.status);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, name] {
            if (name == "Subscribe") Subscribe(true);
            if (name == "UnSubscribe") Subscribe(false);
            if (name == "Find") Find();
            if (name == "Close Server") CloseServer();
            if (name == "View Subscribed List") ToggleSubscribedView();
            if (name == "Load News") LoadNews();
            if (name == "Clear Server Password") ClearServerPassword();
            if (name == "Server Security") ChooseServerSecurity();
            if (name == "Reload Server") ReloadServer();
            if (name == "Add Server") {
                bool ok = false;
                const QString text =
                    QInputDialog::getText(this, "Corvane : Add Newsgroup Server",
                                          "Newsgroup server:", QLineEdit::Normal, {}, &ok);
                if (ok) AddServer(ToUtf8(text.trimmed()));
            }
            if (name == "Remove Server") RemoveServer();
            if (name == "Stop Loading") StopLoading();
            if (name == "Exit") close();
        });
        if (name == "Find") {
            findText_ = new QLineEdit(this);
            findText_->setPlaceholderText("Find");
            findText_->setMaximumWidth(160);
            connect(findText_, &QLineEdit::returnPressed, this, &CNewsgroupWindow::Find);
            bar_->addWidget(findText_);
            fromTop_ = new QCheckBox("From top", this);
            bar_->addWidget(fromTop_);
        }
    }
    statusBar();
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        NewsServerRecord* server = ServerOf(item);
        if (server == nullptr) return;
        if (GroupNode* node = NodeOf(item)) {
            node->flags |= news::kExpanded;
            FillChildren(item, *server, *node);
        } else if (!server->open || server->groupCount < 0) {
            // Opening a closed server's branch opens the server.
            OpenServer(*server);
        }
    });
    connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (GroupNode* node = NodeOf(item))
            node->flags &= static_cast<std::uint8_t>(~news::kExpanded);
    });
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] {
        UpdateTitle();
        UpdateActions();
    });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const GroupNode* node = NodeOf(item);
        if (node != nullptr && node->IsGroup()) LoadNews();
    });
    news_.groupListEnded = [this](NewsServerRecord& server, bool retrieved) {
        OnListEnded(server, retrieved);
    };
    // Wide enough for the whole toolbar.
    resize(640, 460);
    RestorePlacement();
}

CNewsgroupWindow::~CNewsgroupWindow() {
    news_.groupListEnded = nullptr;
}

QAction* CNewsgroupWindow::Action(const QString& name) const {
    return bar_->findChild<QAction*>(name);
}

NewsServerRecord* CNewsgroupWindow::ServerOf(const QTreeWidgetItem* item) const {
    if (item == nullptr) return nullptr;
    return reinterpret_cast<NewsServerRecord*>(item->data(0, kServerRole).value<quintptr>());
}

GroupNode* CNewsgroupWindow::NodeOf(const QTreeWidgetItem* item) const {
    if (item == nullptr) return nullptr;
    return reinterpret_cast<GroupNode*>(item->data(0, kNodeRole).value<quintptr>());
}

NewsServerRecord* CNewsgroupWindow::CurrentServer() const {
    return ServerOf(tree_->currentItem());
}

QTreeWidgetItem* CNewsgroupWindow::ServerRow(const NewsServerRecord& server) const {
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        if (ServerOf(tree_->topLevelItem(i)) == &server) return tree_->topLevelItem(i);
    }
    return nullptr;
}

bool CNewsgroupWindow::ShowServers(const std::string& server, const std::string& group) {
    defaultServer_ = news_.DefaultServer();
    tree_->clear();
    for (const std::string& name : news_.ServerNames()) {
        NewsServerRecord& record = news_.Server(name);
        news_.ReadWindowState(record);
        AddServerRow(record);
    }
    if (!server.empty()) {
        AddServer(server);
        if (!group.empty()) OpenServer(news_.Server(server), group);
    }
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = tree_->topLevelItem(i);
        NewsServerRecord& record = *ServerOf(row);
        // A server whose tree is not in memory is shown closed until the user opens it.
        if (record.open && record.groupCount >= 0) RebuildServer(record);
    }
    if (tree_->topLevelItemCount() == 0) {
        application_.Ui().ShowMessage(
            server.empty() ? "Failed to load newsgroup server list... Pls reload."
                           : "Enter a valid news server name or setup your news server "
                             "configuration...",
            MessageButtons::kOk, MessageIcon::kStop);
        return false;
    }
    if (tree_->currentItem() == nullptr) tree_->setCurrentItem(tree_->topLevelItem(0));
    UpdateTitle();
    UpdateActions();
    return true;
}

QTreeWidgetItem* CNewsgroupWindow::AddServerRow(NewsServerRecord& server) {
    if (QTreeWidgetItem* row = ServerRow(server)) return row;
    auto* row = new QTreeWidgetItem(tree_);
    row->setData(0, kServerRole, QVariant::fromValue(reinterpret_cast<quintptr>(&server)));
    row->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    row->setIcon(0, QApplication::style()->standardIcon(QStyle::SP_DriveNetIcon));
    UpdateRowLook(row);
    return row;
}

void CNewsgroupWindow::UpdateRowLook(QTreeWidgetItem* item) {
    const GroupNode* node = NodeOf(item);
    if (node == nullptr) {
        const NewsServerRecord& server = *ServerOf(item);
        QString text = FromUtf8(server.name);
        if (EqualsIgnoreCase(server.name, defaultServer_)) text += " (default)";
        if (server.loading) text += " (loading)";
        item->setText(0, text);
        return;
    }
    item->setText(0, FromUtf8(node->name));
    QStyle* style = QApplication::style();
    QIcon icon;
    if (node->flags & news::kSubscribed) {
        icon = style->standardIcon(QStyle::SP_DialogApplyButton);
    } else if (!node->children.empty()) {
        icon =
            style->standardIcon((node->flags & news::kSomeBelowSubscribed) ? QStyle::SP_DirLinkIcon
                                                                           : QStyle::SP_DirIcon);
    } else {
        icon = style->standardIcon(QStyle::SP_FileIcon);
    }
    item->setIcon(0, icon);
    QFont font = item->font(0);
    font.setBold(news::ShownWhenSubscribedOnly(*node));
    item->setFont(0, font);
}

void CNewsgroupWindow::AddNodeRow(QTreeWidgetItem* parent, const GroupNode& node,
                                  bool subscribedOnly) {
    auto* row = new QTreeWidgetItem(parent);
    row->setData(0, kServerRole, parent->data(0, kServerRole));
    row->setData(0, kNodeRole,
                 QVariant::fromValue(reinterpret_cast<quintptr>(const_cast<GroupNode*>(&node))));
    row->setChildIndicatorPolicy(HasShownChildren(node, subscribedOnly)
                                     ? QTreeWidgetItem::ShowIndicator
                                     : QTreeWidgetItem::DontShowIndicator);
    UpdateRowLook(row);
}

void CNewsgroupWindow::FillChildren(QTreeWidgetItem* item, NewsServerRecord& server,
                                    const GroupNode& node) {
    if (item->data(0, kFilledRole).toBool()) return;
    item->setData(0, kFilledRole, true);
    for (const auto& child : node.children) {
        if (IsShown(*child, server.subscribedView)) AddNodeRow(item, *child, server.subscribedView);
    }
    // Branches that were open (or marked for selection) open again.
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* row = item->child(i);
        const GroupNode* shown = NodeOf(row);
        if (shown->flags & news::kExpanded) row->setExpanded(true);
        if (shown->flags & news::kMarkedToSelect) {
            const_cast<GroupNode*>(shown)->flags &=
                static_cast<std::uint8_t>(~news::kMarkedToSelect);
            tree_->setCurrentItem(row);
        }
    }
}

void CNewsgroupWindow::RebuildServer(NewsServerRecord& server) {
    QTreeWidgetItem* row = AddServerRow(server);
    for (QTreeWidgetItem* child : row->takeChildren()) delete child;
    row->setData(0, kFilledRole, false);
    UpdateRowLook(row);
    if (!server.open || server.groupCount < 0) {
        row->setExpanded(false);
        return;
    }
    FillChildren(row, server, server.groups->Root());
    row->setExpanded(true);
}

void CNewsgroupWindow::OpenServer(NewsServerRecord& server, const std::string& group) {
    if (server.loading) return;
    QTreeWidgetItem* row = AddServerRow(server);
    const news::CacheChoice choice = news_.TakeGroupTree(server);
    if (choice == news::CacheChoice::kCancelled) {
        row->setExpanded(false);
        return;
    }
    if (choice == news::CacheChoice::kRetrieve) {
        // The branch fills when the list has arrived.
        server.reload = true;
        server.loading = true;
        row->setExpanded(false);
        UpdateRowLook(row);
        UpdateActions();
        load_("news://" + server.name, core::kMethodNewsWindow);
        return;
    }
    server.open = true;
    server.hasSubscriptions = news::HasSubscriptions(*server.groups);
    if (!group.empty()) {
        const GroupNode* found = server.groups->Find(group);
        if (found == nullptr || found == &server.groups->Root()) {
            application_.Ui().ShowMessage(
                "The " + group + " newsgroup was not found at " + server.name + " news server...",
                MessageButtons::kOk, MessageIcon::kExclamation);
        } else {
            auto* marked = const_cast<GroupNode*>(found);
            marked->flags |= news::kMarkedToSelect;
            if (!marked->children.empty()) marked->flags |= news::kExpanded;
            for (GroupNode* above = marked->parent; above != nullptr; above = above->parent)
                above->flags |= news::kExpanded;
        }
    }
    RebuildServer(server);
    UpdateTitle();
    UpdateActions();
}

void CNewsgroupWindow::OnListEnded(NewsServerRecord& server, bool retrieved) {
    // A list a page load asked for and did not get is that page's failure, not ours.
    const bool asked = server.loading;
    if (!retrieved && !asked) return;
    server.loading = false;
    if (retrieved) {
        if (asked) server.open = true;
        server.hasSubscriptions = news::HasSubscriptions(*server.groups);
        RebuildServer(server);
    } else if (QTreeWidgetItem* row = ServerRow(server)) {
        UpdateRowLook(row);
        application_.Ui().ShowMessage(
            "Newsgroup server " + server.name + " not loaded at this time...", MessageButtons::kOk,
            MessageIcon::kStop);
    }
    UpdateActions();
}

QTreeWidgetItem* CNewsgroupWindow::RowOf(const NewsServerRecord& server, const GroupNode& node) {
    QTreeWidgetItem* row = ServerRow(server);
    if (row == nullptr) return nullptr;
    std::vector<const GroupNode*> path;
    for (const GroupNode* at = &node; at != nullptr && at->parent != nullptr; at = at->parent)
        path.push_back(at);
    for (auto at = path.rbegin(); at != path.rend(); ++at) {
        auto& record = const_cast<NewsServerRecord&>(server);
        FillChildren(row, record, *(*at)->parent);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < row->childCount() && next == nullptr; ++i) {
            if (NodeOf(row->child(i)) == *at) next = row->child(i);
        }
        if (next == nullptr) return nullptr;
        row->setExpanded(true);
        row = next;
    }
    return row;
}

void CNewsgroupWindow::Subscribe(bool subscribed) {
    QTreeWidgetItem* item = tree_->currentItem();
    NewsServerRecord* server = ServerOf(item);
    GroupNode* node = NodeOf(item);
    if (server == nullptr || node == nullptr) return;
    news_.SetSubscription(*server, *node, subscribed);
    // The node, everything below it that is shown and everything above it changed look.
    std::vector<QTreeWidgetItem*> rows{item};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (int c = 0; c < rows[i]->childCount(); ++c) rows.push_back(rows[i]->child(c));
    }
    for (QTreeWidgetItem* row : rows) UpdateRowLook(row);
    for (QTreeWidgetItem* up = item->parent(); up != nullptr && NodeOf(up) != nullptr;
         up = up->parent())
        UpdateRowLook(up);
    UpdateActions();
}

void CNewsgroupWindow::Find() {
    const std::string text = ToUtf8(findText_->text());
    if (text.empty()) {
        application_.Ui().ShowMessage("Enter the string to be searched!", MessageButtons::kOk,
                                      MessageIcon::kExclamation);
        return;
    }
    // Servers in window order; the search starts in the current server after the current node.
    const bool fromTop = fromTop_->isChecked() || searchFromTop_;
    searchFromTop_ = false;
    QTreeWidgetItem* current = tree_->currentItem();
    int first = 0;
    const GroupNode* after = nullptr;
    if (!fromTop && current != nullptr) {
        QTreeWidgetItem* top = current;
        while (top->parent() != nullptr) top = top->parent();
        first = tree_->indexOfTopLevelItem(top);
        after = NodeOf(current);
    }
    for (int i = first; i < tree_->topLevelItemCount(); ++i, after = nullptr) {
        NewsServerRecord& server = *ServerOf(tree_->topLevelItem(i));
        if (!server.open || server.groupCount < 0) continue;
        const GroupNode* from = after;
        while (const GroupNode* found = news::FindGroupNode(*server.groups, from, text)) {
            if (QTreeWidgetItem* row = RowOf(server, *found)) {
                tree_->setCurrentItem(row);
                tree_->scrollToItem(row);
                return;
            }
            from = found;  // not shown in the subscribed view
        }
    }
    application_.Ui().ShowMessage("Finished searching newsgroup list!", MessageButtons::kOk,
                                  MessageIcon::kExclamation);
    searchFromTop_ = true;
}

void CNewsgroupWindow::CloseServer() {
    NewsServerRecord* server = CurrentServer();
    if (server == nullptr || !server->open) return;
    server->open = false;
    tree_->setCurrentItem(ServerRow(*server));
    RebuildServer(*server);
    UpdateActions();
}

void CNewsgroupWindow::ToggleSubscribedView() {
    NewsServerRecord* server = CurrentServer();
    if (server == nullptr) return;
    server->subscribedView = !server->subscribedView;
    tree_->setCurrentItem(ServerRow(*server));
    RebuildServer(*server);
    UpdateTitle();
}

void CNewsgroupWindow::LoadNews() {
    QTreeWidgetItem* item = tree_->currentItem();
    const NewsServerRecord* server = ServerOf(item);
    const GroupNode* node = NodeOf(item);
    if (server == nullptr || node == nullptr || !node->IsGroup()) return;
    load_("news://" + server->name + "/" + news::FullName(*node), core::kMethodShared);
}

void CNewsgroupWindow::ClearServerPassword() {
    NewsServerRecord* server = CurrentServer();
    if (server == nullptr || NodeOf(tree_->currentItem()) != nullptr) return;
    if (!Confirmed(application_.Ui(),
                   "Clear password for newsgroup server \n" + server->name + " ?\n"))
        return;
    news_.ClearLogin(*server);
    UpdateActions();
}

void CNewsgroupWindow::ChooseServerSecurity() {
    NewsServerRecord* server = CurrentServer();
    if (server == nullptr || NodeOf(tree_->currentItem()) != nullptr) return;
    struct Choice {
        const char* text;
        platform::TlsMode mode;
    };
    static constexpr Choice kChoices[] = {
        {"None", platform::TlsMode::kNone},
        {"STARTTLS (port 119, then secured)", platform::TlsMode::kStartTls},
        {"TLS from the start (port 563)", platform::TlsMode::kTls}};
    std::vector<std::string> texts;
    std::string now;
    for (const Choice& choice : kChoices) {
        texts.emplace_back(choice.text);
        if (choice.mode == server->security) now = choice.text;
    }
    const std::optional<int> chosen = application_.Ui().AskChoice(
        "Corvane : Newsgroup Server Security",
        "Connection to newsgroup server " + server->name + " (now: " + now + "):", texts);
    if (!chosen || *chosen < 0 || *chosen >= static_cast<int>(texts.size())) return;
    news_.SetSecurity(*server, kChoices[*chosen].mode);
}

void CNewsgroupWindow::ReloadServer() {
    NewsServerRecord* server = CurrentServer();
    if (server == nullptr || NodeOf(tree_->currentItem()) != nullptr || server->loading) return;
    if (!Confirmed(application_.Ui(),
                   "Are you sure you want to reload \n newsgroup server " + server->name +
                       " ?\n\nAll subscription information will be lost !!\nIt may take a while "
                       "to retrieve the news group list.\nEspecially if you are using a modem or "
                       "on a slow connection.\nProceed?"))
        return;
    news_.StartReload(*server);
    RebuildServer(*server);
    UpdateTitle();
    UpdateActions();
    load_("news://" + server->name, core::kMethodNewsWindow);
}

void CNewsgroupWindow::AddServer(const std::string& name) {
    std::string trimmed = name;
    while (!trimmed.empty() && IsAsciiSpace(trimmed.back())) trimmed.pop_back();
    if (trimmed.empty()) return;
    NewsServerRecord& server = news_.Server(trimmed);
    QTreeWidgetItem* row = ServerRow(server);
    if (row == nullptr) {
        news_.ReadWindowState(server);
        row = AddServerRow(server);
    }
    tree_->setCurrentItem(row);
    if (!server.open || server.groupCount < 0) OpenServer(server);
}

void CNewsgroupWindow::RemoveServer() {
    QTreeWidgetItem* row = tree_->currentItem();
    NewsServerRecord* server = ServerOf(row);
    if (server == nullptr || NodeOf(row) != nullptr) return;
    if (!Confirmed(application_.Ui(), "Are you sure you want to remove \n newsgroup server " +
                                          server->name + " \n from the list?"))
        return;
    if (server->loading) StopLoading();
    news_.RemoveServer(*server);
    const int index = tree_->indexOfTopLevelItem(row);
    delete tree_->takeTopLevelItem(index);
    const int count = tree_->topLevelItemCount();
    if (count > 0) tree_->setCurrentItem(tree_->topLevelItem(index < count ? index : count - 1));
    UpdateTitle();
    UpdateActions();
}

void CNewsgroupWindow::StopLoading() {
    NewsServerRecord* server = CurrentServer();
    if (server == nullptr || !server->loading) return;
    server->loading = false;
    server->reload = false;
    if (stop_) stop_();
    if (QTreeWidgetItem* row = ServerRow(*server)) UpdateRowLook(row);
    UpdateActions();
}

void CNewsgroupWindow::UpdateTitle() {
    const NewsServerRecord* server = CurrentServer();
    setWindowTitle(server != nullptr && server->subscribedView
                       ? "Corvane Newsgroup : Subscribed List"
                       : "Corvane Newsgroup");
}

void CNewsgroupWindow::UpdateActions() {
    QTreeWidgetItem* item = tree_->currentItem();
    const NewsServerRecord* server = ServerOf(item);
    const GroupNode* node = NodeOf(item);
    const bool onServer = server != nullptr && node == nullptr;
    Action("Subscribe")->setEnabled(node != nullptr);
    Action("UnSubscribe")->setEnabled(node != nullptr);
    Action("Load News")->setEnabled(node != nullptr && node->IsGroup());
    Action("Close Server")->setEnabled(server != nullptr && server->open);
    Action("View Subscribed List")->setEnabled(server != nullptr);
    Action("Clear Server Password")
        ->setEnabled(onServer && (!server->user.empty() || !server->password.empty()));
    Action("Server Security")->setEnabled(onServer);
    Action("Reload Server")->setEnabled(onServer && !server->loading);
    Action("Remove Server")->setEnabled(onServer);
    Action("Stop Loading")->setEnabled(server != nullptr && server->loading);
}

void CNewsgroupWindow::RestorePlacement() {
    const config::CSettingsSection section =
        application_.Settings().Section(config::sections::kMailAndNews);
    const int width = section.GetInt(keys::kWidth, 0);
    const int height = section.GetInt(keys::kHeight, 0);
    if (width > 0 && height > 0) {
        setGeometry(section.GetInt(keys::kX, 0), section.GetInt(keys::kY, 0), width, height);
    }
    bar_->setVisible(section.GetInt(keys::kBar, 1) != 0);
    if (section.GetInt(keys::kMaximized, 0) != 0) setWindowState(Qt::WindowMaximized);
}

void CNewsgroupWindow::StorePlacement() {
    config::CSettingsSection section =
        application_.Settings().Section(config::sections::kMailAndNews);
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    const QRect barRect = bar_->geometry();
    const std::pair<const char*, int> values[] = {
        {keys::kMaximized, isMaximized() ? 1 : 0},
        {keys::kMinimized, isMinimized() ? 1 : 0},
        {keys::kX, normal.x()},
        {keys::kY, normal.y()},
        {keys::kWidth, normal.width()},
        {keys::kHeight, normal.height()},
        {keys::kBarX, barRect.x()},
        {keys::kBarY, barRect.y()},
        {keys::kBarWidth, barRect.width()},
        {keys::kBarHeight, barRect.height()},
        {keys::kBar, bar_->isVisible() ? 1 : 0},
    };
    for (const auto& [key, value] : values) section.WriteInt(key, value);
}

void CNewsgroupWindow::closeEvent(QCloseEvent* event) {
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        NewsServerRecord& server = *ServerOf(tree_->topLevelItem(i));
        news_.SaveWindowState(server);
        if (server.groupCount >= 0) news_.SaveGroupListCache(server);
    }
    StorePlacement();
    event->accept();
}

}  // namespace corvane::shell
