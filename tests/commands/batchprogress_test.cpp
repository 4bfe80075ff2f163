#include "commands/save/pagesaver.h"
#include "commands/save/textsaver.h"
#include "shell/batchprogressbar.h"
#include "shell/downloadqueue.h"
#include "shell/loadqueue.h"
#include "support/commandfixture.h"
#include "support/commandwait.h"

#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using testing_support::FakeBrowserView;

class BatchProgressTest : public testing_support::CommandFixture {
protected:
    BatchProgressTest() { context.progress = &progress; }

    // Opens `count` more tabs with pages titled "Page 2", "Page 3", ...
    void openPages(int count) {
        for (int i = 0; i < count; ++i) {
            auto *view = static_cast<FakeBrowserView *>(
                tabs.openInNewTab(QUrl("http://h.example/"), true, true));
            const int n = tabs.viewCount();
            view->pageUrl = QUrl(QString("http://h.example/%1.htm").arg(n));
            view->pageTitle = QString("Page %1").arg(n);
            view->pageHtml = QString("<p>第%1页</p>").arg(n);
        }
    }
    QStringList files() { return QDir(saveDir.path()).entryList(QDir::Files, QDir::Name); }

    testing_support::FakeProgress progress;
};

TEST_F(BatchProgressTest, StoppingAnHtmlSaveHalfwaySavesNoMoreAndListsTheRest) {
    openPages(5);
    progress.stopAfter = 2;
    commands::ExtractionRule rule;
    commands::PageSaver saver(context, rule);
    ASSERT_TRUE(testing_support::finish(saver.saveAllW()));
    EXPECT_EQ(files(), QStringList({"Page5.htm", "Page6.htm"})); // from the last tab
    EXPECT_EQ(progress.totals, QList<int>({5}));
    EXPECT_EQ(progress.lines.first(), QString("已保存 1/5，已处理 1"));
    EXPECT_EQ(progress.ended, 1);
    EXPECT_EQ(panels.last["s2"], QString("已停止：已保存2个网页到%1，3个没有保存").arg(savePath));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "保存停止了，下面这些网页没有保存：\n"
                                     "http://h.example/4.htm\nhttp://h.example/3.htm\n"
                                     "http://h.example/2.htm");
}

TEST_F(BatchProgressTest, StoppingATextSaveHalfwaySavesNoMore) {
    openPages(3);
    tabs.selectTab(2);
    page(1)->selection = "News";
    progress.stopAfter = 1;
    commands::TextSaver texts(context);
    ASSERT_TRUE(testing_support::finish(texts.saveAllWText(false)));
    EXPECT_EQ(files(), QStringList({"News4.txt"}));
    EXPECT_EQ(panels.last["s2"], QString("已停止：已保存1个网页到%1，3个没有保存").arg(savePath));
}

// Ten links opened at once: six load, four wait; 停止 (or Esc) leaves the waiting ones.
TEST_F(BatchProgressTest, OpeningLinksShowsItsCountsAndStopsTheWaitingPages) {
    QWidget window;
    QStringList s2;
    shell::BatchProgressBar bar(&window,
                                [&](commands::Panel, const QString &text) { s2.append(text); });
    bar.follow(tabs.loadQueue());
    factory.viewsFinishLoads = false; // the test ends the loads
    QList<FakeBrowserView *> views;
    for (int i = 1; i <= 10; ++i)
        views.append(static_cast<FakeBrowserView *>(
            tabs.openHarvested(QUrl(QString("http://h.example/c%1.htm").arg(i)))));
    auto *line = bar.findChildren<QLabel *>().value(0);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text(), "已打开 0/10，正在载入 6，等待 4");
    EXPECT_FALSE(bar.isHidden());
    for (int i = 0; i < 2; ++i)
        emit views[i]->documentComplete(views[i]->pageUrl, true);
    EXPECT_EQ(line->text(), "已打开 2/10，正在载入 6，等待 2");

    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(line->text(), "已打开 2/10，正在载入 6，等待 0");
    for (int i = 2; i < 8; ++i)
        emit views[i]->documentComplete(views[i]->pageUrl, true);
    EXPECT_TRUE(views[8]->navigations.isEmpty());
    EXPECT_TRUE(views[9]->navigations.isEmpty());
    EXPECT_EQ(tabs.tabCount(), 11); // the tabs stay
    EXPECT_TRUE(bar.isHidden());
    EXPECT_EQ(s2.last(), "已停止：已打开 8 个网页，2 个没有打开：http://h.example/c9.htm "
                         "http://h.example/c10.htm");

    // The next batch starts from nothing; the button stops it as well.
    views.clear();
    for (int i = 1; i <= 7; ++i)
        views.append(
            static_cast<FakeBrowserView *>(tabs.openHarvested(QUrl("http://h.example/n"))));
    EXPECT_EQ(line->text(), "已打开 0/7，正在载入 6，等待 1");
    bar.findChild<QPushButton *>("batchStop")->click();
    for (int i = 0; i < 6; ++i)
        emit views[i]->documentComplete(views[i]->pageUrl, true);
    EXPECT_TRUE(views[6]->navigations.isEmpty());
    EXPECT_TRUE(s2.last().startsWith("已停止：已打开 6 个网页，1 个没有打开"));

    // Pages that could not be loaded are counted as such.
    views.clear();
    for (int i = 1; i <= 3; ++i)
        views.append(
            static_cast<FakeBrowserView *>(tabs.openHarvested(QUrl("http://h.example/f"))));
    for (int i = 0; i < 3; ++i)
        views[i]->finishLoad(i == 1);
    EXPECT_EQ(s2.last(), "已打开 3 个网页（其中 2 个打开失败）");
}

