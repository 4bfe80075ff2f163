#include "serial/book.h"
#include "serial/chainstate.h"
#include "serial/chapterfiles.h"
#include "serial/epubwriter.h"

#include "common/ansifile.h"

#include "epubcheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <gtest/gtest.h>

namespace {

void write(const QDir &dir, const QString &name, const QByteArray &bytes) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class SeriesFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        QDir(temp.path()).mkdir(QStringLiteral("雨夜"));
        dir = QDir(QDir(temp.path()).filePath(QStringLiteral("雨夜")));
        // Files as users keep them: GB18030 with CR LF, UTF-8 with LF, and a lone CR.
        write(dir, "0002 第二章 A&B.txt",
              common::encodeText(QStringLiteral("第二章 A&B\r\n\r\n第二章的<正文>。\r\n")));
        write(dir, "0001 第一章 雨夜.txt",
              QStringLiteral("第一章 雨夜\n\n雨下了一夜。\n第二行。\n").toUtf8());
        write(dir, "0010 第十章.txt", common::encodeText(QStringLiteral("第十章\r最后一章。")));
        write(dir, "notes.txt", "not a chapter");
        write(dir, serial::kIndexFileName,
              common::encodeText(QStringLiteral(
                  "1\t第一章 雨夜\thttps://b.example/1.html\t2024-03-01 08:30:05\r\n"
                  "2\t第二章: A&B\thttps://b.example/2.html\t2024-03-01 08:30:07\r\n")));
    }
    QTemporaryDir temp;
    QDir dir;
};

TEST_F(SeriesFolder, ChaptersInNumberOrderWithIndexTitlesAndAddresses) {
    const std::optional<serial::Book> book = serial::readSeriesFolder(dir.path());
    ASSERT_TRUE(book);
    EXPECT_EQ(book->title, QStringLiteral("雨夜"));
    EXPECT_EQ(book->source, QUrl("https://b.example/1.html"));
    ASSERT_EQ(book->chapters.size(), 3);
    EXPECT_EQ(book->chapters[0].text, QStringLiteral("雨下了一夜。\n第二行。"));
    EXPECT_EQ(book->chapters[1].title, QStringLiteral("第二章: A&B"));
    EXPECT_EQ(book->chapters[2].number, 10);
    EXPECT_EQ(book->chapters[2].text, QStringLiteral("最后一章。"));

    EXPECT_EQ(serial::bookText(*book),
              QStringLiteral("雨夜\r\n\r\n目录\r\n第一章 雨夜\r\n第二章: A&B\r\n第十章\r\n"
                             "\r\n\r\n第一章 雨夜\r\n\r\n雨下了一夜。\r\n第二行。\r\n"
                             "\r\n\r\n第二章: A&B\r\n\r\n第二章 A&B\r\n\r\n第二章的<正文>。\r\n"
                             "\r\n\r\n第十章\r\n\r\n最后一章。\r\n"));
}

