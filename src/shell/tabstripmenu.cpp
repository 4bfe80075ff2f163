#include "tabstripmenu.h"

#include "tabmanager.h"

#include <QMenu>
#include <QMouseEvent>
#include <QTabBar>
#include <QTimer>

namespace shell {

TabStripMenu::TabStripMenu(TabManager &tabs) : QObject(&tabs), m_tabs(tabs) {
    QTabBar *bar = tabs.tabBar();
    bar->installEventFilter(this);
    connect(bar, &QTabBar::tabBarDoubleClicked, this, &TabStripMenu::closeOnDoubleClick);

    m_menu = new QMenu(bar);
    m_menu->setObjectName(QStringLiteral("tabmenu"));
    TabManager *manager = &tabs;
    const auto onMenuTab = [this](const char *name, std::function<void(int)> action) {
        return [this, name, action] { actOnMenuTab(QString::fromLatin1(name), action); };
    };
    const auto command = [manager](const char *name, std::function<void()> action) {
        return [manager, name, action] { manager->runCommand(QString::fromLatin1(name), action); };
    };
    m_menu
        ->addAction(
            QStringLiteral("删除这个网页（双击也可）"), this,
            onMenuTab("DeleteThis", [manager](int position) { manager->closeTab(position); }))
        ->setObjectName(QStringLiteral("deleteThis"));
    m_menu
        ->addAction(QStringLiteral("删除所有网页"), this,
                    command("DeleteAll", [manager] { manager->closeAllUnmarked(); }))
        ->setObjectName(QStringLiteral("deleteAll"));
    m_menu
        ->addAction(QStringLiteral("给这个网页做标记（删除所有网页不删除它）"), this,
                    onMenuTab("MarkTab", [manager](int position) { manager->markTab(position); }))
        ->setObjectName(QStringLiteral("tab_tick"));
    m_reopen = m_menu->addAction(QStringLiteral("恢复关闭的网页"), this,
                                 command("ReopenClosed", [manager] { manager->reopenClosed(); }));
    m_reopen->setObjectName(QStringLiteral("reopenClosed"));
    m_reopen->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    // The entry (and its key, also in the menu bar) follows the list of closed tabs.
    m_reopen->setEnabled(false);
    connect(&tabs, &TabManager::tabsChanged, this,
            [this] { m_reopen->setEnabled(!m_tabs.closedTabs().isEmpty()); });
    m_menu->addSeparator();
    m_menu
        ->addAction(QStringLiteral("从硬盘上删除这个网页"), this,
                    onMenuTab("DeleteFromHard",
                              [manager](int position) { manager->deleteFromDisk(position); }))
        ->setObjectName(QStringLiteral("DeleteFromHard"));
}

// The tab the menu was opened on, looked up again when the command's turn comes.
void TabStripMenu::actOnMenuTab(const QString &name, const std::function<void(int)> &action) {
    TabManager *manager = &m_tabs;
    m_tabs.runCommand(name, [manager, action, key = m_menuKey] {
        if (const int position = manager->positionOfKey(key))
            action(position);
    });
}

void TabStripMenu::openMenuOn(int index, const QPoint &globalPos) {
    m_menuKey = index < 0 ? QString() : m_tabs.tabBar()->tabData(index).toString();
    const bool onTab = !m_menuKey.isEmpty();
    for (const char *name : {"deleteThis", "tab_tick", "DeleteFromHard"}) {
        if (auto *action = m_menu->findChild<QAction *>(QLatin1String(name)))
            action->setEnabled(onTab);
    }
    m_menu->popup(globalPos);
}

bool TabStripMenu::eventFilter(QObject *watched, QEvent *event) {
    QTabBar *bar = m_tabs.tabBar();
    if (watched != bar)
        return false;
    if (event->type() == QEvent::MouseButtonPress) {
        // Qt turns the second press of a double click into a double-click event, which
        // the tab bar reports as tabBarDoubleClicked: presses only feed the switching gate.
        auto *mouse = static_cast<QMouseEvent *>(event);
        const int index = bar->tabAt(mouse->position().toPoint());
        m_tabs.recordTabPress(mouse->button() == Qt::RightButton,
                              index < 0 ? QString() : bar->tabData(index).toString());
    } else if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton) {
            openMenuOn(bar->tabAt(mouse->position().toPoint()), mouse->globalPosition().toPoint());
            return true;
        }
    }
    return false;
}

// Closes the tab double-clicked once Qt has finished with the click.
void TabStripMenu::closeOnDoubleClick(int index) {
    if (index < 0)
        return;
    const QString key = m_tabs.tabBar()->tabData(index).toString();
    QTimer::singleShot(0, &m_tabs, [this, key] {
        m_tabs.runCommand(QStringLiteral("DeleteThis"), [this, key] {
            if (const int position = m_tabs.positionOfKey(key))
                m_tabs.closeTab(position);
        });
    });
}

} // namespace shell
