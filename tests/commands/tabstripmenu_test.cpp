// The tab strip's mouse and its menu, whose entries come from the command table, clicked as
// the platform delivers the clicks.
#include "shell/mainwindow.h"
#include "shell/tabmanager.h"
#include "shell/tabstripmenu.h"
#include "shell/windowentries.h"
#include "support/fakebrowserview.h"
#include "support/fakedialogs.h"
#include "support/tabhelpers.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using testing_support::FakeBrowserView;

// Clicks as the platform delivers them: through the window, so a double click arrives as
// press, release, double-click, release.
class TabStripClicks : public ::testing::Test, protected testing_support::TabHelpers {
protected:
    TabStripClicks() {
        useTabs(tabs);
        window.resize(900, 600);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    // The window's own platform window: clicks go where the platform sends them.
    QWindow *handle() { return window.windowHandle(); }
    // The bar is hidden while tabs open in a row, and laid out once they stop.
    QPoint centreOf(int position) {
        EXPECT_TRUE(QTest::qWaitFor([this] { return tabs.tabBar()->isVisible(); }));
        return tabs.tabBar()->mapTo(&window, tabs.tabBar()->tabRect(position - 1).center());
    }
    void rightClick(int position) {
        QTest::mousePress(handle(), Qt::RightButton, {}, centreOf(position));
        QTest::mouseRelease(handle(), Qt::RightButton, {}, centreOf(position));
    }
    void chooseFromMenu(const char *key) {
        QMenu *menu = tabs.stripMenu().menu();
        // The menu pops up from the platform's context-menu event, which may come later.
        ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        auto *action = menu->findChild<QAction *>(key);
        ASSERT_NE(action, nullptr);
        menu->hide();
        action->trigger();
        settle();
    }
    QTemporaryDir programDir;
    testing_support::FakeViewFactory factory;
    testing_support::FakeDialogs dialogs;
    shell::MainWindow window{common::ProgramFolder(programDir.path()), factory, &dialogs};
    shell::TabManager &tabs = window.tabs();
    QStringList addresses;
    QMetaObject::Connection recorder =
        QObject::connect(&tabs, &shell::TabManager::addressChanged,
                         [this](const QString &a) { addresses.append(a); });
};

TEST_F(TabStripClicks, ADoubleClickClosesTheTabClickedEvenWhenAnotherIsSelected) {
    pageOpensWindow(0, "http://a.example/1");
    pageOpensWindow(0, "http://a.example/2");
    tabs.selectTab(2);
    QTest::mouseDClick(handle(), Qt::LeftButton, {}, centreOf(3));
    settle();
    EXPECT_EQ(keys(), QStringList({"WebPage1", "WebPage2"}));
    // A single click closes nothing.
    QTest::mouseClick(handle(), Qt::LeftButton, {}, centreOf(2), 1000);
    settle();
    EXPECT_EQ(tabs.tabCount(), 2);
}

TEST_F(TabStripClicks, TheTabMenuActsOnTheTabUnderTheMouseAndNamesTheFile) {
    QTemporaryDir dir;
    QStringList paths;
    for (const char *name : {"A.htm", "B.htm"}) {
        paths.append(dir.filePath(name));
        QFile file(paths.last());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        tabs.openInNewTab(QUrl::fromLocalFile(paths.last()), true);
    }
    tabs.selectTab(2); // A.htm shown
    rightClick(3);     // on B.htm
    chooseFromMenu("DeleteFromHard");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.contains(paths[1]));
    EXPECT_TRUE(QFile::exists(paths[0]));
    EXPECT_FALSE(QFile::exists(paths[1]));
    EXPECT_EQ(keys(), QStringList({"WebPage1", "WebPage2"}));
    EXPECT_EQ(tabs.currentView(), tabs.viewAt(1));

    // "删除这个网页" on a tab that is not selected closes that tab; the address box then
    // shows the page of the tab that stays shown, though the right press holds the gate.
    tabs.openInNewTab(QUrl("http://a.example/3"), true);
    addresses.clear();
    rightClick(1);
    chooseFromMenu("deleteThis"); // the first tab is never closed
    rightClick(3);
    chooseFromMenu("deleteThis");
    EXPECT_EQ(keys(), QStringList({"WebPage1", "WebPage2"}));
    EXPECT_EQ(tabs.currentView(), tabs.viewAt(1));
    ASSERT_FALSE(addresses.isEmpty());
    EXPECT_EQ(addresses.last(), QUrl::fromLocalFile(paths[0]).toString());
}

