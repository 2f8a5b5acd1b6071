#pragma once
// The History window: the window's Back/Forward list, newest first, in the list "History List",
// with "Goto" (loads the chosen entry), "Add Bookmark" (adds the chosen entry to the window's
// bookmarks; disabled when the window keeps none) and "Close". Opened from "H&istory..." and from
// the Go menu's "More...".

#include <QDialog>
#include <QListWidget>

#include "shell/browser_session.h"

namespace corvane::shell {

class HistoryDialog : public QDialog {
    Q_OBJECT
  public:
    HistoryDialog(BrowserSession& session, QWidget* parent);

    QListWidget& List() { return *list_; }
    // Loads the selected entry and closes the window; nothing without a selection.
    void GoToSelected();
    // Adds the selected entry's address to the window's bookmarks.
    void BookmarkSelected();

  private:
    BrowserSession& session_;
    QListWidget* list_;
};

}  // namespace corvane::shell
