#include "tabmemory.h"

#include "tabmanager.h"

#include "common/processmemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <memory>

namespace shell {

namespace {

constexpr int kLoadingIntervalMs = 1000;
constexpr int kQuietIntervalMs = 10000;
constexpr qint64 kMB = 1024 * 1024;
// How far ahead a look plans: to the next look, and the time a discarded page's memory takes
// to leave the reading.
constexpr double kLookAheadSeconds = 2;
constexpr qint64 kDiscardSliceMs = 12;

double monotonicSeconds() {
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return double(clock.nsecsElapsed()) / 1e9;
}

// The memory of the program's processes together. The PSS takes a walk over every page of
// every process (about 200 ms for 150 processes): it is read at most every 3 s, and the
// readings between are the anonymous resident memory (6 ms) scaled by what the last PSS
// reading was to it. When the machine itself runs short (less than a tenth of its memory
// free), the reading counts as over any budget by what is missing.
class ProgramMemoryReader {
public:
    qint64 operator()() const {
        State &state = *m_state;
        const bool full = !state.sinceFull.isValid() || state.sinceFull.elapsed() >= 3000;
        const common::ProcessTreeMemory memory = common::processTreeMemory(
            QCoreApplication::applicationPid(), QStringLiteral("/proc"),
            full ? common::MemoryDetail::Proportional : common::MemoryDetail::AnonymousOnly);
        qint64 used = 0;
        if (full) {
            state.scale = memory.anonBytes > 0 ? double(memory.pssBytes) / memory.anonBytes : 1;
            state.sinceFull.start();
            used = memory.pssBytes;
        } else {
            used = qint64(double(memory.anonBytes) * state.scale);
        }
        return withMachineShortage(used);
    }

private:
    struct State {
        QElapsedTimer sinceFull;
        double scale = 1;
    };
    static qint64 withMachineShortage(qint64 used);
    // Copies of the reader (std::function copies it) share what it has learnt.
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

qint64 ProgramMemoryReader::withMachineShortage(qint64 used) {
    const qint64 total = common::physicalMemoryBytes();
    const qint64 available = common::availableMemoryBytes();
    if (total > 0 && available > 0 && available < total / 10)
        return used + (total / 10 - available);
    return used;
}

} // namespace

TabMemoryKeeper::TabMemoryKeeper(TabManager &tabs, QObject *parent)
    : QObject(parent), m_tabs(tabs), m_reader(ProgramMemoryReader()), m_clock(monotonicSeconds) {
    m_rules.budgetBytes = defaultBudget(common::physicalMemoryBytes());
    m_pool.setMaxThreadCount(1);
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &TabMemoryKeeper::check);
    // The tab shown now is in use from the moment it is shown. Tabs opening or pages loading
    // bring the next look near, so that a batch is never missed between two quiet looks.
    connect(&m_tabs, &TabManager::tabsChanged, this, [this] {
        if (const int number = m_tabs.currentViewNumber()) {
            m_idleSince.insert(number, m_clock());
            m_everShown.insert(number);
        }
        if (m_timer->remainingTime() > kLoadingIntervalMs)
            m_timer->start(kLoadingIntervalMs);
    });
    scheduleNext();
}

TabMemoryKeeper::~TabMemoryKeeper() {
    m_pool.waitForDone();
}

qint64 TabMemoryKeeper::defaultBudget(qint64 physicalBytes) {
    return qBound(512 * kMB, physicalBytes / 16, 1536 * kMB);
}

void TabMemoryKeeper::setMemoryReader(std::function<qint64()> reader, bool inBackground) {
    m_reader = std::move(reader);
    m_readInBackground = inBackground;
}

// A tab still waiting for its page in a batch has nothing to let go.
bool TabMemoryKeeper::mustStayActive(browser::BrowserView *view) {
    return view->isBusy() || view->url().isEmpty() || view->mustStayActive();
}

// The favourites page is the first tab's, always at hand.
bool TabMemoryKeeper::mustStayLoaded(int position, browser::BrowserView *view) const {
    return m_tabs.viewNumberAt(position) == 1 || m_tabs.isMarked(position) ||
           view->holdsUserInput();
}

QList<browser::RestingTab> TabMemoryKeeper::restingTabs(double now) {
    QList<browser::RestingTab> tabs;
    const int shown = m_tabs.currentViewNumber();
    QHash<int, double> idleSince;
    for (int position = 1; position <= m_tabs.tabCount(); ++position) {
        browser::BrowserView *view = m_tabs.viewAtPosition(position);
        if (!view)
            continue;
        browser::RestingTab tab;
        tab.viewNumber = m_tabs.viewNumberAt(position);
        tab.state = view->lifeState();
        tab.shown = tab.viewNumber == shown;
        tab.mustStayActive = mustStayActive(view);
        tab.mustStayLoaded = mustStayLoaded(position, view);
        if (tab.shown)
            m_everShown.insert(tab.viewNumber);
        tab.everShown = m_everShown.contains(tab.viewNumber);
        // A tab first seen now, shown or loading is in use now.
        tab.idleSince = tab.shown || view->isBusy() ? now : m_idleSince.value(tab.viewNumber, now);
        idleSince.insert(tab.viewNumber, tab.idleSince);
        tabs.append(tab);
    }
    m_idleSince = idleSince; // closed tabs are forgotten
    return tabs;
}

void TabMemoryKeeper::check() {
    const double now = m_clock();
    const QList<browser::RestingTab> tabs = restingTabs(now);
    if (m_reading || !m_toDiscard.isEmpty()) {
        scheduleNext();
        return;
    }
    if (!browser::anyDiscardable(tabs, m_rules, now)) {
        apply(0); // freezing needs no reading
        return;
    }
    if (!m_readInBackground) {
        apply(m_reader());
        return;
    }
    m_reading = true;
    m_pool.start([this, reader = m_reader] {
        const qint64 memory = reader();
        QMetaObject::invokeMethod(this, [this, memory] {
            m_reading = false;
            apply(memory);
        });
    });
}

// The plan is made on the tabs as they are when the reading comes back: one shown or read
// meanwhile is left alone.
//
// While pages load, the memory grows between two looks (a batch of 500 pages by about 100 MB
// a second here), and what is discarded takes a moment to leave: the plan is made on what the
// memory will be by then, at the rate it grew since the last reading, so that it never climbs
// far over the budget.
void TabMemoryKeeper::apply(qint64 memoryInUse) {
    const double now = m_clock();
    qint64 expected = memoryInUse;
    if (memoryInUse > 0) {
        if (m_lastReading > 0 && now > m_lastReadingAt && memoryInUse > m_lastReading) {
            const double perSecond = double(memoryInUse - m_lastReading) / (now - m_lastReadingAt);
            expected += qint64(perSecond * kLookAheadSeconds);
        }
        m_lastReading = memoryInUse;
        m_lastReadingAt = now;
    }
    const browser::RestPlan plan = browser::planRest(restingTabs(now), expected, m_rules, now);
    for (int number : plan.freeze) {
        const int position = m_tabs.positionOfKey(browser::tabKey(number));
        if (browser::BrowserView *view = m_tabs.viewAtPosition(position))
            view->setLifeState(browser::LifeState::Frozen);
    }
    m_toDiscard = plan.discard;
    discardSome();
    // Over the budget, look again soon: what was let go takes a moment to leave the reading.
    m_overBudget = m_rules.budgetBytes > 0 && expected > m_rules.budgetBytes;
    scheduleNext();
}

// The engine lets a page go on the window's thread, some milliseconds a page: sixty pages at
// once held the window for a third of a second. They go a few at a time, the window answering
// between; a tab shown, read or typed into meanwhile stays.
void TabMemoryKeeper::discardSome() {
    QElapsedTimer slice;
    slice.start();
    while (!m_toDiscard.isEmpty() && slice.elapsed() < kDiscardSliceMs) {
        const int number = m_toDiscard.takeFirst();
        const int position = m_tabs.positionOfKey(browser::tabKey(number));
        browser::BrowserView *view = m_tabs.viewAtPosition(position);
        if (view && number != m_tabs.currentViewNumber() && !mustStayActive(view) &&
            !mustStayLoaded(position, view))
            view->setLifeState(browser::LifeState::Discarded);
    }
    if (!m_toDiscard.isEmpty())
        QTimer::singleShot(0, this, &TabMemoryKeeper::discardSome);
}

void TabMemoryKeeper::scheduleNext() {
    bool loading = m_overBudget;
    for (int position = 2; position <= m_tabs.tabCount() && !loading; ++position) {
        if (browser::BrowserView *view = m_tabs.viewAtPosition(position))
            loading = view->isBusy();
    }
    m_timer->start(loading ? kLoadingIntervalMs : kQuietIntervalMs);
}

} // namespace shell
