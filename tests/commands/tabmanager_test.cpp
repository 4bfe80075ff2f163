#include "shell/tabmanager.h"
#include "support/fakebrowserview.h"
#include "support/fakedialogs.h"
#include "support/tabhelpers.h"

#include "shell/tabstripmenu.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSet>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using testing_support::FakeBrowserView;

class TabManagerTest : public ::testing::Test, protected testing_support::TabHelpers {
protected:
    TabManagerTest() : tabs(factory, dialogs, favourites) {
        useTabs(tabs);
        tabs.setToggleReader([this](const QString &key) { return toggles.contains(key); });
        tabs.createFirstTab();
        tabs.tabBar()->resize(800, 30);
    }

    testing_support::FakeViewFactory factory;
    testing_support::FakeDialogs dialogs;
    QUrl favourites = QUrl::fromLocalFile("/program/link.htm");
    shell::TabManager tabs;
    QSet<QString> toggles;
};

TEST_F(TabManagerTest, StartsWithTheFirstTabOnViewZero) {
    EXPECT_EQ(keys(), QStringList({"WebPage1"}));
    EXPECT_EQ(tabs.currentView(), tabs.viewAt(0));
    EXPECT_EQ(tabs.viewCount(), 1);
}

TEST_F(TabManagerTest, PageWindowsBecomeBackgroundTabsUnderTheGuardAndTheThrottle) {
    QStringList s4;
    QObject::connect(&tabs, &shell::TabManager::panelTextChanged,
                     [&](commands::Panel panel, const QString &text) {
                         if (panel == commands::Panel::TabCount)
                             s4.append(text);
                     });
    pageOpensWindow(0, "http://a.example/1");
    EXPECT_EQ(keys(), QStringList({"WebPage1", "WebPage2"}));
    EXPECT_EQ(view(1)->navigations, QList<QUrl>({QUrl("http://a.example/1")}));
    EXPECT_EQ(tabs.currentView(), tabs.viewAt(0)); // not selected
    pageOpensWindow(0, "http://a.example/1", 0.1); // the same address again
    pageOpensWindow(0, "http://a.example/2", 0.5); // too soon after the last tab
    EXPECT_EQ(tabs.tabCount(), 2);
    pageOpensWindow(0, "http://a.example/3", 0.8);
    EXPECT_EQ(keys(), QStringList({"WebPage1", "WebPage2", "WebPage3"}));
    EXPECT_EQ(s4, QStringList({"2", "3"}));
    EXPECT_EQ(tabs.newestView(), 2);
}

TEST_F(TabManagerTest, ClosingAMiddleTabKeepsKeysAndViewNumbers) {
    pageOpensWindow(0, "http://a.example/1");
    pageOpensWindow(0, "http://a.example/2");
    tabs.selectTab(2);
    tabs.closeCurrent();
    EXPECT_EQ(keys(), QStringList({"WebPage1", "WebPage3"}));
    EXPECT_EQ(tabs.viewAt(1), nullptr);
    ASSERT_NE(view(2), nullptr);
    tabs.selectTab(2);
    EXPECT_EQ(tabs.currentView(), tabs.viewAt(2));
    EXPECT_EQ(tabs.stack()->currentWidget(), view(2)->widget());
    // After a close the same address may open again, and view numbers are not reused.
    pageOpensWindow(0, "http://a.example/2");
    EXPECT_EQ(keys(), QStringList({"WebPage1", "WebPage3", "WebPage4"}));
}

TEST_F(TabManagerTest, TheFirstTabAndViewZeroAreNeverClosed) {
    tabs.closeCurrent();
    EXPECT_EQ(keys(), QStringList({"WebPage1"}));
    ASSERT_NE(tabs.viewAt(0), nullptr);
    pageOpensWindow(0, "http://a.example/1");
    pageOpensWindow(0, "http://a.example/2");
    pageOpensWindow(0, "http://a.example/3");
    tabs.selectTab(3);
    tabs.markCurrent();
    tabs.closeAllUnmarked();
    EXPECT_EQ(keys(), QStringList({"WebPage1", "WebPage3"}));
    EXPECT_EQ(tabs.currentView(), tabs.viewAt(tabs.currentViewNumber() - 1));
    EXPECT_EQ(tabs.stack()->currentWidget(), tabs.currentView()->widget());
}

