#include "shell/loadqueue.h"
#include "shell/seenlinks.h"
#include "support/commandfixture.h"
#include "support/waitfor.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

class SeenLinksTest : public testing_support::CommandFixture {
protected:
    QString recordPath = QDir(programDir.path()).filePath("seen.txt");
};

TEST_F(SeenLinksTest, OnlyNewLinksLeavesOutWhatWasOpenedOrSavedBefore) {
    auto *seen = new shell::SeenLinks(tabs, recordPath, panels, [this] { return savePath; });
    const QList<QUrl> chapters = {QUrl("http://h.example/1.htm"), QUrl("http://h.example/2.htm")};
    for (const QUrl &url : chapters)
        seen->openHarvested(url);
    seen->noteSaved(QUrl("http://h.example/3.htm"), "第三章.htm");
    ASSERT_TRUE(testing_support::waitFor([&] { return seen->record().size() == 3; }, 2000));
    EXPECT_EQ(tabs.tabCount(), 3);

    // Off by default: the same links open again.
    seen->openHarvested(chapters[0]);
    EXPECT_EQ(tabs.tabCount(), 4);

    // A later run of the program reads the record back.
    auto *again = new shell::SeenLinks(tabs, recordPath, panels, [this] { return savePath; });
    again->setOnlyNew(true);
    for (const char *url : {"http://h.example/1.htm", "http://h.example/2.htm",
                            "http://h.example/3.htm", "http://h.example/4.htm"})
        again->openHarvested(QUrl(url));
    EXPECT_EQ(tabs.tabCount(), 5); // only 4.htm
    ASSERT_TRUE(testing_support::waitFor(
        [&] { return panels.last["s2"] == QString("跳过3个打开过或保存过的链接"); }, 2000));
}

// A batch stopped halfway records only the pages that loaded; the next run of
// "只打开新的链接" opens the rest.
TEST_F(SeenLinksTest, AStoppedBatchRecordsOnlyThePagesThatLoaded) {
    factory.viewsFinishLoads = false;
    auto *seen = new shell::SeenLinks(tabs, recordPath, panels, [this] { return savePath; });
    QList<QUrl> links;
    for (int i = 1; i <= 10; ++i)
        links.append(QUrl(QString("http://s.example/%1.htm").arg(i)));
    QList<testing_support::FakeBrowserView *> views;
    for (const QUrl &url : links)
        views.append(static_cast<testing_support::FakeBrowserView *>(seen->openHarvested(url)));
    views[0]->finishLoad();
    views[1]->finishLoad(false); // failed: tried again next time
    views[2]->finishLoad();
    tabs.loadQueue().stopWaiting();
    delete seen; // what loaded is written when the program ends, too
    EXPECT_TRUE(views[9]->navigations.isEmpty());

    factory.viewsFinishLoads = true;
    shell::SeenLinks again(tabs, recordPath, panels, [this] { return savePath; });
    again.setOnlyNew(true);
    const int before = tabs.tabCount();
    for (const QUrl &url : links)
        again.openHarvested(url);
    EXPECT_EQ(tabs.tabCount() - before, 8);
}

TEST_F(SeenLinksTest, ATabWhosePageWasSavedInTheSaveFolderSaysSo) {
    auto *seen = new shell::SeenLinks(tabs, recordPath, panels, [this] { return savePath; });
    auto *view = static_cast<testing_support::FakeBrowserView *>(
        tabs.openInNewTab(QUrl("http://h.example/5.htm"), true, true));
    view->pageUrl = QUrl("http://h.example/5.htm");
    seen->noteSaved(view->pageUrl, "第五章.htm");
    tabs.selectTab(1);
    tabs.selectTab(2);
    EXPECT_EQ(panels.of("s2"), QStringList({"已保存过：第五章.htm"}));
    savePath = QDir(saveDir.path()).filePath("other"); // saved elsewhere: nothing to say
    tabs.selectTab(1);
    tabs.selectTab(2);
    EXPECT_EQ(panels.of("s2").size(), 1);
}

} // namespace
