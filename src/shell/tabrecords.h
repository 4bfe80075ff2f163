#pragma once

#include "browser/closedtabs.h"
#include "browser/tabrecord.h"

#include <QList>

namespace shell {

class TabManager;

// The tabs as records and back: the session keeps the tabs after the first as records, and
// the last 20 closes are kept here to be reopened (Ctrl+Shift+T), the newest batch first.
class TabRecords {
public:
    explicit TabRecords(TabManager &tabs) : m_tabs(tabs) {}

    // The tabs after the first whose page has an address, first tab first.
    QList<browser::TabRecord> records() const;
    // Opens records in new background tabs with their marks; returns how many.
    int open(const QList<browser::TabRecord> &records);
    // Reopens the last closed tab or batch and shows its first tab; false when none is left.
    bool reopenClosed();
    browser::ClosedTabs &closed() { return m_closed; }

private:
    TabManager &m_tabs;
    browser::ClosedTabs m_closed{20};
};

} // namespace shell