TEST_F(TabManagerTest, CommandsOpenTabsAndARefusedRequestNavigatesTheNewestView) {
    auto *first = tabs.openInNewTab(QUrl("http://b.example/1"));
    EXPECT_EQ(first, tabs.viewAt(1));
    auto *second = tabs.openInNewTab(QUrl("http://b.example/2")); // throttled
    EXPECT_EQ(second, first);
    EXPECT_EQ(view(1)->navigations.size(), 2);
    // The same address as the last new tab is refused even past the throttle...
    EXPECT_EQ(tabs.openInNewTab(QUrl("http://b.example/2"), true), first);
    // ...another one is not, and neither is the same one once the caller resets the guard.
    auto *third = tabs.openInNewTab(QUrl("http://b.example/3"), true, true);
    EXPECT_EQ(third, tabs.viewAt(2));
    auto *again = tabs.openInNewTab(QUrl("http://b.example/3"), true);
    EXPECT_EQ(again, tabs.viewAt(3));
    auto *blank =
        static_cast<FakeBrowserView *>(tabs.openInNewTab(QUrl("about:blank"), true, true));
    EXPECT_EQ(blank, tabs.viewAt(4));
    EXPECT_TRUE(blank->navigations.isEmpty());
}

TEST_F(TabManagerTest, AnAddressOpensInANewTabAfterASwitchBackToTheFirstTab) {
    view(0)->pageUrl = favourites;
    emit view(0)->documentComplete(favourites, true);
    tabs.openInNewTab(QUrl("http://e.example/a"));
    emit view(1)->documentComplete(QUrl("http://e.example/a"), true);
    tabs.switchByKeyboard(1); // the last link address is the favourites page's again
    clock += 1;
    tabs.openInNewTab(QUrl("http://e.example/b"));
    ASSERT_EQ(tabs.tabCount(), 3);
    EXPECT_EQ(view(1)->navigations, QList<QUrl>({QUrl("http://e.example/a")})); // untouched
}

TEST_F(TabManagerTest, WithTheNewToggleAFollowedLinkOpensInANewTab) {
    toggles.insert("new");
    emit view(0)->statusTextChanged("http://c.example/next");
    EXPECT_FALSE(view(0)->requestNavigation(QUrl("http://c.example/next")));
    settle();
    ASSERT_EQ(tabs.tabCount(), 2);
    EXPECT_EQ(view(1)->navigations, QList<QUrl>({QUrl("http://c.example/next")}));
    // The new tab's own navigation passes, and so do script navigations while no link shows.
    EXPECT_TRUE(view(1)->requestNavigation(QUrl("http://c.example/next"), true));
    emit view(0)->statusTextChanged("");
    EXPECT_TRUE(view(0)->requestNavigation(QUrl("http://c.example/script")));
    toggles.clear();
    emit view(0)->statusTextChanged("http://c.example/other");
    EXPECT_TRUE(view(0)->requestNavigation(QUrl("http://c.example/other")));
}

TEST_F(TabManagerTest, LinksFollowedOnTheFavouritesPageOpenInNewTabsAfterStartUp) {
    tabs.navigationPolicy().setStartupGuard(true);
    view(0)->pageUrl = favourites;
    EXPECT_TRUE(view(0)->requestNavigation(favourites)); // the start-up load
    EXPECT_FALSE(view(0)->requestNavigation(QUrl("http://d.example/")));
    settle();
    ASSERT_EQ(tabs.tabCount(), 2);
    EXPECT_EQ(view(1)->navigations, QList<QUrl>({QUrl("http://d.example/")}));
    EXPECT_EQ(tabs.currentView(), view(1)); // a favourite clicked comes to the front

    // A page loading behind the favourites keeps its frames and its own navigations.
    tabs.selectTab(1);
    clock += 5;
    EXPECT_TRUE(view(1)->requestNavigation(QUrl("http://d.example/frame.htm"), false, false));
    EXPECT_TRUE(view(1)->requestNavigation(QUrl("http://d.example/moved")));
    settle();
    EXPECT_EQ(tabs.tabCount(), 2);
}

