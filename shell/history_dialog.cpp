#include "shell/history_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "bookmarks/bookmark_list.h"
#include "shell/qt_text.h"

namespace corvane::shell {

HistoryDialog::HistoryDialog(BrowserSession& session, QWidget* parent)
    : QDialog(parent), session_(session), list_(new QListWidget) {
    setWindowTitle("History");
    list_->setObjectName("History List");
    for (const std::string& url : session.HistoryList()) list_->addItem(FromUtf8(url));
    if (list_->count() > 0) list_->setCurrentRow(0);
    auto* go = new QPushButton("Goto");
    auto* bookmark = new QPushButton("Add Bookmark");
    bookmark->setEnabled(session.Bookmarks() != nullptr);
    auto* close = new QPushButton("Close");
    go->setDefault(true);
    connect(go, &QPushButton::clicked, this, &HistoryDialog::GoToSelected);
    connect(list_, &QListWidget::itemDoubleClicked, this, &HistoryDialog::GoToSelected);
    connect(bookmark, &QPushButton::clicked, this, &HistoryDialog::BookmarkSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(go);
    buttons->addWidget(bookmark);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(520, 320);
}

void HistoryDialog::GoToSelected() {
    const int row = list_->currentRow();
    if (row < 0) return;
    accept();
    session_.GoToHistoryEntry(row);
}

void HistoryDialog::BookmarkSelected() {
    bookmarks::CBookmarkList* bookmarks = session_.Bookmarks();
    QListWidgetItem* row = list_->currentItem();
    if (!bookmarks || !row) return;
    const std::string url = ToUtf8(row->text());
    bookmarks->AddBookmark(url, url);
}

}  // namespace corvane::shell
