#include "shell/bookmarks_menu.h"

#include "shell/qt_text.h"

namespace corvane::shell {
namespace {

using Kind = bookmarks::BookmarkMenuItem::Kind;

void AddItems(QMenu& menu, const std::vector<bookmarks::BookmarkMenuItem>& items,
              const std::function<void(int)>& onCommand) {
    for (const bookmarks::BookmarkMenuItem& item : items) {
        // A name's "&" is a letter, not a shortcut mark.
        const QString text = FromUtf8(item.text).replace('&', "&&");
        if (item.kind == Kind::kSeparator) {
            menu.addSeparator();
        } else if (item.kind == Kind::kSubmenu) {
            AddItems(*menu.addMenu(text), item.children, onCommand);
        } else {
            const int command = item.command;
            QObject::connect(menu.addAction(text), &QAction::triggered, &menu,
                             [onCommand, command] { onCommand(command); });
        }
    }
}

}  // namespace

void FillBookmarksMenu(QMenu& menu, int fixedCount,
                       const std::vector<bookmarks::BookmarkMenuItem>& items,
                       const std::function<void(int)>& onCommand) {
    const QList<QAction*> actions = menu.actions();
    for (int i = fixedCount; i < actions.size(); ++i) {
        menu.removeAction(actions[i]);
        // A submenu owns its own action.
        if (QMenu* submenu = actions[i]->menu()) {
            submenu->deleteLater();
        } else {
            actions[i]->deleteLater();
        }
    }
    AddItems(menu, items, onCommand);
}

}  // namespace corvane::shell
