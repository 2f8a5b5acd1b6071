#pragma once
// The browser's top-level window: menus and toolbar with the navigation commands, the location
// bar, the document view and the status bar. Its placement, the bars shown and the location
// list are kept in the settings between runs: restored before the window shows, stored when it
// closes.

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/main_frame_placement.h"
#include "config/settings.h"
#include "config/typed_url_list.h"
#include "render/print_pages.h"
#include "shell/bookmark_window.h"
#include "shell/browser_session.h"
#include "shell/html_view_widget.h"
#include "shell/qt_host_services.h"

class QPrinter;

namespace corvane::shell {

class FindDialog;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    CMainFrame();
    ~CMainFrame() override;

    // The session the commands drive; null lets go of the current one.
    void SetSession(BrowserSession* session);

    QtHostServices& Host() { return *host_; }
    HtmlViewWidget& ViewWidget() { return *view_; }
    QComboBox& LocationBox() { return *location_; }
    QToolBar& ToolBar() { return *toolBar_; }
    QToolBar& LocationBar() { return *locationBar_; }
    QAction* BackAction() const { return back_; }
    QAction* ForwardAction() const { return forward_; }
    QAction* StopAction() const { return stop_; }
    QAction* LoadImagesAction() const { return loadImages_; }
    QAction* AutoLoadImagesAction() const { return autoLoadImages_; }
    QAction* ToolBarAction() const { return showToolBar_; }
    QAction* LocationBarAction() const { return showLocationBar_; }
    QAction* StatusBarAction() const { return showStatusBar_; }
    QAction* NewWindowAction() const { return newWindow_; }
    QMenu* GoMenu() const { return go_; }
    QAction* CopyAction() const { return copy_; }
    QAction* FindAction() const { return find_; }
    QAction* SaveAsAction() const { return saveAs_; }
    QAction* DocumentSourceAction() const { return documentSource_; }
    // The Find dialog once it was opened, else null.
    FindDialog* Finder() const { return findDialog_; }
    // The right-button menu for a point of the view, built for what lies there.
    std::unique_ptr<QMenu> MakeContextMenu(render::Point documentPoint);
    // The printer the print commands share, with the page set up last.
    QPrinter& Printer();
    QMenu* BookmarksMenu() const { return bookmarks_; }
    QAction* AddBookmarkAction() const { return addBookmark_; }
    QAction* ViewBookmarksAction() const { return viewBookmarks_; }
    // The bookmark window of the session's tree, made hidden on first use; null without a tree.
    CBookmarkWindow* BookmarkWindow();

    // Puts an address at the top of the location list (at most 20 kept).
    void RememberTyped(const std::string& url);
    // Brings the controls up to date with the session.
    void UpdateFromSession();
    void ShowSecurity(const BrowserSession::Security& security);

    // Reads the placement, the bars and the location list from the settings; they are written
    // back there when the window closes. Call before ShowAsStored.
    void Restore(const config::Settings& settings);
    // Shows the window normal, maximised or minimised as it was when it last closed.
    void ShowAsStored();

    // Asked when the window is to close; false keeps it open (downloads still run, and the
    // window closes itself when the last one ends).
    std::function<bool()> mayClose;
    // Services > Mail...: shows the mail window.
    std::function<void()> openMail;
    // Services > Post News... and Newsgroups...: the posting and newsgroup windows. The commands
    // stay disabled while these are unset.
    std::function<void()> openPostNews;
    std::function<void()> openNewsgroups;
    // Options > Configurations...: the configuration sheet.
    std::function<void()> openConfigurations;

