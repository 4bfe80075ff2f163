#pragma once

#include "browser/tabrest.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QThreadPool>

#include <functional>

class QTimer;

namespace shell {

class TabManager;

// Keeps hundreds of tabs within a memory budget: every few seconds it looks at the tabs and,
// when some could rest, at the memory of the program and its engine processes; then it
// discards the background tabs idle longest until the memory is back under the budget, and
// freezes tabs hidden for minutes. A discarded tab loads again when it is shown or when a
// command reads it. Tabs the user marked, typed into, or that a command changed are never
// discarded; tabs loading, being read, downloading or playing sound are left running.
class TabMemoryKeeper : public QObject {
    Q_OBJECT
public:
    explicit TabMemoryKeeper(TabManager &tabs, QObject *parent = nullptr);
    ~TabMemoryKeeper() override;

    // The budget a machine with this much memory gets: a sixteenth of it, at least 512 MB
    // and at most 1.5 GB (see README.md).
    static qint64 defaultBudget(qint64 physicalBytes);

    void setRules(const browser::RestRules &rules) { m_rules = rules; }
    const browser::RestRules &rules() const { return m_rules; }
    // How the memory in use is read. By default: the program and all its processes, from
    // /proc, on a thread of its own (see ProgramMemoryReader). Tests give a reader that
    // answers at once on this thread.
    void setMemoryReader(std::function<qint64()> reader, bool inBackground);
    void setClock(std::function<double()> clock) { m_clock = std::move(clock); }

    // One look at the tabs, as the timer does: every second while pages load or the memory is
    // over the budget, every 10 s else.
    void check();
    qint64 lastMemoryReading() const { return m_lastReading; }

private:
    QList<browser::RestingTab> restingTabs(double now);
    void apply(qint64 memoryInUse);
    void scheduleNext();
    void discardSome();
    static bool mustStayActive(browser::BrowserView *view);
    bool mustStayLoaded(int position, browser::BrowserView *view) const;

    TabManager &m_tabs;
    browser::RestRules m_rules;
    std::function<qint64()> m_reader;
    bool m_readInBackground = true;
    bool m_reading = false;
    bool m_overBudget = false; // at the last reading
    qint64 m_lastReading = 0;
    double m_lastReadingAt = 0;
    std::function<double()> m_clock;
    QTimer *m_timer = nullptr;
    QList<int> m_toDiscard;         // view numbers, the next first
    QHash<int, double> m_idleSince; // by view number
    QSet<int> m_everShown;
    QThreadPool m_pool; // its one thread reads the memory; waited for on destruction
};

} // namespace shell
