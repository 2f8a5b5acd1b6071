#include "shell/main_frame.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "protocols/whois_protocol.h"
#include "shell/qt_text.h"
#include "shell/service_dialogs.h"
#include "shell/service_urls.h"

namespace corvane::shell {
namespace {

constexpr int kMaxTypedUrls = 20;

// Takes Enter in the location field before the combo box turns it into a list choice.
class EnterFilter : public QObject {
  public:
    EnterFilter(QObject* parent, std::function<void()> onEnter)
        : QObject(parent), onEnter_(std::move(onEnter)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                onEnter_();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> onEnter_;
};

}  // namespace

CMainFrame::CMainFrame() {
    setWindowTitle("Corvane");
    host_ = std::make_unique<QtHostServices>(*this);
    view_ = new HtmlViewWidget(*host_, this);
    setCentralWidget(view_);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateLocationBar();
    resize(800, 600);
    UpdateFromSession();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::SetSession(BrowserSession* session) {
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
    QStyle* s = style();
    const auto make = [this](QIcon icon, const QString& text, auto slot) {
        auto* action = new QAction(icon, text, this);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    openLocation_ = make(s->standardIcon(QStyle::SP_DirLinkIcon), "Open &Location...",
                         [this] { OnOpenLocation(); });
    openLocation_->setShortcut(QKeySequence("Ctrl+L"));
    openFile_ = make(s->standardIcon(QStyle::SP_DialogOpenButton), "Open &File...",
                     [this] { OnOpenFile(); });
    openFile_->setShortcut(QKeySequence::Open);
    exit_ = make(QIcon(), "E&xit", [this] { close(); });
    back_ = make(s->standardIcon(QStyle::SP_ArrowBack), "&Back", [this] {
        if (session_) session_->Back();
    });
    back_->setShortcut(QKeySequence::Back);
    forward_ = make(s->standardIcon(QStyle::SP_ArrowForward), "&Forward", [this] {
        if (session_) session_->Forward();
    });
    forward_->setShortcut(QKeySequence::Forward);
    home_ = make(s->standardIcon(QStyle::SP_DirHomeIcon), "&Home", [this] {
        if (session_) session_->Home();
    });
    reload_ = make(s->standardIcon(QStyle::SP_BrowserReload), "&Reload", [this] {
        if (session_) session_->Reload();
    });
    reload_->setShortcut(QKeySequence::Refresh);
    stop_ = make(s->standardIcon(QStyle::SP_BrowserStop), "&Stop Loading", [this] {
        if (session_) session_->Stop();
    });
    stop_->setShortcut(QKeySequence(Qt::Key_Escape));
    telnet_ = make(s->standardIcon(QStyle::SP_ComputerIcon), "&Telnet...", [this] { OnTelnet(); });
    gopher_ = make(s->standardIcon(QStyle::SP_DirIcon), "&Gopher...", [this] { OnGopher(); });
    ftp_ = make(s->standardIcon(QStyle::SP_DriveNetIcon), "&FTP...", [this] { OnFtp(); });
    whois_ =
        make(s->standardIcon(QStyle::SP_MessageBoxQuestion), "&Whois...", [this] { OnWhois(); });
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction(openLocation_);
    file->addAction(openFile_);
    file->addSeparator();
    file->addAction(exit_);
    QMenu* view = menuBar()->addMenu("&View");
    view->addAction(reload_);
    QMenu* go = menuBar()->addMenu("&Go");
    go->addAction(back_);
    go->addAction(forward_);
    go->addAction(home_);
    go->addAction(stop_);
    QMenu* services = menuBar()->addMenu("&Services");
    for (QAction* action : {telnet_, gopher_, ftp_, whois_}) services->addAction(action);
}

void CMainFrame::CreateToolBar() {
    QToolBar* bar = addToolBar("Toolbar");
    bar->setObjectName("Toolbar");
    bar->addAction(openLocation_);
    bar->addSeparator();
    bar->addAction(back_);
    bar->addAction(forward_);
    bar->addAction(home_);
    bar->addAction(reload_);
    bar->addSeparator();
    bar->addAction(stop_);
    bar->addSeparator();
    for (QAction* action : {telnet_, gopher_, ftp_, whois_}) bar->addAction(action);
}

void CMainFrame::CreateLocationBar() {
    addToolBarBreak();
    QToolBar* bar = addToolBar("Location");
    bar->setObjectName("LocationBar");
    auto* label = new QLabel("Location:");
    label->setContentsMargins(4, 0, 4, 0);
    bar->addWidget(label);
    location_ = new QComboBox;
    location_->setEditable(true);
    location_->setMaxCount(kMaxTypedUrls);
    location_->setInsertPolicy(QComboBox::NoInsert);
    location_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    location_->setObjectName("location");
    bar->addWidget(location_);
    // Keys reach the combo box, its line edit's focus proxy, which hands them on to the line
    // edit directly: a filter on the line edit would never see Enter.
    location_->installEventFilter(new EnterFilter(location_, [this] { OnLocationEntered(); }));
    connect(location_, qOverload<int>(&QComboBox::activated), this, &CMainFrame::OnLocationChosen);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (mayClose && !mayClose()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::OnLocationEntered() {
    if (!session_) return;
    session_->OpenTyped(ToUtf8(location_->lineEdit()->text()));
}

void CMainFrame::OnLocationChosen(int index) {
    if (!session_) return;
    const QString text = index >= 0 ? location_->itemText(index) : QString();
    if (text.isEmpty()) {
        location_->lineEdit()->setText(FromUtf8(session_->CurrentUrl()));
        host_->ShowMessage("Error Selecting URL...", platform::MessageButtons::kOk,
                           platform::MessageIcon::kStop, "Corvane");
        return;
    }
    session_->OpenTyped(ToUtf8(text));
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
    const QString text = FromUtf8(url);
    const int existing = location_->findText(text);
    if (existing >= 0) location_->removeItem(existing);
    location_->insertItem(0, text);
    while (location_->count() > kMaxTypedUrls) location_->removeItem(location_->count() - 1);
    location_->setCurrentIndex(0);
}

void CMainFrame::UpdateFromSession() {
    const bool has = session_ != nullptr;
    back_->setEnabled(has && session_->CanGoBack());
    forward_->setEnabled(has && session_->CanGoForward());
    stop_->setEnabled(has && session_->IsLoading());
    reload_->setEnabled(has && session_->HasDocument());
    home_->setEnabled(has);
    if (!has || !session_->HasDocument()) {
        setWindowTitle("Corvane");
        return;
    }
    const std::string title = session_->Title();
    setWindowTitle("Corvane - " + FromLatin1(title.empty() ? session_->CurrentUrl() : title));
    const QString url = FromUtf8(session_->CurrentUrl());
    if (!location_->lineEdit()->hasFocus() || location_->lineEdit()->text().isEmpty())
        location_->lineEdit()->setText(url);
}

}  // namespace corvane::shell
