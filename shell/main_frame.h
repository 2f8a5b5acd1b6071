#pragma once
// The browser's top-level window: menus and toolbar with the navigation commands, the location
// bar, the document view and the status bar.

#include <QAction>
#include <QComboBox>
#include <QMainWindow>
#include <QMenu>
#include <functional>
#include <memory>

#include "shell/browser_session.h"
#include "shell/html_view_widget.h"
#include "shell/qt_host_services.h"

namespace corvane::shell {

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
    QAction* BackAction() const { return back_; }
    QAction* ForwardAction() const { return forward_; }
    QAction* StopAction() const { return stop_; }
    QAction* NewWindowAction() const { return newWindow_; }
    QMenu* GoMenu() const { return go_; }

    // Puts an address at the top of the location list (at most 20 kept).
    void RememberTyped(const std::string& url);
    // Brings the controls up to date with the session.
    void UpdateFromSession();

    // Asked when the window is to close; false keeps it open (downloads still run, and the
    // window closes itself when the last one ends).
    std::function<bool()> mayClose;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateLocationBar();
    void OnLocationEntered();
    void OnLocationChosen(int index);
    void OnOpenLocation();
    void OnOpenFile();
    // Replaces the Go menu's history items with the session's.
    void RebuildHistoryItems();
    void OnHistory();

    std::unique_ptr<QtHostServices> host_;
    HtmlViewWidget* view_ = nullptr;
    QComboBox* location_ = nullptr;
    BrowserSession* session_ = nullptr;

    QMenu* go_ = nullptr;
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
};

}  // namespace corvane::shell
