// A kill -9 while lumaro-cli indexes leaves an index that opens, and indexing again
// completes it.
#include "common/ansifile.h"
#include "fulltext/savedindex.h"
#include "fulltext/savedsearch.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(IndexKillTest, KilledIndexingLeavesAnIndexThatOpensAndCompletes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString save = QDir(dir.path()).filePath("save");
    QDir().mkpath(save);
    constexpr int kFiles = 4000;
    QString filler;
    for (int i = 0; i < 60; ++i)
        filler += QStringLiteral("第%1段：今天的新闻讲到经济、科技和体育。 ").arg(i);
    for (int i = 0; i < kFiles; ++i) {
        QFile file(QDir(save).filePath(QStringLiteral("page%1.htm").arg(i)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(common::encodeText(
            QStringLiteral("<html><head><meta charset=\"gbk\"><title>第%1页</title></head>"
                           "<body><p>编号%1 marker%1</p><p>%2</p></body></html>")
                .arg(i)
                .arg(filler),
            common::FileEncoding::Gb18030));
    }

    QProcess child;
    child.start(LUMARO_CLI, {"index", "--data-dir", dir.path(), save});
    ASSERT_TRUE(child.waitForStarted());
    // Killed once a first commit is on disk, while the rest is being indexed.
    const QString index = QDir(dir.path()).filePath("index");
    QElapsedTimer clock;
    clock.start();
    while (fulltext::searchIndexFolder(index, "编号", 0, 1).hits.isEmpty() &&
           clock.elapsed() < 20000 && child.state() == QProcess::Running)
        child.waitForFinished(5);
    const bool killedWhileRunning = child.state() == QProcess::Running;
    child.kill();
    child.waitForFinished();
    EXPECT_TRUE(killedWhileRunning) << "the child finished before it could be killed";

    QString error;
    auto reopened = fulltext::SavedIndex::open(index, &error);
    ASSERT_TRUE(reopened) << error.toStdString();
    const int before = reopened->documentCount();
    EXPECT_GT(before, 0);
    EXPECT_LT(before, kFiles);
    RecordProperty("indexedBeforeKill", before);
    const auto stats = reopened->updateFolders({save}, {});
    EXPECT_EQ(stats.added, kFiles - before);
    EXPECT_EQ(reopened->documentCount(), kFiles);
    reopened.reset();
    const auto hits = fulltext::searchIndexFolder(index, "marker3999", 0, 5);
    ASSERT_EQ(hits.hits.size(), 1);
    EXPECT_EQ(hits.hits.front().title, "第3999页");
}

} // namespace
