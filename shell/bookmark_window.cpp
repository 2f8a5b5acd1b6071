#include "shell/bookmark_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTimer>
#include <vector>

#include "bookmarks/bookmark_menu.h"
#include "bookmarks/bookmark_writer.h"
#include "bookmarks/desktop_link.h"
#include "platform/file_services.h"
#include "platform/whole_file.h"
#include "shell/bookmark_properties.h"
#include "shell/qt_text.h"

namespace corvane::shell {

using bookmarks::BookmarkKind;
using bookmarks::CBookmarkItem;
using bookmarks::DropPlace;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

constexpr int kEntryRole = Qt::UserRole + 1;
constexpr const char* kSeparatorRowText = "<---bookmark line separator--->";
// Undo steps kept; each is the tree's file text.
constexpr std::size_t kUndoSteps = 20;

}  // namespace

// The tree control: rows dragged within it move their entries.
class BookmarkTree : public QTreeWidget {
  public:
    std::function<void(CBookmarkItem&, CBookmarkItem&, DropPlace)> onMove;

  protected:
    void dropEvent(QDropEvent* event) override {
        CBookmarkItem* moved = CBookmarkWindow::EntryOf(currentItem());
        CBookmarkItem* target = CBookmarkWindow::EntryOf(itemAt(event->position().toPoint()));
        // The rows are rebuilt from the tree, never moved by the control itself.
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        if (event->source() != this || !moved || !target || moved == target) return;
        DropPlace place = DropPlace::kAfter;
        if (dropIndicatorPosition() == AboveItem) place = DropPlace::kBefore;
        if (dropIndicatorPosition() == OnItem && target->isFolder) place = DropPlace::kInside;
        onMove(*moved, *target, place);
    }
};

CBookmarkWindow::CBookmarkWindow(bookmarks::CBookmarkList& list, BookmarkWindowLinks links,
                                 QWidget* parent)
    : QMainWindow(parent), list_(list), links_(std::move(links)) {
    setWindowFlag(Qt::Window);
    setWindowTitle("Corvane Bookmarks");
    tree_ = new BookmarkTree;
    tree_->setObjectName("Bookmark List");
    tree_->setHeaderHidden(true);
    tree_->setDragDropMode(QAbstractItemView::InternalMove);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->onMove = [this](CBookmarkItem& moved, CBookmarkItem& target, DropPlace place) {
        MoveEntry(moved, target, place);
    };
    connect(tree_, &QTreeWidget::customContextMenuRequested, this,
            &CBookmarkWindow::ShowContextMenu);
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* row) {
        if (CBookmarkItem* entry = EntryOf(row)) list_.SetCurrent(entry);
    });
    connect(tree_, &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem* row) {
        if (CBookmarkItem* entry = EntryOf(row)) entry->isExpanded = true;
    });
    connect(tree_, &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem* row) {
        if (CBookmarkItem* entry = EntryOf(row)) entry->isExpanded = false;
    });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* row) {
        const CBookmarkItem* entry = EntryOf(row);
        if (entry && !entry->isFolder && !entry->isSeparator) GoToSelected();
    });
    setCentralWidget(tree_);
    CreateMenus();
    resize(420, 520);
    Redisplay();
}

QTreeWidget& CBookmarkWindow::Tree() {
    return *tree_;
}

CBookmarkItem* CBookmarkWindow::EntryOf(const QTreeWidgetItem* row) {
    if (!row) return nullptr;
    return reinterpret_cast<CBookmarkItem*>(row->data(0, kEntryRole).value<quintptr>());
}

CBookmarkItem* CBookmarkWindow::Selected() const {
    return EntryOf(tree_->currentItem());
}

