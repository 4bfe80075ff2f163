#include "commands/save/pagesaver.h"
#include "shell/tabmemory.h"
#include "support/commandfixture.h"
#include "support/commandwait.h"
#include "support/waitfor.h"

#include <gtest/gtest.h>

namespace {

using browser::LifeState;
using testing_support::FakeBrowserView;

constexpr qint64 kMB = 1024 * 1024;

class TabMemoryTest : public testing_support::CommandFixture {
protected:
    TabMemoryTest() {
        keeper.setClock([this] { return clock; });
        keeper.setMemoryReader([this] { return memory; }, false);
        browser::RestRules rules;
        rules.budgetBytes = 1000 * kMB;
        keeper.setRules(rules);
        page(0)->pageUrl = folder.favouritesUrl();
        for (int i = 1; i <= 4; ++i) {
            auto *view = static_cast<FakeBrowserView *>(
                tabs.openInNewTab(QUrl(QString("http://h.example/%1.htm").arg(i)), true, true));
            view->pageTitle = QString("第%1页").arg(i);
            view->pageHtml = QString("<p>第%1页</p>").arg(i);
            view->finishLoad();
        }
    }
    // A look `later` seconds after the last one.
    void lookAfter(double later) {
        clock += later;
        keeper.check();
    }
    QList<LifeState> states() {
        QList<LifeState> out;
        for (int i = 0; i <= 4; ++i)
            out.append(page(i)->lifeState());
        return out;
    }

    shell::TabMemoryKeeper keeper{tabs};
    double clock = 100;
    qint64 memory = 0;
};

constexpr LifeState A = LifeState::Active;
constexpr LifeState D = LifeState::Discarded;

TEST_F(TabMemoryTest, OverTheBudgetIdleBackgroundTabsGoButNotThoseInUse) {
    keeper.check(); // the tabs are first seen now
    memory = 5000 * kMB;
    lookAfter(0.5);
    EXPECT_EQ(states(), QList<LifeState>({A, A, A, A, A}))
        << "loaded half a second ago: still in use";

    tabs.markTab(3);            // page(2)
    page(3)->userInput = true;  // typed into
    page(4)->stayActive = true; // downloading
    memory = 900 * kMB;
    lookAfter(10);
    EXPECT_EQ(states(), QList<LifeState>({A, A, A, A, A})) << "under the budget";
    memory = 5000 * kMB;
    lookAfter(1);
    EXPECT_EQ(states(), QList<LifeState>({A, D, A, A, A}));

    // Shown, it is loaded again and in use: it stays for a minute after it is left.
    page(1)->life = A;
    tabs.switchByKeyboard(2);
    tabs.switchByKeyboard(1);
    lookAfter(30);
    EXPECT_EQ(page(1)->lifeState(), A);
    lookAfter(31);
    EXPECT_EQ(page(1)->lifeState(), D);
    // The shown tab is never let go, nor the favourites page.
    tabs.switchByKeyboard(4);
    page(3)->userInput = false;
    page(4)->stayActive = false;
    lookAfter(600);
    EXPECT_EQ(states(), QList<LifeState>({LifeState::Frozen, D, LifeState::Frozen, A, D}));
}

TEST_F(TabMemoryTest, MemoryClimbingFastIsMetBeforeItReachesTheBudget) {
    keeper.check();
    // Steady just under the budget: nothing goes.
    for (qint64 mb : {950, 950, 950}) {
        memory = mb * kMB;
        lookAfter(2);
        EXPECT_EQ(states(), QList<LifeState>({A, A, A, A, A})) << mb;
    }
    // The same reading, reached at 150 MB a second: by the next look it would be far over.
    memory = 800 * kMB;
    lookAfter(1);
    memory = 950 * kMB;
    lookAfter(1);
    // Pages go a few at a time; on a busy processor the rest go in the window's next turns.
    EXPECT_TRUE(testing_support::waitFor([&] { return states().count(D) == 3; }))
        << "down towards 0.6 of the budget";
}

TEST_F(TabMemoryTest, PagesGoAFewAtATimeWithTheWindowAnsweringBetween) {
    keeper.check();
    for (int i = 1; i <= 4; ++i)
        page(i)->lifeChangeMs = 10;
    memory = 5000 * kMB;
    lookAfter(2);
    const int atOnce = int(states().count(D));
    EXPECT_GE(atOnce, 1);
    EXPECT_LE(atOnce, 2);
    // Shown before its turn came, the last tab stays.
    tabs.switchByKeyboard(5);
    QCoreApplication::processEvents();
    EXPECT_EQ(states(), QList<LifeState>({A, D, D, D, A}));
}

TEST_F(TabMemoryTest, AllPagesSaveReadsDiscardedPagesAgainAndSaysSo) {
    page(1)->life = D;
    page(3)->life = D;
    commands::ExtractionRule rule;
    commands::PageSaver saver(context, rule);
    ASSERT_TRUE(testing_support::finish(saver.saveAllW()));
    EXPECT_EQ(page(1)->lifeState(), A);
    EXPECT_EQ(QDir(savePath).entryList(QDir::Files).size(), 4);
    EXPECT_EQ(panels.last["s2"],
              QString("所有打开网页已经保存到%1（2个网页为节省内存释放过，已重新载入后读取）")
                  .arg(savePath));
}

TEST(TabMemoryBudget, ASixteenthOfTheMachineBetweenHalfAndOneAndAHalfGigabytes) {
    EXPECT_EQ(shell::TabMemoryKeeper::defaultBudget(4096 * kMB), 512 * kMB);
    EXPECT_EQ(shell::TabMemoryKeeper::defaultBudget(16384 * kMB), 1024 * kMB);
    EXPECT_EQ(shell::TabMemoryKeeper::defaultBudget(65536 * kMB), 1536 * kMB);
    EXPECT_EQ(shell::TabMemoryKeeper::defaultBudget(0), 512 * kMB);
}

} // namespace
