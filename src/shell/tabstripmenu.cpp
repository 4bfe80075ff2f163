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

    m_menu = new QMenu(bar); // its entries come from the command table (WindowEntries)
    m_menu->setObjectName(QStringLiteral("tabmenu"));
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
