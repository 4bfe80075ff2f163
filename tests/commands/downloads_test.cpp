#include "shell/downloadlist.h"
#include "shell/downloads.h"
#include "shell/downloadswindow.h"
#include "support/commandfixture.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using commands::Dialogs;
using testing_support::FakeDownload;

class DownloadsTest : public testing_support::CommandFixture {
protected:
    DownloadsTest() { downloads.setFolder(downloadDir.path()); }
    FakeDownload *offer(const QString &name, bool userRequested, qint64 bytes = -1) {
        auto *download = new FakeDownload(&downloads);
        download->fileName = name;
        download->address = QUrl("http://d.example/" + name);
        download->userRequested = userRequested;
        download->bytes = bytes;
        downloads.handle(download);
        return download;
    }
    // Downloads go to the download folder, never the pages' save folder.
    QString savedPath(const QString &name) { return QDir(downloadDir.path()).filePath(name); }
    QStringList rowsOf(const shell::DownloadsWindow &window) {
        QStringList texts;
        for (int i = 0; i < window.tree()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = window.tree()->topLevelItem(i);
            texts << item->text(0) + " " + item->text(1) + " " + item->text(2);
        }
        return texts;
    }

    QTemporaryDir downloadDir;

    QTemporaryDir dataDir;
    QString listPath = QDir(dataDir.path()).filePath("downloads.json");
    std::unique_ptr<shell::DownloadList> list = std::make_unique<shell::DownloadList>(listPath);
    shell::Downloads downloads{context, *list, nullptr};
};

TEST_F(DownloadsTest, ADownloadThePageStartedOnItsOwnWaitsForTheUsersYes) {
    dialogs.answers = {Dialogs::Answer::No};
    FakeDownload *refused = offer("setup.exe", false, 3 * 1024 * 1024 + 512 * 1024);
    EXPECT_TRUE(refused->cancelled);
    EXPECT_TRUE(refused->acceptedPath.isEmpty());
    ASSERT_EQ(dialogs.shown.size(), 1);
    const QString question = dialogs.shown[0].text;
    EXPECT_TRUE(question.contains("setup.exe"));
    EXPECT_TRUE(question.contains("3.5 MB"));
    EXPECT_TRUE(question.contains(QDir::toNativeSeparators(downloadDir.path())));
    EXPECT_EQ(dialogs.shown[0].buttons, Dialogs::Buttons::YesNo);
    EXPECT_EQ(panels.last["s2"], QString::fromUtf8("已取消下载：setup.exe"));

    dialogs.answers = {Dialogs::Answer::Yes};
    FakeDownload *allowed = offer("setup.exe", false);
    EXPECT_FALSE(allowed->cancelled);
    EXPECT_EQ(allowed->acceptedPath, savedPath("setup.exe"));
    EXPECT_TRUE(dialogs.shown[1].text.contains(QString::fromUtf8("大小不明")));
}

