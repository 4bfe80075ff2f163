// The service indexes off the caller's thread: files noted as written, the save folder at
// start and what appears in it later, and answers searches with a callback.
#include "common/ansifile.h"
#include "coreapplication.h"
#include "fulltext/indexservice.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using fulltext::IndexService;

class IndexServiceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing_support::ensureCoreApplication(); }
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath("save");
        write("old.txt", "旧文章：长江大桥\r\n");
    }
    QString save() const { return QDir(dir.path()).filePath("save"); }
    QString write(const QString &name, const QString &text) {
        const QString path = QDir(save()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(common::encodeText(text, common::FileEncoding::Gb18030));
        return path;
    }
    // Runs the event loop until the service has nothing left to do (or 10 s passed).
    bool waitIdle() {
        QEventLoop loop;
        bool idle = false;
        auto connection = QObject::connect(&service, &IndexService::idle, &loop, [&] {
            idle = true;
            loop.quit();
        });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        QObject::disconnect(connection);
        return idle;
    }
    QStringList titles(const QString &query) {
        QEventLoop loop;
        QStringList found;
        service.search(query, 0, 10, [&](const fulltext::SearchResults &results) {
            for (const auto &hit : results.hits)
                found.append(hit.title + u'|' + hit.source);
            loop.quit();
        });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        return found;
    }

    QTemporaryDir dir;
    IndexService service{QDir(dir.path()).filePath("index"), QDir(dir.path()).filePath("seen.txt")};
};

TEST_F(IndexServiceTest, IndexesTheFolderNotedFilesAndLaterChanges) {
    service.setQuietTime(50);
    service.setSaveFolder(save());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(titles("长江大桥"), QStringList{"old|"});

    service.noteWritten(write("page.htm", "<title>新闻</title><p>黄河壶口瀑布</p>"),
                        "http://news.example.cn/1.html");
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(titles("壶口瀑布"), QStringList{"新闻|http://news.example.cn/1.html"});

    // Written by someone else: found by the folder's watcher after the quiet time.
    QDir(save()).mkpath("chapters");
    ASSERT_TRUE(waitIdle());
    write("chapters/ch1.txt", "第一章 泰山日出\r\n");
    ASSERT_TRUE(QFile::remove(QDir(save()).filePath("old.txt")));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(titles("泰山日出"), QStringList{"ch1|"});
    EXPECT_TRUE(titles("长江大桥").isEmpty());

    // What the results page tells: the count, the last scan, a scan asked for.
    const qint64 asked = QDateTime::currentSecsSinceEpoch();
    service.rescan();
    EXPECT_TRUE(service.status().scanning);
    ASSERT_TRUE(waitIdle());
    const fulltext::IndexStatus status = service.status();
    EXPECT_FALSE(status.scanning);
    EXPECT_EQ(status.documents, 2);
    EXPECT_EQ(status.scanned, status.toScan);
    EXPECT_GE(status.lastScanEnded, asked);
}

} // namespace
