#pragma once

#include "commandtable.h"

#include <QHash>
#include <QObject>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;

namespace shell {

// The window's own entries, built from the command table: the menu bar, the tab menu and the
// keyboard shortcuts. A key shown in two places (the tab menu's and the menu bar's
// "恢复关闭的网页") is one action, so its shortcut is never ambiguous; each shortcut-only row
// is an action of its own on the window. Every action carries its key as its object name.
class WindowEntries : public QObject {
    Q_OBJECT
public:
    // `tabMenu` receives the tab menu's rows; `menuTabKey` tells which tab it was opened on.
    // `run` runs a key's command with what the entry hands it.
    using Run = std::function<void(const QString &key, const MenuChoice &choice)>;
    WindowEntries(QMainWindow &window, QMenu &tabMenu, std::function<QString()> menuTabKey,
                  Run run);

    // The menu bar's or tab menu's action of a key; null when neither has it.
    QAction *action(const QString &key) const { return m_actions.value(key); }

private:
    QAction *shownAction(const CommandEntry &row, QMenu &menu);

    QMainWindow &m_window;
    std::function<QString()> m_menuTabKey;
    Run m_run;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
};

} // namespace shell
