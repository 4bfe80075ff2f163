// Writes on a full disk, a read-only file system and under a file size limit: the old file
// stays byte for byte, the failure is reported, and the reason is the real one, in Chinese.
#include "common/ansifile.h"
#include "common/safewrite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void putBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A small tmpfs of its own (root only; the test is skipped elsewhere).
class SmallFileSystem {
public:
    explicit SmallFileSystem(const char *options) {
        if (::geteuid() == 0)
            m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                                options) == 0;
    }
    ~SmallFileSystem() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    bool makeReadOnly() {
        return ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                       MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QStringList entries() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// The process may write no file beyond `bytes` while it lives: writes past it fail with
// EFBIG, as on a disk that fills up in the middle of a write. Works for any user.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

const QByteArray kFavourites = "<html><title>favorites</title><table><tr><td>头</td></tr>"
                               "</table></html>\r\n";

TEST(SafeWrite, FullDiskKeepsTheOldFileAndSaysWhy) {
    SmallFileSystem disk("size=64k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root); the file size limit "
                        "test covers the same path";
    const QString link = disk.filePath("link.htm");
    putBytes(link, kFavourites);
    QString error;
    const QString big(40000, QChar(u'链')); // 80,000 bytes in GB18030
    EXPECT_FALSE(common::writeTextFile(link, big, common::FileEncoding::Gb18030, &error));
    EXPECT_EQ(error, QStringLiteral("磁盘已满"));
    EXPECT_EQ(bytesOf(link), kFavourites);

    const QString email = disk.filePath("email.txt");
    putBytes(email, "user00@mail.example.cn\r\nhttp://a.example/\r\n标题\r\n");
    const QByteArray before = bytesOf(email);
    error.clear();
    EXPECT_FALSE(common::appendTextFile(email, big, &error));
    EXPECT_EQ(error, QStringLiteral("磁盘已满"));
    EXPECT_EQ(bytesOf(email), before);                                 // no cut record at the end
    EXPECT_EQ(disk.entries(), QStringList({"email.txt", "link.htm"})); // no temporary left
    // What fits is still written.
    EXPECT_TRUE(common::writeTextFile(link, QStringLiteral("小"), common::FileEncoding::Gb18030));
    EXPECT_EQ(bytesOf(link), QByteArray("\xD0\xA1"));
}

TEST(SafeWrite, WriteFailingMidwayIsNeverReportedAsSavedAndLeavesNoCutRecord) {
    QTemporaryDir dir;
    const QString page = dir.filePath("page.htm");
    const QString href = dir.filePath("href.txt");
    putBytes(page, "old page\r\n");
    putBytes(href, "1 http://a.example/\r\n");
    // Less than QSaveFile's buffer, more than the limit: the bytes fail only when flushed.
    const QString record = QString(5000, QChar(u'x')) + QStringLiteral("\r\n");
    QString writeError;
    QString appendError;
    bool written = true;
    bool appended = true;
    {
        FileSizeLimit limit(4096);
        written = common::writeTextFile(page, record, common::FileEncoding::Gb18030, &writeError);
        appended = common::appendTextFile(href, record, &appendError);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(writeError, QStringLiteral("文件超过了系统允许的大小"));
    EXPECT_EQ(bytesOf(page), QByteArray("old page\r\n"));
    EXPECT_FALSE(appended);
    EXPECT_FALSE(appendError.isEmpty());
    EXPECT_EQ(bytesOf(href), QByteArray("1 http://a.example/\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"href.txt", "page.htm"}));
}

TEST(SafeWrite, ReadOnlyPlacesKeepTheirFilesAndSayWhy) {
    SmallFileSystem disk("size=64k");
    if (disk.mounted()) {
        const QString link = disk.filePath("link.htm");
        putBytes(link, kFavourites);
        ASSERT_TRUE(disk.makeReadOnly());
        QString error;
        EXPECT_FALSE(common::writeTextFile(link, "x", common::FileEncoding::Gb18030, &error));
        EXPECT_EQ(error, QStringLiteral("只读文件系统"));
        EXPECT_FALSE(common::appendTextFile(link, "x", &error));
        EXPECT_EQ(error, QStringLiteral("只读文件系统"));
        EXPECT_EQ(bytesOf(link), kFavourites);
    }
    if (::geteuid() == 0)
        return; // folder permissions do not stop root
    QTemporaryDir dir;
    const QString link = dir.filePath("link.htm");
    putBytes(link, kFavourites);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    QString error;
    EXPECT_FALSE(common::writeTextFile(link, "x", common::FileEncoding::Gb18030, &error));
    EXPECT_EQ(error, QStringLiteral("没有写入权限"));
    EXPECT_EQ(bytesOf(link), kFavourites);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(SafeWrite, ReasonsForNamesAndFoldersThatCannotBeWritten) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(common::writeTextFile(dir.filePath("no/such/x.htm"), "x",
                                       common::FileEncoding::Gb18030, &error));
    EXPECT_EQ(error, QStringLiteral("文件夹不存在"));
    EXPECT_FALSE(common::appendTextFile(dir.filePath("no/such/href.txt"), "x", &error));
    EXPECT_EQ(error, QStringLiteral("文件夹不存在"));
    const QString longName = QString(100, QChar(u'章')) + QStringLiteral(".htm"); // 304 bytes
    EXPECT_FALSE(
        common::writeTextFile(dir.filePath(longName), "x", common::FileEncoding::Gb18030, &error));
    EXPECT_EQ(error, QStringLiteral("文件名太长"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.htm"));
    EXPECT_FALSE(common::writeTextFile(dir.filePath("taken.htm"), "x",
                                       common::FileEncoding::Gb18030, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.htm")).isDir());
    EXPECT_EQ(common::writeFailureReason(ENOSPC), QStringLiteral("磁盘已满"));
    EXPECT_EQ(common::writeFailureReason(EACCES), QStringLiteral("没有写入权限"));
}

} // namespace