void CBookmarkWindow::CreateMenus() {
    const auto add = [this](QMenu* menu, const QString& text, auto slot) {
        QAction* action = menu->addAction(text);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    QMenu* file = menuBar()->addMenu("&File");
    add(file, "&New", [this] { New(); });
    add(file, "&Open...", [this] { Open(); });
    add(file, "&Close", [this] { CloseWindow(); });
    add(file, "&View", [this] { View(); });
    file->addSeparator();
    add(file, "&Save", [this] { Save(); })->setShortcut(QKeySequence::Save);
    add(file, "&Export...", [this] { Export(); });
    add(file, "&Import...", [this] { Import(); });
    file->addSeparator();
    add(file, "Confi&gurations...", [this] { Configure(); });
    QMenu* edit = menuBar()->addMenu("&Edit");
    undoAction_ = add(edit, "&Undo", [this] { Undo(); });
    undoAction_->setShortcut(QKeySequence::Undo);
    edit->addSeparator();
    add(edit, "Cu&t", [this] { Cut(); })->setShortcut(QKeySequence::Cut);
    add(edit, "&Copy", [this] { CopyTitles(); })->setShortcut(QKeySequence::Copy);
    pasteAction_ = add(edit, "&Paste", [this] { Paste(); });
    pasteAction_->setShortcut(QKeySequence::Paste);
    add(edit, "&Delete", [this] { DeleteSelected(); })->setShortcut(QKeySequence::Delete);
    edit->addSeparator();
    add(edit, "&Find...", [this] { Find(); })->setShortcut(QKeySequence::Find);
    connect(edit, &QMenu::aboutToShow, this, [this] {
        undoAction_->setEnabled(CanUndo());
        pasteAction_->setEnabled(CanPaste());
    });
    QMenu* item = menuBar()->addMenu("&Item");
    add(item, "&Add Bookmark", [this] { AddBookmark(); });
    add(item, "New &Bookmark...", [this] { NewEntry(BookmarkKind::kLink); });
    add(item, "New &Header...", [this] { NewEntry(BookmarkKind::kOpenFolder); });
    add(item, "New &Line...", [this] { NewEntry(BookmarkKind::kSeparator); });
    item->addSeparator();
    add(item, "&Properties...", [this] { Properties(); });
}

void CBookmarkWindow::ShowContextMenu(const QPoint& at) {
    QTreeWidgetItem* row = tree_->itemAt(at);
    if (!row) return;
    tree_->setCurrentItem(row);
    const CBookmarkItem* entry = EntryOf(row);
    const bool hasAddress = entry && !entry->url.empty();
    QMenu menu(this);
    menu.addAction("&Go to Bookmark", this, [this] { GoToSelected(); })->setEnabled(hasAddress);
    menu.addAction("Create Shortcu&t", this, [this] { CreateShortcut(); })->setEnabled(hasAddress);
    menu.addAction("Copy Lin&k Location", this, [this] { CopyLinkLocation(); })
        ->setEnabled(hasAddress);
    menu.addSeparator();
    menu.addAction("&Copy Items", this, [this] { CopyItems(); });
    menu.addAction("&Delete Items", this, [this] { DeleteSelected(); });
    menu.addSeparator();
    menu.addAction("&Properties...", this, [this] { Properties(); });
    menu.exec(tree_->viewport()->mapToGlobal(at));
}

void CBookmarkWindow::Redisplay() {
    const QSignalBlocker blocker(tree_);
    tree_->clear();
    const QStyle* s = style();
    const QIcon link = s->standardIcon(QStyle::SP_FileLinkIcon);
    const QIcon open = s->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = s->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon line = s->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    std::vector<QTreeWidgetItem*> expand;
    bookmarks::ForEachInTree(list_.Root(), [&](const CBookmarkItem& constEntry) {
        auto& entry = const_cast<CBookmarkItem&>(constEntry);
        auto* parentRow = entry.parentItem
                              ? static_cast<QTreeWidgetItem*>(entry.parentItem->displayHandle)
                              : nullptr;
        auto* row = parentRow ? new QTreeWidgetItem(parentRow) : new QTreeWidgetItem(tree_);
        row->setData(0, kEntryRole, QVariant::fromValue(reinterpret_cast<quintptr>(&entry)));
        entry.displayHandle = row;
        if (entry.isSeparator) {
            row->setText(0, kSeparatorRowText);
            row->setIcon(0, line);
        } else {
            row->setText(0, FromUtf8(entry.name));
            row->setIcon(0, entry.isFolder ? (entry.isExpanded ? open : closed) : link);
            if (!entry.url.empty()) row->setToolTip(0, FromUtf8(entry.url));
        }
        if (!entry.isFolder) row->setFlags(row->flags() & ~Qt::ItemIsDropEnabled);
        if (entry.isFolder && entry.isExpanded) expand.push_back(row);
    });
    for (QTreeWidgetItem* row : expand) row->setExpanded(true);
    if (list_.currentItem) {
        tree_->setCurrentItem(static_cast<QTreeWidgetItem*>(list_.currentItem->displayHandle));
    }
}

void CBookmarkWindow::AskToSave() {
    if (list_.Host().ShowMessage("Do you want to save the current bookmark file ?",
                                 MessageButtons::kYesNo,
                                 MessageIcon::kQuestion) == MessageAnswer::kYes) {
        list_.Save(list_.FileName());
    }
}

template <class Change>
bool CBookmarkWindow::Changing(Change&& change) {
    std::string before = bookmarks::BookmarkFileText(list_);
    if (!change()) return false;
    if (undo_.size() == kUndoSteps) undo_.erase(undo_.begin());
    undo_.push_back(std::move(before));
    return true;
}

void CBookmarkWindow::Undo() {
    if (undo_.empty()) return;
    list_.Restore(undo_.back());
    undo_.pop_back();
    Redisplay();
}

void CBookmarkWindow::KeepForPaste(const CBookmarkItem& entry) {
    clip_ = list_.Duplicate(entry, true);
}

void CBookmarkWindow::Cut() {
    CBookmarkItem* entry = Selected();
    if (!entry) return;
    CopyTitles();
    if (Changing([&] { return list_.Delete(*entry); })) Redisplay();
}

void CBookmarkWindow::Paste() {
    if (!clip_) return;
    CBookmarkItem* placed = nullptr;
    Changing([&] {
        placed = list_.Place(list_.Duplicate(*clip_, true));
        return placed != nullptr;
    });
    Placed(placed);
}

bool CBookmarkWindow::FindEntry(const std::string& text, bool entireListing) {
    CBookmarkItem* found =
        bookmarks::FindBookmark(list_.Root(), entireListing ? nullptr : Selected(), text);
    if (!found) {
        list_.Host().ShowMessage("Listbox String Not Found", MessageButtons::kOk,
                                 MessageIcon::kExclamation);
        return false;
    }
    // Folders open on the way, so the row can be seen.
    for (CBookmarkItem* folder = found->parentItem; folder; folder = folder->parentItem)
        folder->isExpanded = true;
    Placed(found);
    return true;
}

void CBookmarkWindow::Find() {
    QDialog dialog(this);
    dialog.setWindowTitle("Find");
    auto* layout = new QFormLayout(&dialog);
    auto* field = new QLineEdit(&dialog);
    auto* entire = new QCheckBox("Entire Listing", &dialog);
    layout->addRow("&Find:", field);
    layout->addRow(entire);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted || field->text().isEmpty()) return;
    FindEntry(ToUtf8(field->text()), entire->isChecked());
}

