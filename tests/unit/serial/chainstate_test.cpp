#include "serial/chainstate.h"
#include "serial/chapterfiles.h"

#include "common/ansifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

serial::ChainState sample() {
    serial::ChainState state;
    state.title = QStringLiteral("雨夜 第一部");
    state.next = QUrl(QStringLiteral("https://book.example/r?id=4&c=中"));
    state.count = 3;
    state.format = serial::ChapterFormat::Html;
    state.delayMs = 250;
    state.limit = 30;
    state.continues = true;
    state.firstTitle = QStringLiteral("第一章 雨夜_山河_笔趣阁");
    state.titleSuffix = QStringLiteral("_山河_笔趣阁");
    state.author = QStringLiteral("张三");
    return state;
}

TEST(ChainState, WrittenAndReadBack) {
    QTemporaryDir dir;
    ASSERT_TRUE(serial::writeChainState(dir.path(), sample()));
    const std::optional<serial::ChainState> back = serial::readChainState(dir.path());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->title, sample().title);
    EXPECT_EQ(back->next, sample().next);
    EXPECT_EQ(back->count, 3);
    EXPECT_EQ(back->format, serial::ChapterFormat::Html);
    EXPECT_EQ(back->delayMs, 250);
    EXPECT_EQ(back->limit, 30);
    EXPECT_TRUE(back->continues);
    EXPECT_EQ(back->firstTitle, sample().firstTitle);
    EXPECT_EQ(back->titleSuffix, sample().titleSuffix);
    EXPECT_EQ(back->author, sample().author);
    EXPECT_FALSE(back->finished);

    serial::ChainState done = sample();
    done.finished = true;
    done.next = QUrl();
    ASSERT_TRUE(serial::writeChainState(dir.path(), done));
    ASSERT_TRUE(serial::readChainState(dir.path()));
    EXPECT_TRUE(serial::readChainState(dir.path())->finished);
}

TEST(ChainState, OptionsAsTheUserTypesThem) {
    const auto options = serial::parseChainOptions(QStringLiteral(" 0.5  30 HTML "));
    ASSERT_TRUE(options);
    EXPECT_EQ(options->delayMs, 500);
    EXPECT_EQ(options->limit, 30);
    EXPECT_EQ(options->format, serial::ChapterFormat::Html);
    EXPECT_EQ(serial::parseChainOptions(QStringLiteral("1 0 文本"))->format,
              serial::ChapterFormat::Text);
    for (const char *bad : {"1 0", "-1 0 文本", "1 -2 文本", "1 0 pdf", "x 0 文本", "4000 0 text"})
        EXPECT_FALSE(serial::parseChainOptions(QString::fromUtf8(bad))) << bad;
}

TEST(ChainState, CutOrGarbledFilesAreRefused) {
    const QString whole = serial::formatChainState(sample());
    ASSERT_TRUE(serial::parseChainState(whole));
    // Cut anywhere before its last line, the file is not taken.
    for (qsizetype cut = 0; cut < whole.indexOf(QStringLiteral("end=1")) + 4; ++cut)
        EXPECT_FALSE(serial::parseChainState(whole.left(cut))) << cut;
    QString badCount = whole;
    badCount.replace(QStringLiteral("count=3"), QStringLiteral("count=-1"));
    EXPECT_FALSE(serial::parseChainState(badCount));
    QString noNext = whole;
    noNext.replace(QStringLiteral("next=https"), QStringLiteral("next=/relative"));
    EXPECT_FALSE(serial::parseChainState(noNext));
    EXPECT_FALSE(serial::parseChainState(u"\x00\x01garbage=\xFFFD\r\nend=1"));

    QTemporaryDir dir;
    EXPECT_FALSE(serial::readChainState(dir.path()));
    QFile file(QDir(dir.path()).filePath(serial::kStateFileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG\r\n\x1a\n\0\0binary", 16);
    file.close();
    EXPECT_FALSE(serial::readChainState(dir.path()));
}

TEST(ChapterFiles, NamesFromTitlesHostileOnesToo) {
    EXPECT_EQ(serial::chapterFileName(1, QStringLiteral("第一章 雨夜"), ".txt"),
              QStringLiteral("0001 第一章 雨夜.txt"));
    EXPECT_EQ(serial::chapterFileName(12345, QStringLiteral("a/b"), ".htm"), "12345 ab.htm");
    EXPECT_EQ(serial::chapterFileName(7, QStringLiteral("../..\t"), ".txt"), "0007.txt");
    EXPECT_EQ(serial::seriesFolderName(QStringLiteral(" ../雨夜: 上 ")), QStringLiteral("雨夜 上"));
    for (const char *hostile : {"..", "/", "\r\n", " . ", "", "*?<>|\":"})
        EXPECT_EQ(serial::seriesFolderName(QString::fromUtf8(hostile)), QStringLiteral("连续保存"))
            << hostile;
    const QString longName = serial::seriesFolderName(QString(300, QChar(0x96E8)));
    EXPECT_LE(longName.toUtf8().size(), 200);
    EXPECT_FALSE(longName.isEmpty());
    EXPECT_EQ(serial::seriesFolderName(QStringLiteral("/etc/passwd")), "etcpasswd");
    EXPECT_EQ(serial::seriesFolderName(QStringLiteral("\\\\server\\share")), "servershare");
    EXPECT_EQ(serial::chapterNumberOf("0012 x.txt"), 12);
    EXPECT_EQ(serial::chapterNumberOf("0012.txt"), 12);
    EXPECT_EQ(serial::chapterNumberOf("目录.txt"), 0);
    EXPECT_EQ(serial::chapterNumberOf("2024年.txt"), 0);
}

TEST(ChapterFiles, IndexRoundTripsWithAnyLineEnds) {
    const QDateTime time(QDate(2024, 3, 1), QTime(8, 30, 5));
    const QList<serial::IndexEntry> entries = {
        {1, QStringLiteral("第一章\t雨夜"), QUrl("https://b.example/1.html"), time},
        {2, QStringLiteral("第二章"), QUrl("https://b.example/2.html?a=1&b=2"), time}};
    const QString text = serial::formatIndex(entries);
    EXPECT_EQ(text.section(QStringLiteral("\r\n"), 0, 0),
              QStringLiteral("1\t第一章 雨夜\thttps://b.example/1.html\t2024-03-01 08:30:05"));
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 2);
    for (const QString &ends :
         {QStringLiteral("\r\n"), QStringLiteral("\n"), QStringLiteral("\r")}) {
        QString converted = text;
        converted.replace(QStringLiteral("\r\n"), ends);
        const QList<serial::IndexEntry> back =
            serial::parseIndex(converted + QStringLiteral("garbage line") + ends);
        ASSERT_EQ(back.size(), 2);
        EXPECT_EQ(back[1].number, 2);
        EXPECT_EQ(back[1].address, entries[1].address);
        EXPECT_EQ(back[1].time, time);
    }
}

} // namespace
