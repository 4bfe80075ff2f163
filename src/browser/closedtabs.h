#pragma once

#include "tabrecord.h"

namespace browser {

// Tabs closed by the user, newest last: one close is one batch (a single tab, or every tab
// that "close all" took). Only the last `limit` closes are kept.
class ClosedTabs {
public:
    explicit ClosedTabs(int limit = 20) : m_limit(limit) {}

    // Keeps a batch; an empty one is ignored.
    void push(const QList<TabRecord> &batch) {
        if (batch.isEmpty())
            return;
        m_batches.append(batch);
        while (m_batches.size() > m_limit)
            m_batches.removeFirst();
    }
    // The newest batch, removed; empty when there is none.
    QList<TabRecord> takeLast() {
        return m_batches.isEmpty() ? QList<TabRecord>() : m_batches.takeLast();
    }
    bool isEmpty() const { return m_batches.isEmpty(); }
    int size() const { return m_batches.size(); }

private:
    int m_limit;
    QList<QList<TabRecord>> m_batches;
};

} // namespace browser
