#pragma once
// The bookmark window's property sheet "Corvane Bookmarks": the page of one entry (name, address,
// description; what does not apply to the entry's kind is disabled) and the configuration page
// (where new bookmarks go, which folder the Bookmarks menu shows). OK applies the open pages and
// saves the tree at once.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <vector>

#include "bookmarks/bookmark_list.h"

namespace corvane::shell {

class BookmarkProperties : public QDialog {
    Q_OBJECT
  public:
    enum class Page { kEntry, kConfiguration };
    // `item` may be null: only the configuration page is offered.
    BookmarkProperties(bookmarks::CBookmarkList& list, bookmarks::CBookmarkItem* item, Page page,
                       QWidget* parent);

    QLineEdit& NameField() { return *name_; }
    QLineEdit& AddressField() { return *address_; }
    QPlainTextEdit& DescriptionField() { return *description_; }
    QRadioButton& InsideChoice() { return *inside_; }
    QRadioButton& UnderChoice() { return *under_; }
    QComboBox& InsideFolder() { return *insideFolder_; }
    QComboBox& UnderEntry() { return *underEntry_; }
    QComboBox& MenuFolder() { return *menuFolder_; }

    // Applies the pages; false (the sheet stays open) when the entry's address was refused.
    bool Apply();

  private:
    QWidget* MakeEntryPage();
    QWidget* MakeConfigurationPage();
    void done(int result) override;

    bookmarks::CBookmarkList& list_;
    bookmarks::CBookmarkItem* item_;
    // The entries the choices offer, in the order of their combo boxes (null: the top level).
    std::vector<bookmarks::CBookmarkItem*> folders_;
    std::vector<bookmarks::CBookmarkItem*> entries_;
    QLineEdit* name_ = nullptr;
    QLineEdit* address_ = nullptr;
    QPlainTextEdit* description_ = nullptr;
    QRadioButton* inside_ = nullptr;
    QRadioButton* under_ = nullptr;
    QComboBox* insideFolder_ = nullptr;
    QComboBox* underEntry_ = nullptr;
    QComboBox* menuFolder_ = nullptr;
};

}  // namespace corvane::shell
