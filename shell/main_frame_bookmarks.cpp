// The main frame's bookmark commands: the Bookmarks menu, Add Bookmark, the bookmark window and
// View Bookmarks. The tree belongs to the session (the browser window); the frame only shows it.

#include <QMenuBar>
#include <QProcess>
#include <QStyle>
#include <cstdlib>

#include "bookmarks/bookmark_list.h"
#include "bookmarks/bookmark_menu.h"
#include "platform/file_services.h"
#include "shell/bookmarks_menu.h"
#include "shell/main_frame.h"
#include "shell/qt_text.h"
#include "shell/style_icon.h"

namespace corvane::shell {
namespace {

// The user's desktop directory: what xdg-user-dir says, else ~/Desktop.
std::string DesktopDirectory() {
    QProcess query;
    query.start("xdg-user-dir", {"DESKTOP"});
    if (query.waitForFinished(2000) && query.exitCode() == 0) {
        const std::string answer =
            ToUtf8(QString::fromUtf8(query.readAllStandardOutput()).trimmed());
        if (!answer.empty()) return answer;
    }
    const char* home = std::getenv("HOME");
    return platform::JoinPath(home ? home : "", "Desktop");
}

}  // namespace

void CMainFrame::CreateBookmarkActions() {
    addBookmark_ = new QAction("&Add Bookmark", this);
    addBookmark_->setShortcut(QKeySequence("Ctrl+D"));
    connect(addBookmark_, &QAction::triggered, this, &CMainFrame::OnAddBookmark);
    showBookmarks_ = new QAction(StyleIcon(QStyle::SP_DialogYesButton), "&Bookmarks...", this);
    showBookmarks_->setShortcut(QKeySequence("Ctrl+B"));
    connect(showBookmarks_, &QAction::triggered, this, &CMainFrame::OnShowBookmarks);
    viewBookmarks_ = new QAction("&View Bookmarks", this);
    connect(viewBookmarks_, &QAction::triggered, this, &CMainFrame::OnViewBookmarks);
}

void CMainFrame::CreateBookmarksMenu() {
    bookmarks_ = menuBar()->addMenu("&Bookmarks");
    bookmarks_->addAction(addBookmark_);
    bookmarks_->addAction(showBookmarks_);
    bookmarks_->addSeparator();
    bookmarks_->addAction(viewBookmarks_);
    connect(bookmarks_, &QMenu::aboutToShow, this, &CMainFrame::RebuildBookmarkItems);
}

void CMainFrame::RebuildBookmarkItems() {
    bookmarks::CBookmarkList* list = session_ ? session_->Bookmarks() : nullptr;
    const bool has = list != nullptr;
    showBookmarks_->setEnabled(has);
    viewBookmarks_->setEnabled(has);
    FillBookmarksMenu(*bookmarks_, kFixedBookmarkMenuItems,
                      has ? bookmarks::BuildBookmarkMenu(*list->mainList)
                          : std::vector<bookmarks::BookmarkMenuItem>{},
                      [this](int command) { OnBookmarkCommand(command); });
}

void CMainFrame::OnBookmarkCommand(int command) {
    bookmarks::CBookmarkList* list = session_ ? session_->Bookmarks() : nullptr;
    if (!list) return;
    if (command == bookmarks::kMoreBookmarksCommand) {
        OnShowBookmarks();
        return;
    }
    const std::optional<std::string> url = bookmarks::ChooseBookmarkMenuEntry(*list, command);
    if (url) session_->OpenTyped(*url);
}

CBookmarkWindow* CMainFrame::BookmarkWindow() {
    bookmarks::CBookmarkList* list = session_ ? session_->Bookmarks() : nullptr;
    if (!list) return nullptr;
    if (!bookmarkWindow_) {
        BookmarkWindowLinks links;
        links.load = [this](const std::string& url) {
            if (session_) session_->OpenTyped(url);
        };
        links.openFile = [this](const std::string& path) {
            if (session_) session_->OpenFile(path);
        };
        links.currentDocument = [this]() -> std::optional<std::pair<std::string, std::string>> {
            if (!session_ || !session_->HasDocument()) return std::nullopt;
            return std::make_pair(session_->CurrentUrl(), session_->CurrentUrl());
        };
        links.shortcutDirectory = DesktopDirectory;
        bookmarkWindow_ = new CBookmarkWindow(*list, std::move(links), this);
    }
    return bookmarkWindow_;
}

void CMainFrame::OnAddBookmark() {
    if (session_ && session_->HasDocument()) AddBookmarkOf(session_->CurrentUrl());
}

bool CMainFrame::CanAddBookmarks() const {
    return session_ && session_->Bookmarks();
}

void CMainFrame::AddBookmarkOf(const std::string& url) {
    bookmarks::CBookmarkList* list = session_ ? session_->Bookmarks() : nullptr;
    if (!list || url.empty()) return;
    if (bookmarks::CBookmarkItem* added = list->AddBookmark(url, url)) {
        list->SetCurrent(added);
        if (bookmarkWindow_) bookmarkWindow_->Redisplay();
    }
}

void CMainFrame::OnShowBookmarks() {
    CBookmarkWindow* window = BookmarkWindow();
    if (!window) return;
    window->Redisplay();
    window->show();
    window->raise();
    window->activateWindow();
}

void CMainFrame::OnViewBookmarks() {
    bookmarks::CBookmarkList* list = session_ ? session_->Bookmarks() : nullptr;
    if (!list || !list->Save(list->FileName()) || list->FileName().empty()) return;
    session_->OpenFile(list->FileName());
}

void CMainFrame::OfferToSaveBookmarks() {
    bookmarks::CBookmarkList* list = session_ ? session_->Bookmarks() : nullptr;
    if (bookmarkWindow_ && bookmarkWindow_->isVisible() && list && list->IsDefaultFile())
        bookmarkWindow_->AskToSave();
}

}  // namespace corvane::shell
