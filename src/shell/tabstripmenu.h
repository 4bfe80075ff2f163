#pragma once

#include <QObject>

#include <QPointer>
#include <QString>
#include <functional>

#include <QMenu>
class QPoint;

namespace shell {

class TabManager;

// The mouse on the tab strip: the right button opens the tab menu "tabmenu" on the tab under
// the mouse, and its entries (rows of the command table) act on that tab, whichever tab is
// selected; a double click closes the tab clicked. Presses feed the tab manager's switching
// gate.
class TabStripMenu : public QObject {
    Q_OBJECT
public:
    explicit TabStripMenu(TabManager &tabs);

    QMenu *menu() const { return m_menu; }
    // The key of the tab the menu was last opened on; empty beside the tabs.
    QString menuTabKey() const { return m_menuKey; }
    // Opens the menu as a right click on the tab at `index` (-1: beside the tabs) does.
    void openMenuOn(int index, const QPoint &globalPos);

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeOnDoubleClick(int index);

    TabManager &m_tabs;
    QPointer<QMenu> m_menu;
    QString m_menuKey; // the tab the menu was opened on
};

} // namespace shell