void CBookmarkWindow::New() {
    AskToSave();
    undo_.clear();
    list_.SetFileName("");
    list_.Load(std::string(bookmarks::kNoFileName), bookmarks::LoadMode::kReplace,
               bookmarks::MissingFile::kFail);
    Redisplay();
}

void CBookmarkWindow::Open() {
    AskToSave();
    const auto name = list_.Host().AskOpenFile("Corvane : Open File", bookmarks::kFileDialogFilter,
                                               bookmarks::DialogStartPath(list_.DefaultFile(), ""));
    if (!name || name->empty()) return;
    undo_.clear();
    list_.Load(*name, bookmarks::LoadMode::kReplace, bookmarks::MissingFile::kFail);
    Redisplay();
}

void CBookmarkWindow::CloseWindow() {
    list_.Save(list_.FileName());
    hide();
    if (parentWidget()) parentWidget()->activateWindow();
}

void CBookmarkWindow::closeEvent(QCloseEvent* event) {
    // The window is hidden, never destroyed: it lives as long as the browser window.
    event->ignore();
    CloseWindow();
}

void CBookmarkWindow::View() {
    AskToSave();
    if (!list_.FileName().empty() && links_.openFile) links_.openFile(list_.FileName());
    hide();
}

void CBookmarkWindow::Save() {
    list_.Save(list_.FileName());
}

void CBookmarkWindow::Export() {
    const auto name = list_.Host().AskSaveFile("Corvane : Save As", bookmarks::kFileDialogFilter,
                                               list_.DialogStart(bookmarks::kFallbackFileName));
    if (!name) return;
    if (name->empty()) {
        list_.Host().ShowMessage("No filename given... bookmark data not saved.",
                                 MessageButtons::kOk, MessageIcon::kExclamation);
        return;
    }
    list_.Save(*name);
}