// Five files, three at a time: the bar counts them, and 停止 drops the ones still waiting.
TEST_F(BatchProgressTest, DownloadsShowTheirCountsAndStopDropsTheWaitingFiles) {
    QWidget window;
    QStringList s2;
    shell::BatchProgressBar bar(&window,
                                [&](commands::Panel, const QString &text) { s2.append(text); });
    shell::DownloadQueue queue(3);
    bar.followDownloads(queue);
    QList<QUrl> files;
    for (int i = 1; i <= 5; ++i)
        files.append(QUrl(QString("http://h.example/f%1.zip").arg(i)));
    queue.download(page(), files);
    auto *line = bar.findChildren<QLabel *>().value(0);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->text(), "已下载 0/5，正在下载 3，等待 2");
    EXPECT_FALSE(bar.isHidden());
    queue.ended(files[0]);
    EXPECT_EQ(line->text(), "已下载 1/5，正在下载 3，等待 1");
    bar.findChild<QPushButton *>("batchStop")->click();
    for (int i = 1; i <= 3; ++i)
        queue.ended(files[i]);
    EXPECT_EQ(page()->downloads, files.first(4)); // the fifth was never asked for
    EXPECT_TRUE(bar.isHidden());
    EXPECT_EQ(s2.last(), "已停止：已下载 4 个文件，1 个没有下载：http://h.example/f5.zip");

    // The next batch counts from nothing and ends with its own line.
    queue.download(page(), {QUrl("http://h.example/g.zip")});
    EXPECT_EQ(line->text(), "已下载 0/1，正在下载 1，等待 0");
    queue.ended(QUrl("http://h.example/g.zip"));
    EXPECT_EQ(s2.last(), "已下载 1 个文件");
}

// 停止 asks the batch to stop; the window goes on taking input between two pages (another
// command is refused by the runner, not by the bar), and no page is read inside the bar.
TEST_F(BatchProgressTest, StopAsksTheBatchToStopAndTheWindowStillTakesInput) {
    QWidget window;
    auto *other = new QPushButton("其他", &window);
    shell::BatchProgressBar bar(&window, [](commands::Panel, const QString &) {});
    int otherClicks = 0;
    QObject::connect(other, &QPushButton::clicked, [&] { ++otherClicks; });
    window.show();
    const auto click = [](QWidget *target) {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(
                target, new QMouseEvent(type, QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)),
                                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    };
    bar.begin(2);
    bar.advance(1, "已保存 1/2");
    click(other);
    QCoreApplication::processEvents();
    EXPECT_EQ(otherClicks, 1);
    EXPECT_FALSE(bar.stopRequested());
    click(bar.findChild<QPushButton *>("batchStop"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(bar.stopRequested());
    bar.end();
    EXPECT_TRUE(bar.isHidden());
}

// The status bar keeps one layout: the button beside the bar stays where it was before,
// during and after a batch, so a late click on 停止 never lands on it.
TEST_F(BatchProgressTest, TheButtonBesideTheBarNeverMoves) {
    QMainWindow window;
    window.resize(900, 300);
    auto *closeAll = new QPushButton("删除所有网页", &window);
    window.statusBar()->addPermanentWidget(closeAll);
    auto *bar = new shell::BatchProgressBar(&window, [](commands::Panel, const QString &) {});
    window.statusBar()->addPermanentWidget(bar);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto place = [&] {
        QCoreApplication::processEvents();
        return closeAll->mapTo(&window, QPoint(0, 0));
    };
    const QPoint before = place();
    bar->begin(120);
    bar->advance(60, "已保存 60/120，已处理 60，这一行很长很长很长很长很长很长很长很长很长");
    EXPECT_EQ(place(), before);
    bar->end();
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(place(), before);
}

} // namespace
