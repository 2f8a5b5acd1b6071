#pragma once
// The browser's top-level window: menus and toolbar with the navigation commands, the location
// bar, the document view and the status bar.

#include <QAction>
#include <QComboBox>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>

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
    void OnTelnet();
    void OnGopher();
    void OnFtp();
    void OnWhois();
    // Loads a dialog's address with the remember flag; nothing when it formed none.
    void OpenServiceUrl(const std::optional<std::string>& url);

    std::unique_ptr<QtHostServices> host_;
    HtmlViewWidget* view_ = nullptr;
    QComboBox* location_ = nullptr;
    BrowserSession* session_ = nullptr;

    QAction* openLocation_ = nullptr;
    QAction* openFile_ = nullptr;
    QAction* exit_ = nullptr;
    QAction* back_ = nullptr;
    QAction* forward_ = nullptr;
    QAction* home_ = nullptr;
    QAction* reload_ = nullptr;
    QAction* stop_ = nullptr;
    QAction* telnet_ = nullptr;
    QAction* gopher_ = nullptr;
    QAction* ftp_ = nullptr;
    QAction* whois_ = nullptr;
};

}  // namespace corvane::shell
