#include "shell/main_frame.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "protocols/whois_protocol.h"
#include "shell/busy_logo.h"
#include "shell/find_dialog.h"
#include "shell/history_dialog.h"
#include "shell/print_job.h"
#include "shell/qt_text.h"
#include "shell/service_dialogs.h"
#include "shell/service_urls.h"
#include "shell/source_viewer.h"
#include "shell/style_icon.h"

namespace corvane::shell {
namespace {

// Marks the Go menu's items that the history rebuilds, with their command numbers.
constexpr const char* kHistoryCommandProperty = "historyCommand";

// The location field's keys: Enter loads what was typed. The combo box would take Up, Down, Page
// Up, Page Down and the wheel as a choice of the neighbouring list entry and load it; in the
// closed field they do nothing (Alt+Down still opens the list, where choosing loads).
class LocationKeys : public QObject {
  public:
    LocationKeys(QObject* parent, std::function<void()> onEnter)
        : QObject(parent), onEnter_(std::move(onEnter)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Wheel) return true;
        if (event->type() == QEvent::KeyPress) {
            const auto* keyEvent = static_cast<QKeyEvent*>(event);
            switch (keyEvent->key()) {
                case Qt::Key_Return:
                case Qt::Key_Enter:
                    onEnter_();
                    return true;
                case Qt::Key_Up:
                case Qt::Key_Down:
                case Qt::Key_PageUp:
                case Qt::Key_PageDown:
                    if (!(keyEvent->modifiers() & Qt::AltModifier)) return true;
                    break;
                default:
                    break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> onEnter_;
};

Qt::ToolBarArea AreaOf(config::DockSide side) {
    switch (side) {
        case config::DockSide::kBottom:
            return Qt::BottomToolBarArea;
        case config::DockSide::kLeft:
            return Qt::LeftToolBarArea;
        case config::DockSide::kRight:
            return Qt::RightToolBarArea;
        case config::DockSide::kTop:
            break;
    }
    return Qt::TopToolBarArea;
}

config::Rectangle RectangleOf(const QRect& rect) {
    return config::Rectangle{rect.x(), rect.y(), rect.width(), rect.height()};
}

// "&Back" with Alt+Left becomes "Back (Alt+Left)".
void ShowShortcutInToolTip(QAction* action) {
    QString tip = action->text().remove('&').remove("...");
    if (!action->shortcut().isEmpty())
        tip += " (" + action->shortcut().toString(QKeySequence::NativeText) + ")";
    action->setToolTip(tip);
}

}  // namespace

CMainFrame::CMainFrame() {
    setWindowTitle("Corvane");
    host_ = std::make_unique<QtHostServices>(*this);
    security_ = new QLabel;
    security_->setObjectName("security");
    security_->hide();
    statusBar()->addPermanentWidget(security_);
    view_ = new HtmlViewWidget(*host_, this);
    setCentralWidget(view_);
    view_->onContextMenu = [this](const QPoint& global, render::Point point) {
        ShowContextMenu(global, point);
    };
    CreateActions();
    CreateMenus();
    auto* logo = new BusyLogo(menuBar());
    menuBar()->setCornerWidget(logo);
    host_->onBusyChanged = [logo](bool busy) { logo->SetBusy(busy); };
    CreateToolBar();
    CreateLocationBar();
    resize(800, 600);
    setAcceptDrops(true);
    // The keys scroll the page from the start; Ctrl+L reaches the location field.
    view_->setFocus();
    UpdateFromSession();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::SetSession(BrowserSession* session) {
    // The bookmark window shows the old session's tree, which may go with it.
    delete bookmarkWindow_;
    bookmarkWindow_ = nullptr;
    if (session_) {
        session_->onChanged = nullptr;
        session_->onRememberTyped = nullptr;
    }
    session_ = session;
    if (session_) {
        session_->onChanged = [this] { UpdateFromSession(); };
        session_->onRememberTyped = [this](const std::string& url) { RememberTyped(url); };
    }
    UpdateFromSession();
}

void CMainFrame::CreateActions() {
    const auto make = [this](QIcon icon, const QString& text, auto slot) {
        auto* action = new QAction(icon, text, this);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    const auto bar = [this, &make](const QString& text, auto toggle) {
        QAction* action = make(QIcon(), text, toggle);
        action->setCheckable(true);
        action->setChecked(true);
        return action;
    };
    newWindow_ = make(QIcon(), "&New Window", [this] {
        if (!session_) return;
        OfferToSaveBookmarks();
        session_->NewWindow();
    });
    newWindow_->setShortcut(QKeySequence::New);
    history_ = make(QIcon(), "H&istory...", [this] { OnHistory(); });
    openLocation_ =
        make(StyleIcon(QStyle::SP_DirLinkIcon), "Open &Location...", [this] { OnOpenLocation(); });
    openFile_ =
        make(StyleIcon(QStyle::SP_DialogOpenButton), "Open &File...", [this] { OnOpenFile(); });
    openFile_->setShortcut(QKeySequence::Open);
    // One window per process: closing the window ends the program.
    exit_ = make(QIcon(), "E&xit", [this] { close(); });
    exit_->setShortcuts({QKeySequence("Ctrl+Q"), QKeySequence("Ctrl+W")});
    back_ = make(StyleIcon(QStyle::SP_ArrowBack), "&Back", [this] {
        if (session_) session_->Back();
    });
    back_->setShortcuts({QKeySequence("Alt+Left"), QKeySequence(Qt::Key_Back)});
    forward_ = make(StyleIcon(QStyle::SP_ArrowForward), "&Forward", [this] {
        if (session_) session_->Forward();
    });
    forward_->setShortcuts({QKeySequence("Alt+Right"), QKeySequence(Qt::Key_Forward)});
    home_ = make(StyleIcon(QStyle::SP_DirHomeIcon), "&Home", [this] {
        if (session_) session_->Home();
    });
    home_->setShortcuts({QKeySequence("Alt+Home"), QKeySequence(Qt::Key_HomePage)});
    reload_ = make(StyleIcon(QStyle::SP_BrowserReload), "&Reload", [this] {
        if (session_) session_->Reload();
    });
    reload_->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence("Ctrl+R")});
    stop_ = make(StyleIcon(QStyle::SP_BrowserStop), "&Stop Loading", [this] {
        if (session_) session_->Stop();
    });
    stop_->setShortcut(QKeySequence(Qt::Key_Escape));
    loadImages_ = make(StyleIcon(QStyle::SP_FileDialogContentsView), "&Load Images", [this] {
        if (session_) session_->LoadImages();
    });
    autoLoadImages_ = make(QIcon(), "&Auto Load Images", [this](bool checked) {
        if (session_) session_->SetAutoLoadImages(checked);
    });
    autoLoadImages_->setCheckable(true);
    focusLocation_ = make(QIcon(), "Go to the Location Field", [this] { FocusLocation(); });
    focusLocation_->setShortcuts({QKeySequence("Ctrl+L"), QKeySequence(Qt::Key_F6)});
    addAction(focusLocation_);
    showToolBar_ = bar("Display &Toolbar", [this](bool on) { toolBar_->setVisible(on); });
    showLocationBar_ =
        bar("Display &Location Bar", [this](bool on) { locationBar_->setVisible(on); });
    showStatusBar_ = bar("Display &Status Bar", [this](bool on) { statusBar()->setVisible(on); });
    saveAs_ = make(StyleIcon(QStyle::SP_DialogSaveButton), "&Save As...", [this] {
        if (session_) session_->SaveAs();
    });
    saveAs_->setShortcut(QKeySequence::Save);
    print_ = make(StyleIcon(QStyle::SP_DesktopIcon), "&Print...", [this] { OnPrint(); });
    print_->setShortcut(QKeySequence::Print);
    printPreview_ = make(QIcon(), "Print Pre&view", [this] { OnPrintPreview(); });
    printSetup_ = make(QIcon(), "P&rint Setup...", [this] { OnPrintSetup(); });
    copy_ = make(QIcon(), "&Copy", [this] { view_->View().Copy(); });
    copy_->setShortcut(QKeySequence::Copy);
    find_ = make(StyleIcon(QStyle::SP_FileDialogInfoView), "&Find...", [this] { OnFind(); });
    find_->setShortcut(QKeySequence::Find);
    documentSource_ = make(QIcon(), "&Document Source...", [this] { OnDocumentSource(); });
    documentSource_->setShortcut(QKeySequence("Ctrl+U"));
    for (QAction* action :
         {openLocation_, openFile_, back_, forward_, home_, reload_, stop_, print_, find_})
        ShowShortcutInToolTip(action);
    mail_ = make(StyleIcon(QStyle::SP_DirHomeIcon), "&Mail...", [this] {
        if (openMail) openMail();
    });
    telnet_ = make(StyleIcon(QStyle::SP_ComputerIcon), "&Telnet...", [this] { OnTelnet(); });
    gopher_ = make(StyleIcon(QStyle::SP_DirIcon), "&Gopher...", [this] { OnGopher(); });
    ftp_ = make(StyleIcon(QStyle::SP_DriveNetIcon), "&FTP...", [this] { OnFtp(); });
    whois_ = make(StyleIcon(QStyle::SP_MessageBoxQuestion), "&Whois...", [this] { OnWhois(); });
    postNews_ = make(StyleIcon(QStyle::SP_FileIcon), "&Post News...", [this] {
        if (openPostNews) openPostNews();
    });
    newsgroups_ = make(StyleIcon(QStyle::SP_FileDialogListView), "&Newsgroups...", [this] {
        if (openNewsgroups) openNewsgroups();
    });
    refresh_ = make(QIcon(), "R&efresh", [this] {
        if (session_) session_->RefreshFromCache();
    });
    configurations_ = make(QIcon(), "&Configurations...", [this] {
        if (openConfigurations) openConfigurations();
    });
    CreateBookmarkActions();
    NumberCommands();
}

void CMainFrame::NumberCommands() {
    struct Command {
        QAction* action;
        int number;
        const char* icon;  // the freedesktop icon name; null for none
    };
    const Command commands[] = {
        {newWindow_, 57600, "window-new"},
        {openLocation_, 32773, "document-open-remote"},
        {openFile_, 57601, "document-open"},
        {saveAs_, 57604, "document-save-as"},
        {print_, 57607, "document-print"},
        {printPreview_, 57608, "document-print-preview"},
        {printSetup_, 57606, "document-page-setup"},
        {exit_, 57665, "application-exit"},
        {copy_, 57634, "edit-copy"},
        {find_, 57636, "edit-find"},
        {reload_, 32779, "view-refresh"},
        {loadImages_, 32780, "image-x-generic"},
        {refresh_, 32781, nullptr},
        {documentSource_, 32782, "text-x-generic"},
        {back_, 32783, "go-previous"},
        {forward_, 32784, "go-next"},
        {home_, 32785, "go-home"},
        {stop_, 32786, "process-stop"},
        {history_, 32787, nullptr},
        {addBookmark_, 32788, "bookmark-new"},
        {showBookmarks_, 32789, "user-bookmarks"},
        {viewBookmarks_, 32790, nullptr},
        {configurations_, 32791, "preferences-system"},
        {showToolBar_, 32792, nullptr},
        {showStatusBar_, 32793, nullptr},
        {showLocationBar_, 32794, nullptr},
        {autoLoadImages_, 32796, nullptr},
        {mail_, 32798, "internet-mail"},
        {postNews_, 32799, "mail-message-new"},
        {newsgroups_, 32800, "internet-news-reader"},
        {telnet_, 32801, "utilities-terminal"},
        {gopher_, 32802, "folder-remote"},
        {ftp_, 32803, "network-server"},
        {whois_, 32804, "system-search"},
    };
    for (const Command& command : commands) {
        command.action->setData(command.number);
        if (command.icon)
            command.action->setIcon(QIcon::fromTheme(command.icon, command.action->icon()));
    }
}

QAction* CMainFrame::CommandAction(int command) const {
    for (QAction* action : findChildren<QAction*>()) {
        if (action->data().toInt() == command &&
            !action->property(kHistoryCommandProperty).isValid())
            return action;
    }
    return nullptr;
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction(newWindow_);
    file->addAction(openLocation_);
    file->addAction(openFile_);
    file->addAction(saveAs_);
    file->addSeparator();
    file->addAction(print_);
    file->addAction(printPreview_);
    file->addAction(printSetup_);
    file->addSeparator();
    file->addAction(exit_);
    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addAction(copy_);
    edit->addAction(find_);
    QMenu* view = menuBar()->addMenu("&View");
    view->addAction(reload_);
    view->addAction(loadImages_);
    view->addAction(refresh_);
    view->addAction(documentSource_);
    view->addSeparator();
    view->addAction(showToolBar_);
    view->addAction(showLocationBar_);
    view->addAction(showStatusBar_);
    QMenu* options = menuBar()->addMenu("&Options");
    options->addAction(configurations_);
    options->addSeparator();
    options->addAction(autoLoadImages_);
    go_ = menuBar()->addMenu("&Go");
    go_->addAction(back_);
    go_->addAction(forward_);
    go_->addAction(home_);
    go_->addAction(stop_);
    go_->addSeparator();
    go_->addAction(history_);
    connect(go_, &QMenu::aboutToShow, this, &CMainFrame::RebuildHistoryItems);
    CreateBookmarksMenu();
    QMenu* services = menuBar()->addMenu("&Services");
    for (QAction* action : {mail_, postNews_, newsgroups_, telnet_, gopher_, ftp_, whois_})
        services->addAction(action);
}

void CMainFrame::RebuildHistoryItems() {
    for (QAction* action : go_->actions()) {
        if (action->property(kHistoryCommandProperty).isValid()) {
            go_->removeAction(action);
            action->deleteLater();
        }
    }
    if (!session_) return;
    const auto items = session_->HistoryItems();
    if (!items.empty()) go_->addSeparator()->setProperty(kHistoryCommandProperty, 0);
    for (const store::HistoryMenuItem& item : items) {
        QAction* action = go_->addAction(FromUtf8(item.text));
        action->setProperty(kHistoryCommandProperty, item.command);
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
        const int command = item.command;
        connect(action, &QAction::triggered, this, [this, command] {
            if (!session_) return;
            if (command == store::kMoreHistoryCommand) {
                OnHistory();
            } else {
                session_->GoToHistoryEntry(command - store::kFirstHistoryCommand);
            }
        });
    }
}

void CMainFrame::OnHistory() {
    if (!session_) return;
    HistoryDialog dialog(*session_, this);
    dialog.exec();
}

void CMainFrame::CreateToolBar() {
    toolBar_ = addToolBar("Toolbar");
    toolBar_->setObjectName("Toolbar");
    for (QAction* action : ToolBarActions()) {
        if (action) {
            toolBar_->addAction(action);
        } else {
            toolBar_->addSeparator();
        }
    }
    // Closed from its own context menu, the bar's menu item follows.
    connect(toolBar_, &QToolBar::visibilityChanged, this, [this](bool visible) {
        if (!isHidden()) showToolBar_->setChecked(visible);
    });
}

std::vector<QAction*> CMainFrame::ToolBarActions() const {
    return {openLocation_, nullptr, print_,      nullptr, back_,   forward_,       home_,   reload_,
            loadImages_,   find_,   nullptr,     stop_,   nullptr, showBookmarks_, nullptr, mail_,
            postNews_,     nullptr, newsgroups_, telnet_, gopher_, ftp_,           whois_};
}

void CMainFrame::CreateLocationBar() {
    addToolBarBreak();
    locationBar_ = addToolBar("Location");
    locationBar_->setObjectName("LocationBar");
    auto* label = new QLabel("Location:");
    label->setContentsMargins(4, 0, 4, 0);
    locationBar_->addWidget(label);
    location_ = new QComboBox;
    location_->setEditable(true);
    location_->setMaxCount(static_cast<int>(config::TypedUrlList::kMaxEntries));
    location_->setInsertPolicy(QComboBox::NoInsert);
    location_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    location_->setObjectName("location");
    locationBar_->addWidget(location_);
    // Keys reach the combo box, its line edit's focus proxy, which hands them on to the line
    // edit directly: a filter on the line edit would never see Enter.
    location_->installEventFilter(new LocationKeys(location_, [this] { OnLocationEntered(); }));
    connect(location_, qOverload<int>(&QComboBox::activated), this, &CMainFrame::OnLocationChosen);
    connect(locationBar_, &QToolBar::visibilityChanged, this, [this](bool visible) {
        if (!isHidden()) showLocationBar_->setChecked(visible);
    });
}

void CMainFrame::Restore(const config::Settings& settings) {
    mainFrameSection_ = settings.Section(config::sections::kMainFrame);
    urlListSection_ = settings.Section(config::sections::kUrlList);
    stored_ = config::ReadMainFramePlacement(*mainFrameSection_);
    const config::Rectangle& r = stored_.restored;
    if (!r.IsEmpty()) setGeometry(r.x, r.y, r.width, r.height);
    // Qt cannot float a toolbar from code: a floating one docks at the side nearest to where
    // it floated.
    const QRect frame = geometry();
    const Qt::ToolBarArea area =
        AreaOf(config::NearestDockSide(RectangleOf(frame), stored_.toolBarRectangle));
    if (!stored_.toolBarRectangle.IsEmpty() && area != Qt::TopToolBarArea)
        addToolBar(area, toolBar_);
    toolBar_->setVisible(stored_.toolBar);
    locationBar_->setVisible(stored_.locationBar);
    statusBar()->setVisible(stored_.statusBar);
    showToolBar_->setChecked(stored_.toolBar);
    showLocationBar_->setChecked(stored_.locationBar);
    showStatusBar_->setChecked(stored_.statusBar);
    if (!typed_.Load(*urlListSection_)) {
        host_->ShowMessage("Error Loading URL List...", platform::MessageButtons::kOk,
                           platform::MessageIcon::kStop, "Corvane");
    }
    ShowTypedList();
}

void CMainFrame::ShowAsStored() {
    if (stored_.maximized) {
        showMaximized();
    } else if (stored_.minimized) {
        showMinimized();
    } else {
        show();
    }
}

config::MainFramePlacement CMainFrame::CurrentPlacement() const {
    config::MainFramePlacement placement;
    placement.toolBar = !toolBar_->isHidden();
    placement.locationBar = !locationBar_->isHidden();
    placement.statusBar = !statusBar()->isHidden();
    placement.maximized = isMaximized();
    placement.minimized = isMinimized();
    // The normal rectangle, also of a maximised or minimised window.
    const QRect normal = placement.maximized || placement.minimized ? normalGeometry() : geometry();
    placement.restored = normal.isEmpty() ? stored_.restored : RectangleOf(normal);
    placement.toolDocked = !toolBar_->isFloating();
    placement.toolBarRectangle =
        RectangleOf(QRect(toolBar_->mapToGlobal(QPoint(0, 0)), toolBar_->size()));
    return placement;
}

void CMainFrame::Store() {
    if (!urlListSection_ || !mainFrameSection_) return;
    if (!typed_.Save(*urlListSection_)) {
        host_->ShowMessage("Error Saving URL List...", platform::MessageButtons::kOk,
                           platform::MessageIcon::kStop, "Corvane");
    }
    config::WriteMainFramePlacement(*mainFrameSection_, CurrentPlacement());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (mayClose && !mayClose()) {
        event->ignore();
        return;
    }
    Store();
    QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !session_) return;
    event->acceptProposedAction();
    const QUrl& url = urls.front();
    if (url.isLocalFile()) {
        session_->OpenFile(ToUtf8(url.toLocalFile()));
    } else {
        session_->OpenTyped(ToUtf8(url.toString(QUrl::FullyEncoded)));
    }
    view_->setFocus();
}

void CMainFrame::OnLocationEntered() {
    if (!session_) return;
    // Page Down now scrolls what loads, instead of walking the location list; and the field
    // shows the completed address.
    view_->setFocus();
    session_->OpenTyped(ToUtf8(location_->lineEdit()->text()));
}

void CMainFrame::OnLocationChosen(int index) {
    if (!session_) return;
    const QString text = index >= 0 ? location_->itemText(index) : QString();
    if (text.isEmpty()) {
        location_->lineEdit()->setText(FromUtf8(session_->LocationText()));
        host_->ShowMessage("Error Selecting URL...", platform::MessageButtons::kOk,
                           platform::MessageIcon::kStop, "Corvane");
        return;
    }
    view_->setFocus();
    session_->OpenTyped(ToUtf8(text));
}

void CMainFrame::FocusLocation() {
    if (locationBar_->isHidden()) {
        OnOpenLocation();
        return;
    }
    location_->setFocus(Qt::ShortcutFocusReason);
    location_->lineEdit()->selectAll();
}

void CMainFrame::OnOpenLocation() {
    QDialog dialog(this);
    dialog.setWindowTitle("Corvane : Open URL Location");
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel("&URL Location:");
    auto* box = new QComboBox;
    box->setEditable(true);
    for (int i = 0; i < location_->count(); ++i) box->addItem(location_->itemText(i));
    box->setCurrentIndex(-1);
    box->lineEdit()->clear();
    box->setMinimumWidth(400);
    label->setBuddy(box);
    layout->addWidget(label);
    layout->addWidget(box);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    box->setFocus();
    if (dialog.exec() != QDialog::Accepted || !session_) return;
    view_->setFocus();
    session_->OpenTyped(ToUtf8(box->currentText()));
}

void CMainFrame::OnOpenFile() {
    if (!session_) return;
    const auto path = host_->AskOpenFile(
        "Open File", "HTML Files (*.htm;*.html)|*.htm;*.html|All Files (*.*)|*.*||", "");
    if (path) session_->OpenFile(*path);
}

void CMainFrame::OpenServiceUrl(const std::optional<std::string>& url) {
    if (url && session_) session_->OpenTyped(*url);
}

void CMainFrame::OnTelnet() {
    const auto texts = AskServiceFields(this, "Corvane : Telnet", {{"&Server:", ""}});
    if (texts) OpenServiceUrl(TelnetDialogUrl((*texts)[0]));
}

void CMainFrame::OnGopher() {
    const std::string current =
        session_ && session_->HasDocument() ? GopherServerOf(session_->CurrentUrl()) : "";
    const auto texts =
        AskServiceFields(this, "Corvane : Gopher",
                         {{"&Server:", current}, {"&Command:", "", false, !current.empty()}});
    if (texts) OpenServiceUrl(GopherDialogUrl((*texts)[0], (*texts)[1]));
}

void CMainFrame::OnFtp() {
    const auto texts = AskServiceFields(
        this, "Corvane : FTP", {{"&Server:", ""}, {"&User:", ""}, {"&Password:", "", true}});
    if (texts) OpenServiceUrl(FtpDialogUrl((*texts)[0], (*texts)[1], (*texts)[2]));
}

void CMainFrame::OnWhois() {
    const auto texts = AskServiceFields(
        this, "Corvane : Whois",
        {{"&Whois:", ""}, {"&Server:", std::string(protocols::kDefaultWhoisServer)}});
    if (texts) OpenServiceUrl(WhoisDialogUrl((*texts)[0], (*texts)[1]));
}

void CMainFrame::RememberTyped(const std::string& url) {
    typed_.Remember(url);
    ShowTypedList();
    location_->setCurrentIndex(0);
}

void CMainFrame::ShowTypedList() {
    const QString text = location_->lineEdit()->text();
    location_->clear();
    for (const std::string& url : typed_.Entries()) location_->addItem(FromUtf8(url));
    location_->setCurrentIndex(-1);
    location_->lineEdit()->setText(text);
}

void CMainFrame::ShowSecurity(const BrowserSession::Security& security) {
    using Kind = core::CHTRequest::Security;
    security_->setVisible(security.kind != Kind::kNone);
    if (security.kind == Kind::kNone) return;
    const bool verified = security.kind == Kind::kVerified;
    security_->setText(verified ? "Secure" : "Not verified");
    security_->setToolTip((verified ? "Certificate: " : "Certificate accepted without check: ") +
                          FromUtf8(security.subject));
}

void CMainFrame::UpdateFromSession() {
    const bool has = session_ != nullptr;
    back_->setEnabled(has && session_->CanGoBack());
    forward_->setEnabled(has && session_->CanGoForward());
    stop_->setEnabled(has && session_->IsLoading());
    reload_->setEnabled(has && session_->HasDocument());
    home_->setEnabled(has);
    loadImages_->setEnabled(has && session_->HasDocument());
    refresh_->setEnabled(has && session_->HasDocument() && !session_->IsLoading());
    postNews_->setEnabled(static_cast<bool>(openPostNews));
    newsgroups_->setEnabled(static_cast<bool>(openNewsgroups));
    configurations_->setEnabled(static_cast<bool>(openConfigurations));
    for (QAction* action : {saveAs_, print_, printPreview_, find_, documentSource_})
        action->setEnabled(has && session_->HasDocument());
    addBookmark_->setEnabled(has && session_->HasDocument() && session_->Bookmarks());
    autoLoadImages_->setChecked(has && session_->AutoLoadsImages());
    if (has) {
        // The address being shown or, after a typed one failed, the one that was tried.
        const QString url = FromUtf8(session_->LocationText());
        QLineEdit* field = location_->lineEdit();
        if (!url.isEmpty() && (!field->hasFocus() || field->text().isEmpty())) field->setText(url);
    }
    ShowSecurity(has && session_->HasDocument() ? session_->ShownSecurity()
                                                : BrowserSession::Security{});
    if (!has || !session_->HasDocument()) {
        setWindowTitle("Corvane");
        return;
    }
    const std::string title = session_->Title();
    setWindowTitle("Corvane - " + FromUtf8(title.empty() ? session_->CurrentUrl() : title));
}

QPrinter& CMainFrame::Printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

render::PageFrame CMainFrame::PrintFrame() const {
    if (!session_) return FrameForNow("", "");
    return FrameForNow(session_->Title(), session_->CurrentUrl());
}

void CMainFrame::OnFind() {
    if (!findDialog_) findDialog_ = new FindDialog(view_->View(), this);
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
    findDialog_->Field().setFocus();
    findDialog_->Field().selectAll();
}

// The dialog offers every page and starts with the first 40 chosen; any range chosen prints.
void CMainFrame::OnPrint() {
    if (!session_ || !session_->HasDocument()) return;
    QPrinter& printer = Printer();
    const int count = CountPages(printer, view_->View());
    QPrintDialog dialog(&printer, this);
    OfferPages(dialog, printer, count);
    if (dialog.exec() != QDialog::Accepted) return;
    const auto [first, last] = ChosenPages(printer, count);
    if (PrintDocument(printer, view_->View(), PrintFrame(), first, last) == 0) {
        host_->ShowMessage("Cannot print the document.", platform::MessageButtons::kOk,
                           platform::MessageIcon::kStop, "Corvane");
    }
}

void CMainFrame::OnPrintPreview() {
    if (!session_ || !session_->HasDocument()) return;
    QPrintPreviewDialog preview(&Printer(), this);
    const render::PageFrame pageFrame = PrintFrame();
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this, &pageFrame](QPrinter* printer) {
                PrintDocument(*printer, view_->View(), pageFrame);
            });
    preview.exec();
}