// Ctrl+Shift+T works whenever something was closed, whatever the menu showed last time.
TEST_F(TabStripClicks, ReopeningFollowsTheClosedTabsAndEveryCloseSaysSo) {
    QStringList s2;
    QObject::connect(&tabs, &shell::TabManager::panelTextChanged,
                     [&](commands::Panel, const QString &text) { s2.append(text); });
    QAction *reopen = window.entries().action("reopenClosed");
    pageOpensWindow(0, "http://a.example/1");
    rightClick(2);
    tabs.stripMenu().menu()->hide();
    EXPECT_FALSE(reopen->isEnabled());
    tabs.closeTab(2);
    EXPECT_TRUE(reopen->isEnabled());
    reopen->trigger();
    settle();
    EXPECT_EQ(tabs.tabCount(), 2);
    EXPECT_FALSE(reopen->isEnabled());

    // "从硬盘上删除这个网页" on a page from the web says so, closes the tab only, and the tab
    // comes back.
    dialogs.answers = {commands::Dialogs::Answer::Ok};
    tabs.deleteFromDisk(2);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.startsWith("这个网页不在硬盘上"));
    EXPECT_EQ(tabs.tabCount(), 1);
    EXPECT_TRUE(s2.last().contains("http://a.example/1"));
    EXPECT_TRUE(reopen->isEnabled());

    pageOpensWindow(0, "http://a.example/2");
    tabs.closeAllUnmarked();
    EXPECT_EQ(s2.last(), "已关闭 1 个网页，按 Ctrl+Shift+T 可以把它们重新打开");
    reopen->trigger();
    settle();
    reopen->trigger();
    settle();
    EXPECT_EQ(tabs.records().size(), 2);
}

TEST_F(TabStripClicks, ClosingTheShownTabShowsItsNeighbourInTheAddressBox) {
    pageOpensWindow(0, "http://a.example/1");
    pageOpensWindow(0, "http://a.example/2");
    tabs.selectTab(3);
    rightClick(3);
    chooseFromMenu("deleteThis");
    EXPECT_EQ(tabs.currentView(), tabs.viewAt(1));
    EXPECT_EQ(tabs.stack()->currentWidget(), view(1)->widget());
    EXPECT_EQ(addresses.last(), "http://a.example/1");
    // A navigation inside the shown tab reaches the address box and the caption.
    QString caption;
    QObject::connect(&tabs, &shell::TabManager::windowCaptionChanged,
                     [&](const QString &text) { caption = text; });
    view(1)->pageUrl = QUrl("http://a.example/next");
    view(1)->pageTitle = QString::fromUtf8("下一页");
    emit view(1)->documentComplete(view(1)->pageUrl, true);
    EXPECT_EQ(addresses.last(), "http://a.example/next");
    EXPECT_TRUE(caption.endsWith(QString::fromUtf8("下一页")));
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(TabStripClicks, TheWindowKeepsPaintingWhileABatchOpensOnABusyProcessor) {
    // Two threads keep both processors busy, as hundreds of loading pages do.
    std::atomic<bool> busy{true};
    std::vector<std::thread> load;
    for (int i = 0; i < 2; ++i)
        load.emplace_back([&busy] {
            volatile unsigned spins = 0;
            while (busy)
                spins = spins + 1;
        });
    bool painting = true;
    for (int i = 0; i < 1500; ++i) {
        tabs.addBackgroundTab();
        painting = painting && window.updatesEnabled() && window.centralWidget()->updatesEnabled();
        if (i % 40 == 0) // a batch lets the window answer between its tabs
            QCoreApplication::processEvents();
    }
    EXPECT_TRUE(painting);
    PaintCounter counter;
    window.statusBar()->installEventFilter(&counter);
    window.statusBar()->showMessage(QString::fromUtf8("已打开 1500/1500"));
    // The end of the batch reaches the screen, the bar laid out again (it is laid out every
    // 250 ms; the wait is longer only so that a loaded machine does not fail the test).
    EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0 && tabs.tabBar()->isVisible(); }));
    EXPECT_EQ(tabs.tabBar()->count(), 1501);
    busy = false;
    for (std::thread &thread : load)
        thread.join();
}

} // namespace
