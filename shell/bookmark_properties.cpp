#include "shell/bookmark_properties.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "shell/qt_text.h"

namespace corvane::shell {
namespace {

using bookmarks::CBookmarkItem;

// Choices list at most this many entries, so a huge tree cannot stall the sheet.
constexpr std::size_t kMaxChoices = 5000;

QString ChoiceText(const CBookmarkItem& item) {
    const QString name =
        item.isSeparator ? QString("<---bookmark line separator--->") : FromUtf8(item.name);
    return QString(std::min(item.depth, 20) * 2, ' ') + name;
}

template <typename T>
int IndexOf(const std::vector<T*>& items, const T* wanted) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == wanted) return static_cast<int>(i);
    }
    return 0;
}

}  // namespace

BookmarkProperties::BookmarkProperties(bookmarks::CBookmarkList& list, CBookmarkItem* item,
                                       Page page, QWidget* parent)
    : QDialog(parent), list_(list), item_(item) {
    setWindowTitle("Corvane Bookmarks");
    auto* tabs = new QTabWidget;
    if (item_)
        tabs->addTab(MakeEntryPage(), item_->isFolder      ? "Title"
                                      : item_->isSeparator ? "Line"
                                                           : "Bookmark");
    tabs->addTab(MakeConfigurationPage(), "Configurations");
    tabs->setCurrentIndex(page == Page::kConfiguration && item_ ? 1 : 0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    resize(480, 320);
}

QWidget* BookmarkProperties::MakeEntryPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    name_ = new QLineEdit(FromUtf8(item_->name));
    address_ = new QLineEdit(FromUtf8(item_->url));
    description_ = new QPlainTextEdit(FromUtf8(item_->description));
    address_->setEnabled(!item_->isSeparator);
    form->addRow("&Name:", name_);
    form->addRow("&Location (URL):", address_);
    form->addRow(item_->isSeparator ? "&Attributes:" : "&Description:", description_);
    return page;
}

QWidget* BookmarkProperties::MakeConfigurationPage() {
    folders_.push_back(nullptr);
    bookmarks::ForEachInTree(list_.Root(), [this](const CBookmarkItem& entry) {
        if (entries_.size() >= kMaxChoices) return;
        auto* mutableEntry = const_cast<CBookmarkItem*>(&entry);
        entries_.push_back(mutableEntry);
        if (entry.isFolder) folders_.push_back(mutableEntry);
    });
    const auto fill = [](QComboBox* box, const auto& items) {
        for (const CBookmarkItem* entry : items)
            box->addItem(entry ? ChoiceText(*entry) : QString("(top level)"));
    };
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    inside_ = new QRadioButton("Add Bookmark Inside Title:");
    under_ = new QRadioButton("Add Bookmark Under Item:");
    insideFolder_ = new QComboBox;
    underEntry_ = new QComboBox;
    menuFolder_ = new QComboBox;
    fill(insideFolder_, folders_);
    fill(underEntry_, entries_);
    fill(menuFolder_, folders_);
    under_->setEnabled(!entries_.empty());
    const bool under = !list_.newItemInside && list_.newItemAnchor;
    (under ? under_ : inside_)->setChecked(true);
    insideFolder_->setCurrentIndex(under ? 0 : IndexOf(folders_, list_.newItemAnchor));
    underEntry_->setCurrentIndex(under ? IndexOf(entries_, list_.newItemAnchor) : 0);
    menuFolder_->setCurrentIndex(IndexOf(folders_, list_.mainFolder));
    grid->addWidget(inside_, 0, 0);
    grid->addWidget(insideFolder_, 0, 1);
    grid->addWidget(under_, 1, 0);
    grid->addWidget(underEntry_, 1, 1);
    grid->addWidget(new QLabel("Display Bookmark Menu Using:"), 2, 0);
    grid->addWidget(menuFolder_, 2, 1);
    grid->setRowStretch(3, 1);
    return page;
}

bool BookmarkProperties::Apply() {
    if (under_->isChecked() && underEntry_->currentIndex() >= 0 && !entries_.empty()) {
        list_.SetNewItemUnder(*entries_[static_cast<std::size_t>(underEntry_->currentIndex())]);
    } else {
        list_.SetNewItemInside(folders_[static_cast<std::size_t>(insideFolder_->currentIndex())]);
    }
    list_.SetMainFolder(folders_[static_cast<std::size_t>(menuFolder_->currentIndex())]);
    if (item_) {
        return list_.Edit(*item_, ToUtf8(name_->text()), ToUtf8(address_->text().trimmed()),
                          ToUtf8(description_->toPlainText()));
    }
    return list_.Save(list_.FileName());
}

void BookmarkProperties::done(int result) {
    if (result == QDialog::Accepted && !Apply()) return;
    QDialog::done(result);
}

}  // namespace corvane::shell
