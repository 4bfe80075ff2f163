// One command at a time: the runner, hand-overs from other starts, and batches that hold their
// tabs by identity while they wait for pages.
#include "commands/commandrunner.h"
#include "commands/save/pagesaver.h"
#include "shell/batchprogressbar.h"
#include "shell/commands.h"
#include "shell/instanceserver.h"
#include "shell/loadqueue.h"
#include "shell/mainwindow.h"
#include "shell/seenlinks.h"
#include "support/commandfixture.h"
#include "support/commandwait.h"
#include "support/fakebrowserview.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using testing_support::FakeBrowserView;

// A command that waits until it is let go.
common::Task<> waitUntil(std::shared_ptr<bool> go, QStringList *log, QString name) {
    log->append(name + " begins");
    while (!*go)
        co_await common::nextTurn(5);
    log->append(name + " ends");
}

TEST(CommandRunner, RunsOneCommandAtATimeAndTheQueuedOnesInOrder) {
    commands::CommandRunner runner;
    QStringList log;
    auto go = std::make_shared<bool>(false);
    ASSERT_TRUE(runner.runNow("a", [&] { return waitUntil(go, &log, "a"); }));
    EXPECT_TRUE(runner.isBusy());
    EXPECT_EQ(runner.running(), "a");
    EXPECT_FALSE(runner.runNow("b", [&] { return waitUntil(go, &log, "b"); })); // refused
    bool cDone = false;
    runner.enqueue(
        "c", [&] { return waitUntil(go, &log, "c"); }, [&] { cDone = true; });
    runner.enqueue("d", commands::CommandRunner::now([&] { log.append("d"); }));
    testing_support::pause(30);
    EXPECT_EQ(log, QStringList({"a begins"})); // nothing runs inside "a"
    EXPECT_FALSE(cDone);
    *go = true;
    ASSERT_TRUE(
        testing_support::waitFor([&] { return !runner.isBusy() && runner.waiting() == 0; }));
    EXPECT_EQ(log, QStringList({"a begins", "a ends", "c begins", "c ends", "d"}));
    EXPECT_TRUE(cDone);
}

// An answer that comes late, or never (made outside the coroutine: g++ 12 destroys the
// temporaries of a co_await expression twice).
common::Answer<bool> lateAnswer(std::function<void(bool)> *answerLater) {
    return common::Answer<bool>(
        [answerLater](std::function<void(bool)> reply) { *answerLater = std::move(reply); }, false,
        60000, true);
}

// A command waiting for that answer; `ended` is set when its frame goes, whichever way.
common::Task<> waitForAnswer(std::function<void(bool)> *answerLater, bool *ended, QString *result) {
    const auto guard = qScopeGuard([ended] { *ended = true; });
    const bool answer = co_await lateAnswer(answerLater);
    *result = answer ? "stopped" : "answered";
}

TEST(CommandRunner, OwnsTheCommandItRunsAndEndsItsWaitOnRequest) {
    std::function<void(bool)> answerLater;
    bool ended = false;
    QString result;
    {
        commands::CommandRunner runner;
        // 停止: the wait ends at once with its "stopped" answer, not when its minute is up.
        ASSERT_TRUE(
            runner.runNow("a", [&] { return waitForAnswer(&answerLater, &ended, &result); }));
        runner.stopWaits();
        ASSERT_TRUE(testing_support::waitFor([&] { return !runner.isBusy(); }));
        EXPECT_EQ(result, "stopped");
        EXPECT_TRUE(ended);

        // The window goes while a command waits: its frame is destroyed, its guards run, and
        // an answer coming afterwards resumes nothing.
        ended = false;
        result.clear();
        bool queuedRan = false;
        ASSERT_TRUE(
            runner.runNow("b", [&] { return waitForAnswer(&answerLater, &ended, &result); }));
        runner.enqueue("c", commands::CommandRunner::now([&] { queuedRan = true; }));
        EXPECT_FALSE(ended);
    }
    EXPECT_TRUE(ended);
    answerLater(false);
    testing_support::pause(20); // the resume it would have asked for has had its turn
    EXPECT_TRUE(result.isEmpty());
}

