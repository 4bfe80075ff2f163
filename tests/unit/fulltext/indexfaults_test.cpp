// The index meets what disks do: a table file cut short (a power cut) is made anew from the
// files, and a full disk is said once, kills nothing, and indexing resumes when room comes back.
#include "common/ansifile.h"
#include "coreapplication.h"
#include "fulltext/indexservice.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using fulltext::IndexService;

class IndexFaultsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing_support::ensureCoreApplication(); }
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath("save");
        QString filler;
        for (int i = 0; i < 40; ++i)
            filler += QStringLiteral("第%1段：长江、黄河、经济、科技 word%1 ").arg(i);
        for (int i = 0; i < 300; ++i) {
            QFile file(QDir(save()).filePath(QStringLiteral("page%1.txt").arg(i)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(
                common::encodeText(QStringLiteral("编号%1 marker%1\r\n%2").arg(i).arg(filler),
                                   common::FileEncoding::Gb18030));
        }
    }
    QString save() const { return QDir(dir.path()).filePath("save"); }
    QString seen() const { return QDir(dir.path()).filePath("seen.txt"); }
    QString indexFolder() const { return QDir(dir.path()).filePath("data/index"); }

    // Runs the event loop until `done` holds after one of the service's signals (or 60 s).
    static bool waitUntil(IndexService &service, const std::function<bool()> &done) {
        QEventLoop loop;
        const auto check = [&] {
            if (done())
                loop.quit();
        };
        auto idle = QObject::connect(&service, &IndexService::idle, &loop, check);
        auto failed = QObject::connect(&service, &IndexService::failed, &loop, check);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        if (!done())
            loop.exec();
        QObject::disconnect(idle);
        QObject::disconnect(failed);
        return done();
    }
    static fulltext::SearchResults search(IndexService &service, const QString &query) {
        QEventLoop loop;
        fulltext::SearchResults found;
        service.search(query, 0, 10, [&](const fulltext::SearchResults &results) {
            found = results;
            loop.quit();
        });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        return found;
    }

    QTemporaryDir dir;
};

TEST_F(IndexFaultsTest, ATableCutShortIsMovedAsideAndMadeAnewFromTheFiles) {
    {
        IndexService service(indexFolder(), seen());
        int documents = 0;
        QObject::connect(&service, &IndexService::idle, [&](int n) { documents = n; });
        service.setSaveFolder(save());
        ASSERT_TRUE(waitUntil(service, [&] { return documents == 300; }));
    }
    // What a power cut can leave of tables written without sync.
    for (const char *table : {"postlist.glass", "termlist.glass"}) {
        QFile file(QDir(indexFolder()).filePath(table));
        ASSERT_GT(file.size(), 16384) << table;
        ASSERT_TRUE(file.resize(file.size() / 2));
    }

    IndexService service(indexFolder(), seen());
    QStringList said;
    int documents = 0;
    QObject::connect(&service, &IndexService::failed, [&](const QString &m) { said.append(m); });
    QObject::connect(&service, &IndexService::idle, [&](int n) { documents = n; });
    // Searching finds the damage even before anything is written.
    const auto first = search(service, "marker299");
    EXPECT_TRUE(!first.ok || first.hits.size() == 1) << first.error.toStdString();
    service.setSaveFolder(save());
    ASSERT_TRUE(waitUntil(service, [&] {
        return said.filter(QString::fromUtf8("全文索引已损坏")).size() > 0 && documents == 300;
    })) << said.join('\n').toStdString();
    const auto found = search(service, "marker299");
    ASSERT_TRUE(found.ok) << found.error.toStdString();
    EXPECT_EQ(found.hits.size(), 1);
    EXPECT_TRUE(search(service, QString::fromUtf8("编号17")).ok);
    QDir data(QDir(dir.path()).filePath("data"));
    EXPECT_EQ(data.entryList({"index.broken-*"}, QDir::Dirs).size(), 1);
}

// A real full disk: a small memory file system, which only root may mount.
class FullDisk {
public:
    explicit FullDisk(const QString &folder) : m_folder(folder) {
        QDir().mkpath(folder);
        m_mounted = geteuid() == 0 && QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=32m",
                                                                  "tmpfs", folder}) == 0;
    }
    ~FullDisk() {
        if (m_mounted)
            QProcess::execute("umount", {"-l", m_folder});
    }
    bool mounted() const { return m_mounted; }
    // Fills what is left of the disk but `leave` bytes.
    void fill(qint64 leave = 0) {
        QFile filler(QDir(m_folder).filePath("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size())
            ;
        ASSERT_TRUE(filler.resize(qMax<qint64>(0, filler.size() - leave)));
    }
    void makeRoom() { QFile::remove(QDir(m_folder).filePath("filler")); }

private:
    QString m_folder;
    bool m_mounted = false;
};

TEST_F(IndexFaultsTest, AFullDiskIsSaidOnceAndIndexingResumesWhenRoomComesBack) {
    FullDisk disk(QDir(dir.path()).filePath("data"));
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a small file system needs root";
    disk.fill(64 * 1024); // the index opens, and its first commits fail
    IndexService service(indexFolder(), seen());
    service.setRetryTime(200);
    QStringList said;
    int documents = 0;
    QObject::connect(&service, &IndexService::failed, [&](const QString &m) { said.append(m); });
    QObject::connect(&service, &IndexService::idle, [&](int n) { documents = n; });
    service.setSaveFolder(save());
    const QString full = QString::fromUtf8("全文索引没有更新：磁盘已满");
    ASSERT_TRUE(waitUntil(service, [&] { return said.contains(full); }))
        << said.join('\n').toStdString();
    // It keeps trying, and says it once.
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(said.count(full), 1) << said.join('\n').toStdString();
    EXPECT_EQ(said.size(), 1) << said.join('\n').toStdString();

    // Pages read while the disk is full wait with the files; one with a password field is
    // never kept, and one whose site the user removed meanwhile goes without being written.
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const auto read = [&](const QString &address, const QString &html) {
        fulltext::ReadPage page;
        page.address = address;
        page.time = now;
        page.html = html;
        service.noteRead(page);
    };
    read("https://kept.cn/", "<head><title>留下</title></head><body><p>readword1</p></body>");
    read("https://login.cn/", "<body>readword2<form><input type=password></form></body>");
    read("https://gone.cn/", "<body><p>readword3</p></body>");
    service.removeRead("gone.cn");

    disk.makeRoom();
    ASSERT_TRUE(waitUntil(service, [&] { return documents == 301; }))
        << documents << said.join('\n').toStdString();
    const auto found = search(service, "marker42");
    ASSERT_TRUE(found.ok) << found.error.toStdString();
    EXPECT_EQ(found.hits.size(), 1);
    const auto readFound = search(service, "readword1 OR readword2 OR readword3");
    ASSERT_EQ(readFound.hits.size(), 1);
    EXPECT_EQ(readFound.hits[0].source, "https://kept.cn/");
    EXPECT_EQ(readFound.hits[0].title, "留下");
}

} // namespace