void CMainFrame::OnPrintSetup() {
    QPageSetupDialog dialog(&Printer(), this);
    dialog.exec();
}

void CMainFrame::OnDocumentSource() {
    if (!session_) return;
    const std::optional<std::string> bytes = session_->ViewSource();
    if (!bytes) return;
    auto* viewer = new SourceViewer(session_->CurrentUrl(), *bytes, this);
    viewer->show();
}

std::unique_ptr<QMenu> CMainFrame::MakeContextMenu(render::Point documentPoint) {
    auto menu = std::make_unique<QMenu>(this);
    const auto add = [&menu](const QString& text, auto slot) {
        QAction* action = menu->addAction(text);
        connect(action, &QAction::triggered, menu.get(), slot);
        return action;
    };
    const auto addSave = [this, &add](const QString& text, const std::string& url) {
        add(text, [this, url] {
            if (session_) session_->SaveAddressAs(url);
        })->setEnabled(!url.empty() && session_ != nullptr);
    };
    const auto addBookmark = [this, &add](const QString& text, const std::string& url) {
        add(text, [this, url] {
            AddBookmarkOf(url);
        })->setEnabled(!url.empty() && CanAddBookmarks());
    };
    const auto copyText = [this](const std::string& text) { host_->SetClipboardText(text); };
    QAction* back = add("&Back", [this] { back_->trigger(); });
    back->setEnabled(back_->isEnabled());
    QAction* forward = add("&Forward", [this] { forward_->trigger(); });
    forward->setEnabled(forward_->isEnabled());
    menu->addSeparator();
    add("&Stop", [this] { stop_->trigger(); })->setEnabled(stop_->isEnabled());
    add("&Reload", [this] { reload_->trigger(); })->setEnabled(reload_->isEnabled());
    menu->addSeparator();

    render::CHTMLView& view = view_->View();
    const render::CHTMLView::PointTargets targets = view.TargetsAt(documentPoint);
    if (targets.linkUrl.empty() && targets.image == nullptr) {
        const bool shown = saveAs_->isEnabled();
        add("Save &As", [this] { saveAs_->trigger(); })->setEnabled(shown);
        add("&Print", [this] { print_->trigger(); })->setEnabled(shown);
        add("Print Pre&view", [this] { printPreview_->trigger(); })->setEnabled(shown);
        menu->addSeparator();
        add("Load &Images", [this] { loadImages_->trigger(); })->setEnabled(shown);
        const std::string background = targets.backgroundUrl;
        addSave("Save Back&ground As", background);
        add("Copy Backgrou&nd Location", [copyText, background] {
            copyText(background);
        })->setEnabled(!background.empty());
        menu->addSeparator();
        addBookmark("A&dd Background Bookmark", background);
        addBookmark("Add Bookmark",
                    session_ && session_->HasDocument() ? session_->CurrentUrl() : "");
    } else {
        if (targets.image) {
            const std::string url = targets.imageUrl;
            const html::CHTMLElement* image = targets.image;
            const std::string name = url.substr(url.find_last_of('/') + 1);
            add("View &Image (" + FromUtf8(name) + ")", [this, url] {
                if (session_) session_->OpenTyped(url);
            });
            add("Load I&mage File", [&view, image] {
                if (view.onLoadImage) view.onLoadImage(image);
            });
            addSave("Save Ima&ge File As", url);
            add("Copy Imag&e Location", [copyText, url] { copyText(url); });
            menu->addSeparator();
        }
        if (!targets.linkUrl.empty()) {
            const std::string url = targets.linkUrl;
            add("Open &Link (" + FromUtf8(url) + ")", [&view, url] {
                if (view.onFollowLink)
                    view.onFollowLink(render::LinkRequest{url, view.Base(), 0, view.Url()});
            });
            add("Open &Window at Link", [this, url] {
                if (session_) session_->OpenWindowAt(url);
            });
            addSave("Save Li&nk File As", url);
            add("Copy Lin&k Location", [copyText, url] { copyText(url); });
            menu->addSeparator();
        }
        if (targets.image) addBookmark("A&dd Image Bookmark", targets.imageUrl);
        if (!targets.linkUrl.empty()) addBookmark("A&dd Link Bookmark", targets.linkUrl);
    }
    menu->addSeparator();
    add("Bookmarks...", [this] {
        showBookmarks_->trigger();
    })->setEnabled(showBookmarks_->isEnabled());
    return menu;
}

void CMainFrame::ShowContextMenu(const QPoint& globalPosition, render::Point documentPoint) {
    const std::unique_ptr<QMenu> menu = MakeContextMenu(documentPoint);
    menu->exec(globalPosition);
}

}  // namespace corvane::shell