class OneCommandAtATime : public ::testing::Test {
protected:
    OneCommandAtATime() {
        window = std::make_unique<shell::MainWindow>(common::ProgramFolder(programDir.path()),
                                                     factory, &dialogs);
        window->setSavePath(saveDir.path());
        for (int n = 2; n <= 4; ++n) {
            auto *view = static_cast<FakeBrowserView *>(
                window->tabs().openInNewTab(QUrl("http://h.example/"), true, true));
            view->pageUrl = QUrl(QString("http://h.example/%1.htm").arg(n));
            view->pageTitle = QString("Page %1").arg(n);
            view->pageHtml = QString("<p>第%1页</p>").arg(n);
            view->finishLoad();
            view->answerDelayMs = 200; // busy with a script: the save waits for each
        }
    }
    QStringList files() const { return QDir(saveDir.path()).entryList(QDir::Files); }
    shell::Commands &commands() { return window->commands(); }

    QTemporaryDir programDir;
    QTemporaryDir saveDir;
    testing_support::FakeViewFactory factory;
    testing_support::FakeDialogs dialogs;
    std::unique_ptr<shell::MainWindow> window;
};

// A click on another entry while a save runs is refused and says what runs; keys and addresses
// handed over by other starts run after it, in the order they came, never inside it.
TEST_F(OneCommandAtATime, EntriesWaitOrAreRefusedWhileASaveRuns) {
    commands().runMenuEntry("saveallo");
    ASSERT_TRUE(commands().runner().isBusy());
    commands().runMenuEntry("deletealls");
    EXPECT_EQ(window->tabs().tabCount(), 4);
    EXPECT_TRUE(window->panelText("s2").contains("SaveAllW"))
        << window->panelText("s2").toStdString();
    EXPECT_TRUE(window->panelText("s2").contains(QString::fromUtf8("停止")));

    bool keyRan = false;
    ASSERT_TRUE(shell::carryOut(*window, {{}, "deletealls"}, [&] { keyRan = true; }));
    ASSERT_TRUE(shell::carryOut(*window, {{QUrl("http://later.example/")}, {}}));
    EXPECT_FALSE(shell::carryOut(*window, {{}, "nosuchkey"}));
    testing_support::pause(20);
    EXPECT_EQ(window->tabs().tabCount(), 4); // nothing ran inside the save
    EXPECT_FALSE(keyRan);
    ASSERT_TRUE(testing_support::untilIdle(commands(), 20000));
    EXPECT_TRUE(keyRan);
    // The key closed every tab, then the address opened in a tab of its own.
    ASSERT_EQ(window->tabs().tabCount(), 2);
    EXPECT_EQ(static_cast<FakeBrowserView *>(window->tabs().viewAtPosition(2))->navigations,
              QList<QUrl>({QUrl("http://later.example/")}));
}

// A tab closed while the save waits for its page is reported, and never touched again.
TEST_F(OneCommandAtATime, ATabClosedDuringASaveIsListedAndTheOthersAreSaved) {
    commands().runMenuEntry("saveallo");
    ASSERT_TRUE(commands().runner().isBusy());
    auto *doomed = static_cast<FakeBrowserView *>(window->tabs().viewAtPosition(3));
    window->tabs().closeTab(3); // as a tab closed by its page or by the user
    (void)doomed;
    ASSERT_TRUE(testing_support::untilIdle(commands(), 20000));
    EXPECT_EQ(files().size(), 2) << files().join(',').toStdString();
    ASSERT_FALSE(dialogs.messageTexts().isEmpty());
    EXPECT_TRUE(dialogs.messageTexts().last().contains(QString::fromUtf8("网页在保存前被关闭了")))
        << dialogs.messageTexts().last().toStdString();
}