TEST_F(TabManagerTest, AFavouriteOpensInANewTabEvenRightAfterTheFavouritesReload) {
    tabs.navigationPolicy().setStartupGuard(false);
    view(0)->pageUrl = favourites;
    emit view(0)->documentComplete(favourites, true); // the last link address: the favourites
    tabs.openInNewTab(QUrl("http://d.example/first"));
    emit view(0)->documentComplete(favourites, true); // reloaded after an edit
    clock += 1;
    EXPECT_FALSE(view(0)->requestNavigation(QUrl("http://d.example/second")));
    settle();
    ASSERT_EQ(tabs.tabCount(), 3);
    EXPECT_EQ(view(1)->navigations, QList<QUrl>({QUrl("http://d.example/first")})); // untouched
    EXPECT_EQ(view(2)->navigations, QList<QUrl>({QUrl("http://d.example/second")}));
}

TEST_F(TabManagerTest, HoverOpensEachNewLinkOnceWithTheOpeniToggle) {
    toggles.insert("openi");
    view(0)->pageUrl = QUrl("http://e.example/shown");
    emit view(0)->statusTextChanged("http://e.example/shown"); // already in a tab
    settle();
    EXPECT_EQ(tabs.tabCount(), 1);
    emit view(0)->statusTextChanged("http://e.example/new");
    settle();
    emit view(0)->statusTextChanged("http://e.example/new");
    settle();
    EXPECT_EQ(tabs.tabCount(), 2);
}

TEST_F(TabManagerTest, ClosedTabsAndBatchesComeBackInOrderWithTheirMarks) {
    for (int i = 1; i <= 4; ++i)
        tabs.openInNewTab(QUrl(QString("http://r.example/%1").arg(i)), true, true);
    tabs.markTab(3);
    tabs.closeTab(2);
    EXPECT_TRUE(tabs.reopenClosed());
    EXPECT_EQ(tabs.currentPosition(), tabs.tabCount());
    EXPECT_EQ(tabs.tabKeyAt(tabs.tabCount()), "WebPage6");

    const QList<browser::TabRecord> before = tabs.records();
    tabs.closeAllUnmarked();
    ASSERT_EQ(tabs.tabCount(), 2); // the first and the marked one
    EXPECT_TRUE(tabs.reopenClosed());
    QList<browser::TabRecord> after = tabs.records();
    ASSERT_EQ(after.size(), before.size());
    // The marked tab stayed where it was; the batch comes back behind it, in its old order.
    QStringList order;
    for (const browser::TabRecord &record : after)
        order.append(record.url.toString() + (record.marked ? "*" : ""));
    EXPECT_EQ(order, QStringList({"http://r.example/2*", "http://r.example/3", "http://r.example/4",
                                  "http://r.example/1"}));
    EXPECT_TRUE(tabs.closedTabs().isEmpty());
    EXPECT_FALSE(tabs.reopenClosed());
}

TEST_F(TabManagerTest, OnlyTheShownPageReportsItsLoadInS2) {
    QStringList s2;
    QObject::connect(&tabs, &shell::TabManager::panelTextChanged,
                     [&](commands::Panel panel, const QString &text) {
                         if (panel == commands::Panel::Message)
                             s2.append(text);
                     });
    tabs.openInNewTab(QUrl("http://l.example/behind"));
    emit view(1)->documentComplete(QUrl("http://l.example/behind"), true);
    EXPECT_TRUE(s2.isEmpty());
    view(0)->pageUrl = QUrl("http://l.example/shown");
    emit view(0)->documentComplete(view(0)->pageUrl, true);
    EXPECT_EQ(s2, QStringList({QString::fromUtf8("http://l.example/shown下载完成")}));
    view(0)->pageUrl = QUrl("http://l.example/gone");
    view(0)->finishLoad(false, "net::ERR_NAME_NOT_RESOLVED");
    EXPECT_EQ(s2.last(), "打开失败：net::ERR_NAME_NOT_RESOLVED（http://l.example/gone）");
}