TEST_F(SeriesFolder, StateFileNamesTheBookAndEmptyFolderIsRefused) {
    serial::ChainState state;
    state.title = QStringLiteral("雨夜全集");
    state.finished = true;
    ASSERT_TRUE(serial::writeChainState(dir.path(), state));
    EXPECT_EQ(serial::readSeriesFolder(dir.path())->title, QStringLiteral("雨夜全集"));

    QString error;
    EXPECT_FALSE(serial::readSeriesFolder(temp.path(), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(SeriesFolder, EpubHoldsMimetypeFirstStoredThenOnePagePerChapter) {
    const std::optional<serial::Book> book = serial::readSeriesFolder(dir.path());
    ASSERT_TRUE(book);
    const QString base = QDir(temp.path()).filePath(QStringLiteral("雨夜"));
    ASSERT_TRUE(serial::writeBook(*book, base));
    EXPECT_EQ(common::readTextFile(base + ".txt").text, serial::bookText(*book));

    QFile raw(base + ".epub");
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    // The first local header: stored (method 0), named "mimetype", its content right after.
    ASSERT_GT(bytes.size(), 60);
    EXPECT_EQ(bytes.left(4), QByteArray("PK\x03\x04", 4));
    EXPECT_EQ(bytes.at(8), 0);
    EXPECT_EQ(bytes.at(9), 0);
    EXPECT_EQ(bytes.mid(30, 8), "mimetype");
    const int extra = uchar(bytes.at(28)) | uchar(bytes.at(29)) << 8;
    EXPECT_EQ(bytes.mid(38 + extra, 20), "application/epub+zip");

    QuaZip zip(base + ".epub");
    ASSERT_TRUE(zip.open(QuaZip::mdUnzip));
    const QStringList names = zip.getFileNameList();
    EXPECT_EQ(names,
              QStringList({"mimetype", "META-INF/container.xml", "OEBPS/content.opf",
                           "OEBPS/nav.xhtml", "OEBPS/chapter0001.xhtml", "OEBPS/chapter0002.xhtml",
                           "OEBPS/chapter0003.xhtml", "OEBPS/cover.svg", "OEBPS/cover.xhtml"}));
    const auto entry = [&zip](const QString &name) {
        zip.setCurrentFile(name);
        QuaZipFile file(&zip);
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    };
    const QString opf = entry("OEBPS/content.opf");
    EXPECT_TRUE(opf.contains(QStringLiteral("<dc:title>雨夜</dc:title>")));
    EXPECT_TRUE(opf.contains("<dc:source>https://b.example/1.html</dc:source>"));
    EXPECT_TRUE(entry("OEBPS/nav.xhtml").contains(QStringLiteral("第二章: A&amp;B</a>")));
    EXPECT_TRUE(
        entry("OEBPS/chapter0002.xhtml").contains(QStringLiteral("<p>第二章的&lt;正文&gt;。</p>")));
    zip.close();

    const std::optional<EpubcheckResult> check = runEpubcheck(base + ".epub");
    if (!check)
        GTEST_SKIP() << "epubcheck (or java) is not installed: the EPUB was not validated";
    EXPECT_TRUE(check->passed) << check->report.toStdString();
}

TEST_F(SeriesFolder, CommandLineWritesBothFilesAndRefusesAFolderWithoutChapters) {
    const QString out = QDir(temp.path()).filePath("out/book");
    QDir().mkpath(QDir(temp.path()).filePath("out"));
    QProcess cli;
    cli.start(LUMARO_CLI, {"book", dir.path(), "--out", out});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_EQ(cli.readAllStandardOutput().trimmed(), "3");
    EXPECT_EQ(common::readTextFile(out + ".txt").text,
              serial::bookText(*serial::readSeriesFolder(dir.path())));
    EXPECT_TRUE(QFileInfo(out + ".epub").size() > 0);

    cli.start(LUMARO_CLI, {"book", temp.path() + "/missing", "--out", out + "2"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError()).contains(QStringLiteral("不存在")));
    EXPECT_FALSE(QFileInfo::exists(out + "2.txt"));
    cli.start(LUMARO_CLI, {"book", dir.path()});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 2);
}

TEST(SeriesBook, TitlesLoseTheSitesNameAndTheAuthorComesFromThePages) {
    QTemporaryDir temp;
    const QDir dir(temp.path());
    write(dir, "0001 第一章 雨夜_山河_笔趣阁.txt",
          QStringLiteral("第一章 雨夜_山河_笔趣阁\n\n作者：张三 更新时间：2024\n雨下了一夜。\n")
              .toUtf8());
    write(dir, "0002 第二章 风起_山河_笔趣阁.txt",
          QStringLiteral("第二章 风起_山河_笔趣阁\n\n风起了。\n").toUtf8());
    std::optional<serial::Book> book = serial::readSeriesFolder(dir.path());
    ASSERT_TRUE(book);
    EXPECT_EQ(book->chapters[0].title, QStringLiteral("第一章 雨夜"));
    EXPECT_EQ(book->chapters[1].title, QStringLiteral("第二章 风起"));
    EXPECT_EQ(book->author, QStringLiteral("张三"));
    EXPECT_TRUE(serial::bookText(*book).startsWith(
        QStringLiteral("%1\r\n作者：张三\r\n").arg(book->title)));

    // The author the chain found on the pages comes first.
    serial::ChainState state;
    state.title = QStringLiteral("山河");
    state.author = QStringLiteral("李四");
    state.finished = true;
    ASSERT_TRUE(serial::writeChainState(dir.path(), state));
    book = serial::readSeriesFolder(dir.path());
    const QString opf = QString::fromUtf8(serial::epubEntries(*book).at(2).second);
    EXPECT_TRUE(opf.contains(QStringLiteral("<dc:creator>李四</dc:creator>")));
    EXPECT_TRUE(QString::fromUtf8(serial::epubEntries(*book).at(3).second)
                    .contains(QStringLiteral("第一章 雨夜</a>")));
    ASSERT_TRUE(serial::writeBook(*book, dir.filePath("book")));
    if (const std::optional<EpubcheckResult> check = runEpubcheck(dir.filePath("book.epub"))) {
        EXPECT_TRUE(check->passed) << check->report.toStdString();
    }
}

TEST(Epub, TextThatXmlCannotHoldIsDropped) {
    serial::Book book;
    book.title = QStringLiteral("t\x01<&>");
    book.chapters.append({1, QStringLiteral("c"), QStringLiteral("a\x0B b\xFFFF c"), QUrl()});
    book.author = QStringLiteral("作者<b>");
    const auto entries = serial::epubEntries(book);
    ASSERT_EQ(entries.size(), 7);
    EXPECT_TRUE(entries[2].second.contains("<dc:title>t&lt;&amp;&gt;</dc:title>"));
    EXPECT_TRUE(entries[4].second.contains("<p>a b c</p>"));
    // The drawn cover holds the title and the author, escaped like the rest.
    EXPECT_EQ(entries[5].first, "OEBPS/cover.svg");
    EXPECT_TRUE(entries[5].second.contains("t&lt;&amp;&gt;</text>"));
    EXPECT_TRUE(entries[5].second.contains(QStringLiteral("作者&lt;b&gt;</text>").toUtf8()));
    EXPECT_TRUE(entries[2].second.contains("properties=\"cover-image\""));
}

} // namespace