    // The action of a menu command, found by its command number; null for none.
    QAction* CommandAction(int command) const;
    // The toolbar's actions in order, null for a gap.
    std::vector<QAction*> ToolBarActions() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void CreateActions();
    // Gives every menu command its number, and its theme icon with our own as the fallback.
    void NumberCommands();
    void CreateMenus();
    void CreateToolBar();
    void CreateLocationBar();
    void OnLocationEntered();
    void OnLocationChosen(int index);
    void OnOpenLocation();
    void OnOpenFile();
    void FocusLocation();
    void ShowTypedList();
    void Store();
    config::MainFramePlacement CurrentPlacement() const;
    // Replaces the Go menu's history items with the session's.
    void RebuildHistoryItems();
    void OnHistory();
    void OnTelnet();
    void OnGopher();
    void OnFtp();
    void OnWhois();
    void OnFind();
    void OnPrint();
    void OnPrintPreview();
    void OnPrintSetup();
    void OnDocumentSource();
    void ShowContextMenu(const QPoint& globalPosition, render::Point documentPoint);
    // Title and address for the printed pages' header.
    render::PageFrame PrintFrame() const;
    void CreateBookmarkActions();
    void CreateBookmarksMenu();
    // Replaces the Bookmarks menu's entries with the main bookmark list's.
    void RebuildBookmarkItems();
    void OnBookmarkCommand(int command);
    void OnAddBookmark();
    // The session keeps a bookmark tree (windowed runs do; headless ones keep none).
    bool CanAddBookmarks() const;
    // Adds an address (the page's, a link's, an image's) where new bookmarks go.
    void AddBookmarkOf(const std::string& url);
    void OnShowBookmarks();
    void OnViewBookmarks();
    // Before another window starts: offer to save the default file the bookmark window shows.
    void OfferToSaveBookmarks();
    // Loads a dialog's address with the remember flag; nothing when it formed none.
    void OpenServiceUrl(const std::optional<std::string>& url);

    std::unique_ptr<QtHostServices> host_;
    HtmlViewWidget* view_ = nullptr;
    QComboBox* location_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QToolBar* locationBar_ = nullptr;
    BrowserSession* session_ = nullptr;
    config::TypedUrlList typed_;
    // The stored sections; none until Restore, so a window made without settings stores nothing.
    std::optional<config::CSettingsSection> mainFrameSection_;
    std::optional<config::CSettingsSection> urlListSection_;
    config::MainFramePlacement stored_;

    QLabel* security_ = nullptr;  // the status bar's "Secure" pane
    QMenu* go_ = nullptr;
    QMenu* bookmarks_ = nullptr;
    QAction* addBookmark_ = nullptr;
    QAction* showBookmarks_ = nullptr;
    QAction* viewBookmarks_ = nullptr;
    CBookmarkWindow* bookmarkWindow_ = nullptr;
    QAction* newWindow_ = nullptr;
    QAction* history_ = nullptr;
    QAction* openLocation_ = nullptr;
    QAction* openFile_ = nullptr;
    QAction* exit_ = nullptr;
    QAction* back_ = nullptr;
    QAction* forward_ = nullptr;
    QAction* home_ = nullptr;
    QAction* reload_ = nullptr;
    QAction* stop_ = nullptr;
    QAction* loadImages_ = nullptr;
    QAction* autoLoadImages_ = nullptr;
    QAction* focusLocation_ = nullptr;
    QAction* showToolBar_ = nullptr;
    QAction* showLocationBar_ = nullptr;
    QAction* showStatusBar_ = nullptr;
    QAction* mail_ = nullptr;
    QAction* postNews_ = nullptr;
    QAction* newsgroups_ = nullptr;
    QAction* refresh_ = nullptr;
    QAction* configurations_ = nullptr;
    QAction* telnet_ = nullptr;
    QAction* gopher_ = nullptr;
    QAction* ftp_ = nullptr;
    QAction* whois_ = nullptr;
    QAction* saveAs_ = nullptr;
    QAction* print_ = nullptr;
    QAction* printPreview_ = nullptr;
    QAction* printSetup_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* find_ = nullptr;
    QAction* documentSource_ = nullptr;
    FindDialog* findDialog_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace corvane::shell
