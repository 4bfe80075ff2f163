#pragma once

#include <QObject>
#include <QString>

namespace commands {
class Dialogs;
}

namespace shell {

class TabManager;

// The delete-from-disk command on a tab ("从硬盘上删除这个网页"), asked first: a page from a file
// loses its tab and its file, and is not kept for reopening; a page from the web has no file
// and only loses its tab, which comes back like any closed tab.
class TabDiskDeletion : public QObject {
    Q_OBJECT
public:
    TabDiskDeletion(TabManager &tabs, commands::Dialogs &dialogs);

    void deleteAt(int position); // 1-based; nothing without a view there

signals:
    void reported(const QString &text); // for the status panel s2

private:
    TabManager &m_tabs;
    commands::Dialogs &m_dialogs;
};

} // namespace shell