TEST_F(TabManagerTest, OnlyTheLastTwentyClosesAreKept) {
    for (int i = 0; i < 25; ++i) {
        tabs.openInNewTab(QUrl(QString("http://n.example/%1").arg(i)), true, true);
        tabs.closeTab(2);
    }
    int reopened = 0;
    while (tabs.reopenClosed())
        ++reopened;
    EXPECT_EQ(reopened, 20);
    EXPECT_EQ(tabs.records().first().url, QUrl("http://n.example/24"));
}

TEST_F(TabManagerTest, TabsShowTheirNumberTitleMarkAndAddress) {
    auto *page = static_cast<FakeBrowserView *>(tabs.openInNewTab(QUrl("http://t.example/3")));
    page->pageTitle = QString::fromUtf8("第三章 雨夜");
    emit page->titleChanged(page->pageTitle);
    tabs.refreshCaptions();
    EXPECT_EQ(tabs.tabBar()->tabText(1), QString::fromUtf8("2 第三章 雨夜"));
    EXPECT_EQ(tabs.tabKeyAt(2), "WebPage2");
    EXPECT_TRUE(tabs.tabBar()->tabToolTip(1).contains("http://t.example/3"));
    emit page->loadStarted();
    tabs.refreshCaptions();
    EXPECT_FALSE(tabs.tabBar()->tabIcon(1).isNull());
    emit page->documentComplete(page->pageUrl, true);
    tabs.markTab(2);
    tabs.refreshCaptions();
    EXPECT_TRUE(tabs.tabBar()->tabIcon(1).isNull());
    EXPECT_TRUE(tabs.tabBar()->tabText(1).startsWith(QString::fromUtf8("★2 ")));
    page->pageTitle = QString(200, QChar(u'长'));
    emit page->titleChanged(page->pageTitle);
    tabs.refreshCaptions();
    EXPECT_LT(tabs.tabBar()->tabText(1).size(), 60);
}

TEST_F(TabManagerTest, DeleteFromHardRemovesTheTabAndItsFileAfterConfirmation) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromUtf8("我的 网页.htm"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    auto *page = static_cast<FakeBrowserView *>(tabs.openInNewTab(QUrl::fromLocalFile(path)));
    tabs.selectTab(2);
    dialogs.answers = {commands::Dialogs::Answer::Cancel};
    tabs.deleteCurrentFromDisk();
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(tabs.tabCount(), 2);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.startsWith(
        QString::fromUtf8("将从硬盘上彻底删除这个网页，你确定吗？")));
    EXPECT_TRUE(dialogs.shown[0].text.contains(path));
    EXPECT_EQ(page->url().toString(QUrl::FullyEncoded).count("%20"), 1);
    tabs.deleteCurrentFromDisk();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(tabs.tabCount(), 1);
    EXPECT_EQ(dialogs.shown.size(), 2);       // the question only: the deletion worked
    EXPECT_TRUE(tabs.closedTabs().isEmpty()); // its file is gone: nothing to reopen
}

TEST_F(TabManagerTest, AFailedDeletionIsReported) {
    tabs.openInNewTab(QUrl::fromLocalFile("/nonexistent/lumaro/x.htm"));
    tabs.selectTab(2);
    tabs.deleteCurrentFromDisk();
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_TRUE(dialogs.shown[1].text.contains("/nonexistent/lumaro/x.htm"));
}

// The first tab never closes: "deleting" its page from the web keeps nothing for reopening,
// which would open the page a second time.
TEST_F(TabManagerTest, DeletingTheFirstTabsWebPageKeepsNothingForReopening) {
    view(0)->pageUrl = QUrl("http://f.example/");
    tabs.deleteFromDisk(1);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(tabs.tabCount(), 1);
    EXPECT_TRUE(tabs.closedTabs().isEmpty());
}

} // namespace
