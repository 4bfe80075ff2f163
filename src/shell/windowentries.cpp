#include "windowentries.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace shell {

namespace {

QList<QKeySequence> shortcutsOf(const CommandEntry &row) {
    return QKeySequence::listFromString(QString::fromLatin1(row.shortcut),
                                        QKeySequence::PortableText);
}

} // namespace

WindowEntries::WindowEntries(QMainWindow &window, QMenu &tabMenu,
                             std::function<QString()> menuTabKey, Run run)
    : QObject(&window), m_window(window), m_menuTabKey(std::move(menuTabKey)),
      m_run(std::move(run)) {
    for (const CommandEntry &row : commandTable()) {
        const QString key = QString::fromLatin1(row.key);
        switch (row.place) {
        case Place::MenuBar:
            if (!*row.in) {
                QMenu *menu = window.menuBar()->addMenu(QString::fromUtf8(row.caption));
                menu->setObjectName(key);
                m_menus.insert(key, menu);
            } else if (QMenu *menu = m_menus.value(QString::fromLatin1(row.in))) {
                shownAction(row, *menu);
            }
            break;
        case Place::TabMenu:
            shownAction(row, tabMenu);
            break;
        case Place::KeysOnly: {
            auto *action = new QAction(&window);
            action->setObjectName(key);
            action->setShortcuts(shortcutsOf(row));
            action->setShortcutContext(Qt::WindowShortcut);
            connect(action, &QAction::triggered, this, [this, key] { m_run(key, {}); });
            window.addAction(action);
            break;
        }
        case Place::Button:
        case Place::ButtonMenu:
            break; // the toolbar's
        }
    }
}

// The action of a row shown in a menu: the key's action when another menu shows it already.
QAction *WindowEntries::shownAction(const CommandEntry &row, QMenu &menu) {
    const QString key = QString::fromLatin1(row.key);
    if (QString::fromUtf8(row.caption) == QLatin1String("-"))
        return menu.addSeparator();
    if (QAction *shared = m_actions.value(key)) {
        menu.addAction(shared);
        return shared;
    }
    QAction *action = menu.addAction(QString::fromUtf8(row.caption));
    action->setObjectName(key);
    action->setShortcuts(shortcutsOf(row));
    const bool onTab = row.place == Place::TabMenu;
    connect(action, &QAction::triggered, this, [this, key, onTab, action] {
        m_run(key, {onTab ? m_menuTabKey() : QString(), action->text()});
    });
    m_actions.insert(key, action);
    return action;
}

} // namespace shell