// 停止 during a save whose page never answers ends the save now, and says what was left.
TEST_F(OneCommandAtATime, StopEndsASaveThatWaitsForAPageThatNeverAnswers) {
    for (int position = 2; position <= 4; ++position)
        static_cast<FakeBrowserView *>(window->tabs().viewAtPosition(position))->answerDelayMs =
            60000;
    commands().runMenuEntry("saveallo");
    ASSERT_TRUE(commands().runner().isBusy());
    auto *bar = window->findChild<shell::BatchProgressBar *>();
    ASSERT_NE(bar, nullptr);
    bar->stop();
    ASSERT_TRUE(testing_support::waitFor([&] { return !commands().runner().isBusy(); }));
    EXPECT_TRUE(files().isEmpty());
    ASSERT_FALSE(dialogs.messageTexts().isEmpty());
    EXPECT_TRUE(dialogs.messageTexts().last().contains("h.example/2.htm"))
        << dialogs.messageTexts().last().toStdString();
}

// The window closed while a command waits for a page: the command goes with it, nothing of it
// runs afterwards (the sanitizer build watches the frame's memory).
TEST_F(OneCommandAtATime, AWindowClosedDuringAWaitTakesTheCommandWithIt) {
    static_cast<FakeBrowserView *>(window->tabs().viewAtPosition(2))->answerDelayMs = 300;
    commands().runMenuEntry("saveallo");
    ASSERT_TRUE(commands().runner().isBusy());
    window.reset();
    testing_support::pause(400); // past the moment the page would have answered
    EXPECT_TRUE(files().isEmpty());
}

class BatchWaitsForPages : public testing_support::CommandFixture {
protected:
    BatchWaitsForPages() {
        factory.viewsFinishLoads = false;
        context.noteSaved = [this](const QUrl &url, const QString &) { noted.append(url); };
    }
    QStringList files() const { return QDir(saveDir.path()).entryList(QDir::Files); }
    commands::ExtractionRule rule;
    commands::PageSaver pages{context, rule};
    QList<QUrl> noted;
};

// Tabs that the load queue has not started hold nothing: the save waits for their pages,
// writes them once they arrive, and never writes an empty file.
TEST_F(BatchWaitsForPages, ASaveWaitsForTabsStillInTheLoadQueue) {
    tabs.loadQueue().setLimit(1);
    for (int n = 1; n <= 3; ++n)
        tabs.openHarvested(QUrl(QString("http://h.example/%1.htm").arg(n)));
    for (int n = 1; n <= 3; ++n) {
        FakeBrowserView *view = page(n);
        view->pageTitle = QString("Page %1").arg(n);
        view->pageHtml = QString("<p>第%1页</p>").arg(n);
    }
    EXPECT_FALSE(page(3)->queuedAddress().isEmpty());
    bool done = false;
    pages.saveAllW().start([&] { done = true; });
    // The pages arrive one after another, while the save waits.
    for (int n = 1; n <= 3; ++n) {
        testing_support::pause(30);
        EXPECT_FALSE(done);
        page(n)->finishLoad();
    }
    ASSERT_TRUE(testing_support::waitFor([&] { return done; }));
    EXPECT_EQ(files(), QStringList({"Page1.htm", "Page2.htm", "Page3.htm"}));
    for (const QString &name : files())
        EXPECT_GT(QFileInfo(QDir(saveDir.path()).filePath(name)).size(), 40) << name.toStdString();
    EXPECT_EQ(noted.size(), 3);
}

// A tab whose page never arrives (its load stopped before its turn) is listed, not saved,
// and not recorded as saved.
TEST_F(BatchWaitsForPages, ATabThatNeverGetsItsPageIsListedAsNotSaved) {
    tabs.loadQueue().setLimit(1);
    tabs.openHarvested(QUrl("http://h.example/1.htm"));
    tabs.openHarvested(QUrl("http://h.example/2.htm"));
    tabs.loadQueue().stopWaiting(); // the second never loads: its tab stays empty
    page(1)->pageTitle = "Page 1";
    page(1)->pageHtml = "<p>1</p>";
    page(1)->finishLoad();
    ASSERT_TRUE(testing_support::finish(pages.saveAllW()));
    EXPECT_EQ(files(), QStringList({"Page1.htm"}));
    EXPECT_EQ(noted, QList<QUrl>({QUrl("http://h.example/1.htm")}));
    ASSERT_EQ(dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(dialogs.messageTexts()[0].contains(QString::fromUtf8("网页还没有打开")))
        << dialogs.messageTexts()[0].toStdString();
}

} // namespace
