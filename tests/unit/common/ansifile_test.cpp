#include "common/ansifile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using common::FileEncoding;

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(TextFiles, WriteGbkBytesForGbkTextAndLoseNothingBeyond) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.txt");
    ASSERT_TRUE(common::writeTextFile(path, QString::fromUtf8("中文\r\n")));
    EXPECT_EQ(bytesOf(path), QByteArray("\xD6\xD0\xCE\xC4\r\n"));
    // U+E5E5 is bytes A3 A0; characters outside GBK survive a round trip.
    ASSERT_TRUE(common::writeTextFile(path, QString(QChar(0xE5E5)) + QString::fromUtf8("😀")));
    EXPECT_TRUE(bytesOf(path).startsWith(QByteArray("\xA3\xA0")));
    EXPECT_EQ(common::readTextFile(path).text, QString(QChar(0xE5E5)) + QString::fromUtf8("😀"));
}

TEST(TextFiles, ReadUtf8WhenMarkedOrValidAndGbkOtherwise) {
    QTemporaryDir dir;
    const QString path = dir.filePath("b.txt");
    writeBytes(path, QByteArray("\xEF\xBB\xBF") + QString::fromUtf8("链接").toUtf8());
    auto read = common::readTextFile(path);
    EXPECT_EQ(read.text, QString::fromUtf8("链接"));
    EXPECT_EQ(read.encoding, FileEncoding::Utf8WithBom);
    writeBytes(path, QString::fromUtf8("链接").toUtf8());
    read = common::readTextFile(path);
    EXPECT_EQ(read.text, QString::fromUtf8("链接"));
    EXPECT_EQ(read.encoding, FileEncoding::Utf8);
    writeBytes(path, QByteArray("\xC1\xB4\xBD\xD3"));
    read = common::readTextFile(path);
    EXPECT_EQ(read.text, QString::fromUtf8("链接"));
    EXPECT_EQ(read.encoding, FileEncoding::Gb18030);
    EXPECT_FALSE(common::readTextFile(dir.filePath("missing.txt")).ok);
    // GBK "一" (D2 BB) is also valid UTF-8 (U+04BB): read as GBK.
    writeBytes(path, QByteArray("\xD2\xBB"));
    EXPECT_EQ(common::readTextFile(path).text, QString::fromUtf8("一"));
    // Whatever a file was read as, writing it back in that encoding gives the same bytes.
    for (const QByteArray &bytes :
         {QString::fromUtf8("café ü").toUtf8(), QByteArray("\xD2\xBB\r\n"),
          QString::fromUtf8("链接 ü").toUtf8()}) {
        writeBytes(path, bytes);
        const auto content = common::readTextFile(path);
        ASSERT_TRUE(common::writeTextFile(path, content.text, content.encoding));
        EXPECT_EQ(bytesOf(path), bytes);
    }
}

TEST(TextFiles, AppendKeepsWhatIsThereInItsEncoding) {
    QTemporaryDir dir;
    const QString path = dir.filePath("href.txt");
    ASSERT_TRUE(common::appendTextFile(path, QString::fromUtf8("一\r\n")));
    ASSERT_TRUE(common::appendTextFile(path, QString::fromUtf8("二\r\n")));
    EXPECT_EQ(common::readTextFile(path).text, QString::fromUtf8("一\r\n二\r\n"));
    writeBytes(path, QByteArray("\xEF\xBB\xBF") + QString::fromUtf8("甲\r\n").toUtf8());
    ASSERT_TRUE(common::appendTextFile(path, QString::fromUtf8("乙\r\n")));
    EXPECT_EQ(bytesOf(path),
              QByteArray("\xEF\xBB\xBF") + QString::fromUtf8("甲\r\n乙\r\n").toUtf8());
}

TEST(TextFiles, FailuresAreReportedAndLeaveTheOldFileWhole) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(common::writeTextFile(dir.filePath("no/such/folder/x.htm"), "x",
                                       FileEncoding::Gb18030, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(common::appendTextFile(dir.filePath("no/such/x.txt"), "x", &error));
}

} // namespace

namespace {

TEST(TextFileErrors, AreGivenInChineseWithTheirCause) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(
        common::writeTextFile(dir.filePath("missing/a.txt"), "x", FileEncoding::Gb18030, &error));
    EXPECT_EQ(error, QString::fromUtf8("文件夹不存在"));
    EXPECT_EQ(common::readTextFile(dir.filePath("none.txt")).error,
              QString::fromUtf8("文件不存在"));
    EXPECT_FALSE(common::writeTextFile(dir.path(), "x", FileEncoding::Gb18030, &error));
    EXPECT_EQ(error, QString::fromUtf8("同名的文件夹已经存在"));
}

} // namespace