TEST_F(DownloadsTest, DownloadsTheUserAskedForAreNotQuestioned) {
    FakeDownload *clicked = offer("a.zip", true, 100);
    EXPECT_EQ(clicked->acceptedPath, savedPath("a.zip"));
    auto *pageSave = new FakeDownload(&downloads);
    pageSave->pageSave = true;
    downloads.handle(pageSave);
    EXPECT_FALSE(pageSave->cancelled);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    // Only a file of the same name is a reason to ask.
    QFile existing(savedPath("A.ZIP"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    dialogs.overwriteAnswers = {Dialogs::OverwriteAnswer::Skip};
    EXPECT_TRUE(offer("a.zip", true)->cancelled);
    EXPECT_EQ(dialogs.overwriteAsked, QStringList({"A.ZIP"}));
}

// Downloads in a row are asked with their names, and 全部跳过 or 编号 answer as in a batch.
TEST_F(DownloadsTest, DownloadsInARowShareTheAllAnswers) {
    for (const char *name : {"a.zip", "b.zip", "c.zip", "d"}) {
        QFile existing(savedPath(name));
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    }
    dialogs.overwriteAnswers = {Dialogs::OverwriteAnswer::Numbered,
                                Dialogs::OverwriteAnswer::SkipAll};
    FakeDownload *first = offer("a.zip", true);
    EXPECT_EQ(first->acceptedPath, savedPath("aNo2.zip"));
    EXPECT_TRUE(offer("b.zip", true)->cancelled);
    EXPECT_TRUE(offer("c.zip", true)->cancelled); // not asked again
    EXPECT_EQ(dialogs.overwriteAsked, QStringList({"a.zip", "b.zip"}));
    EXPECT_EQ(panels.last["s2"], "已跳过下载（同名文件已存在）：c.zip");
    emit first->finished(true, QString());
    EXPECT_TRUE(offer("d", true)->cancelled); // within the row still
}

// The downloads window lists every download with its state, newest first, and keeps them
// for the next run; a download the program did not see end is told as failed then.
TEST_F(DownloadsTest, TheDownloadsWindowFollowsEveryDownloadAndKeepsItForTheNextRun) {
    FakeDownload *done = offer("a.zip", true, 100);
    FakeDownload *failed = offer("b.zip", true);
    offer("c.zip", true); // still running when the program ends
    emit done->progress(100, 100);
    emit done->finished(true, QString());
    emit failed->finished(false, "网络错误");

    QStringList opened;
    QList<QUrl> retried;
    shell::DownloadsWindow window(*list, {[&](const QString &path) { opened << path; },
                                          [](const QString &) {},
                                          [&](const QUrl &url) { retried << url; },
                                          {},
                                          {}});
    const auto rows = [&] { return rowsOf(window); };
    EXPECT_EQ(rows(), QStringList({"c.zip 大小不明 下载中", "b.zip 大小不明 失败（网络错误）",
                                   "a.zip 100 字节 完成"}));
    const auto select = [&window](int treeRow) {
        window.tree()->setCurrentItem(window.tree()->topLevelItem(treeRow));
    };
    select(2);
    window.openSelectedFile();
    window.retrySelected(); // only a failed one is downloaded again
    select(1);
    window.openSelectedFile(); // a failed one has no file
    window.retrySelected();
    EXPECT_EQ(opened, QStringList({savedPath("a.zip")}));
    EXPECT_EQ(retried, QList<QUrl>({failed->url()}));
    window.removeSelected();
    EXPECT_EQ(rows().size(), 2);

    list.reset(); // the program ends
    shell::DownloadList again(listPath);
    ASSERT_EQ(again.records().size(), 2);
    EXPECT_EQ(again.records()[0].path, savedPath("a.zip"));
    EXPECT_EQ(again.records()[1].state, saving::DownloadRecord::State::Failed);
    EXPECT_EQ(again.records()[1].error, "程序在下载时结束");
}

// A dropped connection fails the row with its reason and 继续 takes it up; the engine's own
// request for the same address again is the same download, not a new question or row; and any
// row can be taken off the list, a running one cancelled.
TEST_F(DownloadsTest, AnInterruptedDownloadFailsCanBeResumedAndItsRetryIsTheSameDownload) {
    shell::DownloadsWindow window(
        *list, {[](const QString &) {}, [](const QString &) {}, [](const QUrl &) {}, {}, {}});
    const auto select = [&window](int treeRow) {
        window.tree()->setCurrentItem(window.tree()->topLevelItem(treeRow));
    };
    FakeDownload *first = offer("big.iso", true, 4096);
    first->resumable = true;
    emit first->interrupted(QString::fromUtf8("网络连接中断"));
    EXPECT_EQ(rowsOf(window), QStringList({"big.iso 4.0 KB 失败（网络连接中断）"}));
    EXPECT_TRUE(panels.last["s2"].contains(QString::fromUtf8("下载中断")));
    select(0);
    window.resumeSelected();
    EXPECT_EQ(rowsOf(window), QStringList({"big.iso 4.0 KB 下载中"}));

    emit first->interrupted(QString::fromUtf8("网络连接中断"));
    // The engine asks again, as if the page had started it: no question, the same row and file.
    FakeDownload *again = offer("big.iso", false, 4096);
    EXPECT_FALSE(again->cancelled);
    EXPECT_EQ(again->acceptedPath, savedPath("big.iso"));
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(rowsOf(window), QStringList({"big.iso 4.0 KB 下载中"}));
    emit first->finished(false, QString::fromUtf8("已取消")); // the old one goes quietly
    emit again->finished(true, QString());
    EXPECT_EQ(rowsOf(window), QStringList({"big.iso 4.0 KB 完成"}));
    EXPECT_TRUE(dialogs.shown.isEmpty());

    FakeDownload *running = offer("c.zip", true);
    select(0);
    window.removeSelected();
    EXPECT_TRUE(running->cancelled);
    emit running->finished(false, QString::fromUtf8("已取消"));
    EXPECT_EQ(rowsOf(window), QStringList({"big.iso 4.0 KB 完成"}));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

// A running row shows how far it is; 暂停 and 继续 hold and take it up, 取消 ends it quietly
// with the row kept, and 清除已完成 takes the finished rows off the list.
TEST_F(DownloadsTest, ARunningDownloadIsPausedResumedAndCancelledFromItsRow) {
    shell::DownloadsWindow window(
        *list, {[](const QString &) {}, [](const QString &) {}, [](const QUrl &) {}, {}, {}});
    FakeDownload *done = offer("a.zip", true, 10);
    emit done->finished(true, QString());
    FakeDownload *big = offer("big.iso", true, 4000);
    emit big->progress(1000, 4000);
    window.tree()->setCurrentItem(window.tree()->topLevelItem(0));
    EXPECT_EQ(rowsOf(window).first(), "big.iso 3.9 KB 25%");
    window.pauseSelected();
    EXPECT_TRUE(big->paused);
    EXPECT_EQ(rowsOf(window).first(), "big.iso 3.9 KB 已暂停：25%");
    window.resumeSelected();
    EXPECT_FALSE(big->paused);
    EXPECT_EQ(rowsOf(window).first(), "big.iso 3.9 KB 25%");
    window.cancelSelected();
    EXPECT_TRUE(big->cancelled);
    emit big->finished(false, QString::fromUtf8("已取消"));
    EXPECT_EQ(rowsOf(window).first(), "big.iso 3.9 KB 失败（已取消）");
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.value(0).text.toStdString();
    EXPECT_TRUE(panels.last["s2"].startsWith(QString::fromUtf8("已取消下载：")));
    window.clearFinished();
    EXPECT_EQ(rowsOf(window), QStringList({"big.iso 3.9 KB 失败（已取消）"}));
}

// "每次下载前询问保存位置" asks for each file first (the next start remembers it); a cancelled
// question downloads nothing.
TEST_F(DownloadsTest, AskingWhereToSaveIsRememberedAndACancelledQuestionDownloadsNothing) {
    const QString settings = QDir(dataDir.path()).filePath("settings.ini");
    downloads.keepSettingsIn(settings);
    EXPECT_FALSE(downloads.asksWhereToSave());
    downloads.setAsksWhereToSave(true);
    const QString chosen = QDir(dataDir.path()).filePath("我的.zip");
    dialogs.files = {chosen};
    FakeDownload *asked = offer("a.zip", true);
    EXPECT_EQ(asked->acceptedPath, chosen);
    EXPECT_EQ(dialogs.proposedFiles.value(0), savedPath("a.zip"));
    FakeDownload *cancelled = offer("b.zip", true);
    EXPECT_TRUE(cancelled->cancelled);
    EXPECT_EQ(list->records().size(), 1);

    shell::Downloads next(context, *list, nullptr);
    next.keepSettingsIn(settings);
    EXPECT_TRUE(next.asksWhereToSave());
}

} // namespace
