#include "browser/tabrest.h"

#include <gtest/gtest.h>

namespace {

using namespace browser;

constexpr qint64 kMB = 1024 * 1024;

// A background tab loaded `idle` seconds before t = 1000 and never shown.
RestingTab idleTab(int number, double idle) {
    RestingTab tab;
    tab.viewNumber = number;
    tab.idleSince = 1000 - idle;
    return tab;
}

RestRules budget(qint64 bytes) {
    RestRules rules;
    rules.budgetBytes = bytes;
    return rules;
}

TEST(TabRest, UnderTheBudgetNothingIsDiscardedAboveItTheLongestIdleGoFirst) {
    const QList<RestingTab> tabs = {idleTab(2, 30), idleTab(3, 500), idleTab(4, 90),
                                    idleTab(5, 200)};
    EXPECT_TRUE(planRest(tabs, 800 * kMB, budget(1000 * kMB), 1000).discard.isEmpty());
    EXPECT_TRUE(planRest(tabs, 1000 * kMB, budget(1000 * kMB), 1000).discard.isEmpty());
    // 1200 MB in 4 loaded tabs: 300 MB a tab; down to 600 MB takes two.
    EXPECT_EQ(planRest(tabs, 1200 * kMB, budget(1000 * kMB), 1000).discard, QList<int>({3, 5}));
    // Far over: every tab that may go, and no more.
    EXPECT_EQ(planRest(tabs, 9000 * kMB, budget(1000 * kMB), 1000).discard,
              QList<int>({3, 5, 4, 2}));
    // Already discarded tabs neither count as loaded nor go again.
    QList<RestingTab> some = tabs;
    some[1].state = LifeState::Discarded;
    some[3].state = LifeState::Discarded;
    EXPECT_EQ(planRest(some, 1200 * kMB, budget(1000 * kMB), 1000).discard, QList<int>({4}));
    // No budget: nothing, however much.
    EXPECT_TRUE(planRest(tabs, 9000 * kMB, budget(0), 1000).discard.isEmpty());
    EXPECT_FALSE(anyDiscardable(tabs, budget(0), 1000));
}

TEST(TabRest, ShownKeptAndRecentlyUsedTabsStay) {
    QList<RestingTab> tabs;
    for (int n = 2; n <= 8; ++n)
        tabs.append(idleTab(n, 100));
    tabs[0].shown = true;
    tabs[1].mustStayActive = true; // loading, read, downloading
    tabs[2].mustStayLoaded = true; // marked, typed into
    tabs[3].everShown = true;      // looked at 100 s ago: may go
    tabs[4].everShown = true;
    tabs[4].idleSince = 1000 - 30;  // looked at 30 s ago: stays
    tabs[5].idleSince = 1000 - 0.5; // loaded behind half a second ago: stays
    const RestPlan plan = planRest(tabs, 9000 * kMB, budget(100 * kMB), 1000);
    EXPECT_EQ(plan.discard, QList<int>({5, 8}));
    EXPECT_TRUE(anyDiscardable(tabs, budget(100 * kMB), 1000));
    tabs.removeAt(6);
    tabs.removeAt(3);
    EXPECT_FALSE(anyDiscardable(tabs, budget(100 * kMB), 1000));
}

// Walking through a batch shows every tab for a moment: only the last few looked at stay.
TEST(TabRest, OnlyTheLastFewTabsLookedAtAreKept) {
    QList<RestingTab> tabs;
    for (int n = 2; n <= 11; ++n) {
        tabs.append(idleTab(n, 20 - n)); // tab 11 looked at last, 9 s ago
        tabs.last().everShown = true;
    }
    RestRules rules = budget(100 * kMB);
    const RestPlan plan = planRest(tabs, 9000 * kMB, rules, 1000);
    EXPECT_EQ(plan.discard, QList<int>({2, 3, 4, 5, 6, 7, 8}));
    rules.keepLastShown = 0;
    EXPECT_EQ(planRest(tabs, 9000 * kMB, rules, 1000).discard.size(), 10);
    // A discarded tab is not among the last ones kept: the next one in line is.
    tabs[9].state = LifeState::Discarded;
    rules.keepLastShown = 3;
    EXPECT_EQ(planRest(tabs, 9000 * kMB, rules, 1000).discard, QList<int>({2, 3, 4, 5, 6, 7}));
}

TEST(TabRest, TabsHiddenForMinutesAreFrozenWhateverTheMemory) {
    QList<RestingTab> tabs = {idleTab(2, 400), idleTab(3, 400), idleTab(4, 400), idleTab(5, 100),
                              idleTab(6, 400)};
    tabs[1].mustStayLoaded = true; // freezing keeps what was typed
    tabs[2].mustStayActive = true; // a download goes on
    tabs[4].state = LifeState::Discarded;
    RestPlan plan = planRest(tabs, 0, budget(1000 * kMB), 1000);
    EXPECT_EQ(plan.freeze, QList<int>({2, 3}));
    EXPECT_TRUE(plan.discard.isEmpty());
    // A tab discarded by the same plan is not frozen as well.
    plan = planRest(tabs, 5000 * kMB, budget(1000 * kMB), 1000);
    EXPECT_EQ(plan.discard, QList<int>({2, 5}));
    EXPECT_EQ(plan.freeze, QList<int>({3}));
    RestRules never = budget(0);
    never.freezeAfter = 0;
    EXPECT_TRUE(planRest(tabs, 0, never, 1000).freeze.isEmpty());
}

} // namespace