void CBookmarkWindow::Import() {
    const auto name = list_.Host().AskOpenFile("Corvane : Open File", bookmarks::kFileDialogFilter,
                                               list_.DialogStart(bookmarks::kFallbackFileName));
    if (!name || name->empty()) return;
    const bool imported = Changing([&] {
        return list_.Load(*name, bookmarks::LoadMode::kImport, bookmarks::MissingFile::kFail);
    });
    if (!imported) return;
    Redisplay();
    list_.Save(list_.FileName());
}

void CBookmarkWindow::Configure() {
    OpenProperties(nullptr, 1);
}

void CBookmarkWindow::Properties() {
    if (CBookmarkItem* entry = Selected()) OpenProperties(entry, 0);
}

void CBookmarkWindow::OpenProperties(CBookmarkItem* item, int page) {
    BookmarkProperties sheet(
        list_, item,
        page == 0 ? BookmarkProperties::Page::kEntry : BookmarkProperties::Page::kConfiguration,
        this);
    if (Changing([&] { return sheet.exec() == QDialog::Accepted; })) {
        if (item) list_.SetCurrent(item);
        Redisplay();
    }
}

void CBookmarkWindow::DeleteSelected() {
    CBookmarkItem* entry = Selected();
    if (entry && Changing([&] { return list_.Delete(*entry); })) Redisplay();
}

void CBookmarkWindow::Placed(CBookmarkItem* item) {
    if (!item) return;
    list_.SetCurrent(item);
    Redisplay();
}

void CBookmarkWindow::AddBookmark() {
    const auto document = links_.currentDocument ? links_.currentDocument() : std::nullopt;
    if (!document) return;
    CBookmarkItem* placed = nullptr;
    Changing([&] { return (placed = list_.AddBookmark(document->first, document->second)); });
    Placed(placed);
}

void CBookmarkWindow::NewEntry(BookmarkKind kind) {
    const auto document = links_.currentDocument ? links_.currentDocument() : std::nullopt;
    CBookmarkItem* item = nullptr;
    Changing([&] { return (item = list_.AddNewEntry(kind, document ? document->second : "")); });
    Placed(item);
    OpenProperties(item, 0);
}

void CBookmarkWindow::GoToSelected() {
    const CBookmarkItem* entry = Selected();
    if (entry && !entry->url.empty() && links_.load) links_.load(entry->url);
}

void CBookmarkWindow::CopyLinkLocation() {
    const CBookmarkItem* entry = Selected();
    if (entry && !entry->url.empty()) list_.Host().SetClipboardText(entry->url);
}

void CBookmarkWindow::CopyTitles() {
    if (const CBookmarkItem* entry = Selected()) KeepForPaste(*entry);
    const QList<QTreeWidgetItem*> rows = tree_->selectedItems();
    std::string text;
    for (const QTreeWidgetItem* row : rows) text += ToUtf8(row->text(0)) + "\n";
    if (!text.empty()) list_.Host().SetClipboardText(text);
}

void CBookmarkWindow::CopyItems() {
    CBookmarkItem* entry = Selected();
    if (!entry) return;
    CBookmarkItem* placed = nullptr;
    Changing([&] { return (placed = list_.Copy(*entry)); });
    Placed(placed);
}

void CBookmarkWindow::CreateShortcut() {
    const CBookmarkItem* entry = Selected();
    if (!entry || entry->url.empty() || !links_.shortcutDirectory) return;
    const std::string directory = links_.shortcutDirectory();
    const std::string name =
        bookmarks::DesktopLinkFileName(entry->name, [&directory](const std::string& candidate) {
            return platform::GetFileInfo(platform::JoinPath(directory, candidate)).has_value();
        });
    const std::string path = platform::JoinPath(directory, name);
    if (!platform::CreateDirectories(directory) ||
        platform::WriteFileAtomically(path, bookmarks::DesktopLinkText(entry->name, entry->url),
                                      platform::NewFileAccess::kUmask)) {
        list_.Host().ShowMessage("Cannot create the shortcut " + path, MessageButtons::kOk,
                                 MessageIcon::kExclamation);
        return;
    }
    list_.Host().SetStatusText("Shortcut created: " + path);
}

void CBookmarkWindow::MoveEntry(CBookmarkItem& moved, CBookmarkItem& target, DropPlace place) {
    if (!Changing([&] { return list_.Move(moved, target, place); })) return;
    // The rows are rebuilt on a later turn: not while the control still handles the drop.
    QTimer::singleShot(0, this, [this] { Redisplay(); });
}

}  // namespace corvane::shell
