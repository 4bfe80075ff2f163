#pragma once

#include "browser/browserview.h"

#include <QList>

// Which background tabs may rest, as plain values: no engine, time passed in (seconds on a
// monotonic clock). Resting frees the machine: a frozen page runs nothing, a discarded page
// gives its memory back and loads again when it is shown or read.
namespace browser {

struct RestingTab {
    int viewNumber = 0;
    LifeState state = LifeState::Active;
    bool shown = false;          // the selected tab
    bool mustStayActive = false; // loading, read by a command, downloading, playing sound
    bool mustStayLoaded = false; // marked, typed into, changed by a command, the favourites page
    bool everShown = false;      // the user has looked at it since it loaded
    double idleSince = 0;        // when it was last shown or last loading
};

struct RestRules {
    // Memory of the program and all its processes above which tabs are discarded; 0 never.
    qint64 budgetBytes = 0;
    // Discards bring the memory down to this share of the budget, so that one page more does
    // not start discarding again at once. Fewer, larger steps load a batch faster: 200 pages
    // loaded in 19 s and 1,272 MB going down to 0.6 of the budget, 24 s and 1,423 MB going
    // down to 0.85 (bench/side_by_side.sh).
    double target = 0.6;
    // Seconds hidden before a page is frozen (0 never): it saves the processor, not memory.
    double freezeAfter = 300;
    // Seconds hidden before a page may be discarded: a page the user has looked at is likely
    // to be looked at again soon; a page loaded behind and never shown is not in use. Only the
    // last few pages looked at count as looked at: walking through hundreds of tabs must not
    // keep them all.
    double discardAfterShown = 60;
    double discardAfterLoaded = 1;
    int keepLastShown = 3;
};

struct RestPlan {
    QList<int> freeze;  // view numbers
    QList<int> discard; // view numbers, the longest idle first
};

// The tabs that need a look at the memory at all: some tab could be discarded.
bool anyDiscardable(const QList<RestingTab> &tabs, const RestRules &rules, double now);

// Under the budget nothing is discarded. Above it, the tabs idle longest are discarded, as many
// as should bring `memoryInUse` down to the target share of the budget at the average memory
// of a loaded tab (the shared part of that average makes the guess low; the next look at the
// memory discards more when it was). Tabs hidden long enough are frozen, whatever the memory.
RestPlan planRest(const QList<RestingTab> &tabs, qint64 memoryInUse, const RestRules &rules,
                  double now);

} // namespace browser
