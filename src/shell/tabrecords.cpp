#include "tabrecords.h"

#include "tabmanager.h"

namespace shell {

QList<browser::TabRecord> TabRecords::records() const {
    QList<browser::TabRecord> out;
    for (int position = 2; position <= m_tabs.tabCount(); ++position) {
        const browser::BrowserView *view = m_tabs.viewAtPosition(position);
        if (view && !TabManager::addressOf(view).isEmpty())
            out.append({TabManager::addressOf(view), view->title(), m_tabs.isMarked(position)});
    }
    return out;
}

int TabRecords::open(const QList<browser::TabRecord> &records) {
    int opened = 0;
    for (const browser::TabRecord &record : records) {
        if (!m_tabs.openHarvested(record.url))
            continue;
        ++opened;
        if (record.marked)
            m_tabs.markTab(m_tabs.tabCount());
    }
    emit m_tabs.tabsChanged();
    return opened;
}

bool TabRecords::reopenClosed() {
    if (m_closed.isEmpty())
        return false;
    const QList<browser::TabRecord> batch = m_closed.takeLast();
    const int first = m_tabs.tabCount() + 1;
    open(batch);
    if (first <= m_tabs.tabCount())
        m_tabs.switchByKeyboard(first);
    return true;
}

} // namespace shell
