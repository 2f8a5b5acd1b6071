#pragma once
// The bookmark window "Corvane Bookmarks": the tree of the window's bookmarks ("Bookmark List")
// with its own menus (File, Edit, Item), a context menu on the rows, the property sheet, and
// drag and drop of rows within the tree. Every change goes to the CBookmarkList first; the rows
// are then rebuilt from it, so the window never holds state of its own.
//
// Memory: the window refers to the tree, which its owner (the browser window) keeps alive for
// as long as the window exists. Rows carry a pointer to their entry and are rebuilt after every
// change, so no row outlives its entry.

#include <QMainWindow>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bookmarks/bookmark_list.h"

namespace corvane::shell {

// What the bookmark window asks of the browser window it belongs to.
struct BookmarkWindowLinks {
    // Loads an address in the browser window.
    std::function<void(const std::string& url)> load;
    // Shows a local file in the browser window ("&View").
    std::function<void(const std::string& path)> openFile;
    // The shown document: its address as its request holds it, and its canonical address.
    std::function<std::optional<std::pair<std::string, std::string>>()> currentDocument;
    // Where "Create Shortcut" puts its links (the desktop directory).
    std::function<std::string()> shortcutDirectory;
};

class BookmarkTree;

class CBookmarkWindow : public QMainWindow {
    Q_OBJECT
  public:
    CBookmarkWindow(bookmarks::CBookmarkList& list, BookmarkWindowLinks links,
                    QWidget* parent = nullptr);

    QTreeWidget& Tree();
    // Rebuilds the rows from the tree and selects the current entry.
    void Redisplay();
    // The entry of a row, or null.
    static bookmarks::CBookmarkItem* EntryOf(const QTreeWidgetItem* row);

    // File menu
    void New();
    void Open();
    void CloseWindow();
    void View();
    void Save();
    void Export();
    void Import();
    void Configure();
    // Edit and Item menus, and the context menu
    void DeleteSelected();
    void AddBookmark();
    void NewEntry(bookmarks::BookmarkKind kind);
    void Properties();
    void GoToSelected();
    void CreateShortcut();
    void CopyLinkLocation();
    void CopyItems();
    // Edit menu: Copy puts the rows' titles on the clipboard and keeps the entry for Paste; Cut
    // does the same and deletes it; Paste places a copy of the kept entry like a new one.
    void CopyTitles();
    void Cut();
    void Paste();
    bool CanPaste() const { return clip_ != nullptr; }
    // Returns the tree to what it was before the last change made in this window.
    void Undo();
    bool CanUndo() const { return !undo_.empty(); }
    // Selects the next entry whose name or address holds the text: from the top with
    // entireListing, else after the selected entry. "Listbox String Not Found" when none does.
    bool FindEntry(const std::string& text, bool entireListing);
    void Find();
    // A dragged row dropped against another.
    void MoveEntry(bookmarks::CBookmarkItem& moved, bookmarks::CBookmarkItem& target,
                   bookmarks::DropPlace place);

    // "Do you want to save the current bookmark file ?"; Yes saves to the tree's file.
    void AskToSave();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateMenus();
    void ShowContextMenu(const QPoint& at);
    bookmarks::CBookmarkItem* Selected() const;
    void OpenProperties(bookmarks::CBookmarkItem* item, int page);
    void Placed(bookmarks::CBookmarkItem* item);
    // Runs a change; when it answers true, the tree before it becomes the newest Undo step.
    template <class Change>
    bool Changing(Change&& change);
    void KeepForPaste(const bookmarks::CBookmarkItem& entry);

    bookmarks::CBookmarkList& list_;
    BookmarkWindowLinks links_;
    BookmarkTree* tree_ = nullptr;
    std::unique_ptr<bookmarks::CBookmarkItem> clip_;
    std::vector<std::string> undo_;  // file texts, oldest first
    QAction* undoAction_ = nullptr;
    QAction* pasteAction_ = nullptr;
};

}  // namespace corvane::shell
