#include "links/seenrecord.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using links::SeenRecord;

class SeenRecordTest : public ::testing::Test {
protected:
    QByteArray bytes() {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void write(const QByteArray &content) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTemporaryDir dir;
    QString path = QDir(dir.path()).filePath("seen.txt");
};

TEST_F(SeenRecordTest, WrittenRecordsAreReadBack) {
    SeenRecord record(path);
    ASSERT_TRUE(record.load()); // no file yet
    EXPECT_TRUE(record.recordOpened({"http://h/1.htm", "http://h/2.htm"}, 100));
    EXPECT_TRUE(record.recordSaved("http://h/3.htm", "/书/存", "第三章\t草稿.htm", 200));
    EXPECT_EQ(bytes(), "O\t100\thttp://h/1.htm\nO\t100\thttp://h/2.htm\n"
                       "S\t200\thttp://h/3.htm\t/书/存\t第三章 草稿.htm\n");

    SeenRecord again(path);
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.size(), 3);
    EXPECT_TRUE(again.seen("http://h/1.htm"));
    EXPECT_TRUE(again.seen("http://h/3.htm"));
    EXPECT_FALSE(again.seen("http://h/4.htm"));
    ASSERT_TRUE(again.savedIn("http://h/3.htm", "/书/存"));
    EXPECT_EQ(again.savedIn("http://h/3.htm", "/书/存")->fileName, "第三章 草稿.htm");
    EXPECT_EQ(again.savedIn("http://h/3.htm", "/书/存")->time, 200);
    EXPECT_FALSE(again.savedIn("http://h/3.htm", "/other"));
    EXPECT_FALSE(again.savedIn("http://h/1.htm", "/书/存")); // opened, never saved
    // One address however its numeric host is written.
    EXPECT_TRUE(again.recordSaved("http://0x7f.1/p.htm", "/存", "p.htm", 300));
    EXPECT_TRUE(again.seen("http://127.0.0.1/p.htm"));
    EXPECT_TRUE(again.savedIn("HTTP://127.1/p.htm", "/存"));
    EXPECT_FALSE(again.seen("http://127.0.0.2/p.htm"));
}

TEST_F(SeenRecordTest, ARecordCutShortOrGarbageIsDroppedAndTheFileRebuilt) {
    write("O\t100\thttp://h/1.htm\n"
          "\xff\xfe garbage\n"
          "O\tnot a time\thttp://h/x\n"
          "S\t5\thttp://h/s\t/f\n" // no file name
          "X\t5\thttp://h/y\n"
          "\n"
          "O\t-3\thttp://h/z\n"
          "S\t7\thttp://h/2.htm\t/f\t2.htm\n"
          "O\t300\thttp://h/cu"); // the crash came here
    SeenRecord record(path);
    ASSERT_TRUE(record.load());
    EXPECT_EQ(record.size(), 2);
    EXPECT_TRUE(record.seen("http://h/1.htm"));
    EXPECT_FALSE(record.seen("http://h/cu"));
    EXPECT_FALSE(record.seen("http://h/s"));
    EXPECT_EQ(bytes(), "O\t100\thttp://h/1.htm\nS\t7\thttp://h/2.htm\t/f\t2.htm\n");

    write(QByteArray(4096, '\0'));
    ASSERT_TRUE(record.load());
    EXPECT_EQ(record.size(), 0);
    EXPECT_EQ(bytes(), "");
    EXPECT_TRUE(record.recordOpened({"http://h/after"}, 1));
    EXPECT_EQ(bytes(), "O\t1\thttp://h/after\n");
}

TEST_F(SeenRecordTest, TheFileStaysWithinItsLimitKeepingTheNewest) {
    SeenRecord record(path, 8);
    ASSERT_TRUE(record.load());
    for (int i = 1; i <= 8; ++i)
        ASSERT_TRUE(record.recordOpened({QString("http://h/%1").arg(i)}, i));
    EXPECT_EQ(record.size(), 8);
    ASSERT_TRUE(record.recordOpened({"http://h/9"}, 9));
    EXPECT_EQ(record.size(), 6); // three quarters of the limit
    EXPECT_FALSE(record.seen("http://h/3"));
    EXPECT_TRUE(record.seen("http://h/4"));
    EXPECT_TRUE(record.seen("http://h/9"));
    SeenRecord again(path, 8);
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.size(), 6);
    EXPECT_TRUE(again.seen("http://h/9"));
}

} // namespace
