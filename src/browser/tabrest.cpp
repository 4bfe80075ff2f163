#include "tabrest.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace browser {

namespace {

// The hidden tabs the user looked at last, at most rules.keepLastShown of them.
QSet<int> lastShown(const QList<RestingTab> &tabs, const RestRules &rules) {
    QList<const RestingTab *> shown;
    for (const RestingTab &tab : tabs) {
        if (tab.everShown && !tab.shown && tab.state != LifeState::Discarded)
            shown.append(&tab);
    }
    const qsizetype keep = std::min<qsizetype>(std::max(rules.keepLastShown, 0), shown.size());
    std::partial_sort(
        shown.begin(), shown.begin() + keep, shown.end(),
        [](const RestingTab *a, const RestingTab *b) { return a->idleSince > b->idleSince; });
    QSet<int> last;
    for (qsizetype i = 0; i < keep; ++i)
        last.insert(shown.at(i)->viewNumber);
    return last;
}

bool discardable(const RestingTab &tab, const RestRules &rules, double now,
                 const QSet<int> &lastShown) {
    if (tab.shown || tab.mustStayActive || tab.mustStayLoaded || tab.state == LifeState::Discarded)
        return false;
    const double wait =
        lastShown.contains(tab.viewNumber) ? rules.discardAfterShown : rules.discardAfterLoaded;
    return now - tab.idleSince >= wait;
}

bool freezable(const RestingTab &tab, const RestRules &rules, double now) {
    return rules.freezeAfter > 0 && !tab.shown && !tab.mustStayActive &&
           tab.state == LifeState::Active && now - tab.idleSince >= rules.freezeAfter;
}

} // namespace

bool anyDiscardable(const QList<RestingTab> &tabs, const RestRules &rules, double now) {
    if (rules.budgetBytes <= 0)
        return false;
    const QSet<int> last = lastShown(tabs, rules);
    return std::any_of(tabs.begin(), tabs.end(),
                       [&](const RestingTab &t) { return discardable(t, rules, now, last); });
}

RestPlan planRest(const QList<RestingTab> &tabs, qint64 memoryInUse, const RestRules &rules,
                  double now) {
    RestPlan plan;
    if (rules.budgetBytes > 0 && memoryInUse > rules.budgetBytes) {
        QList<RestingTab> candidates;
        int loaded = 0;
        const QSet<int> last = lastShown(tabs, rules);
        for (const RestingTab &tab : tabs) {
            if (tab.state != LifeState::Discarded)
                ++loaded;
            if (discardable(tab, rules, now, last))
                candidates.append(tab);
        }
        std::stable_sort(
            candidates.begin(), candidates.end(),
            [](const RestingTab &a, const RestingTab &b) { return a.idleSince < b.idleSince; });
        const double excess = double(memoryInUse) - rules.target * double(rules.budgetBytes);
        const double perTab = double(memoryInUse) / double(std::max(loaded, 1));
        const int wanted = int(std::ceil(excess / perTab));
        for (int i = 0; i < std::min<int>(wanted, candidates.size()); ++i)
            plan.discard.append(candidates.at(i).viewNumber);
    }
    for (const RestingTab &tab : tabs) {
        if (freezable(tab, rules, now) && !plan.discard.contains(tab.viewNumber))
            plan.freeze.append(tab.viewNumber);
    }
    return plan;
}

} // namespace browser
