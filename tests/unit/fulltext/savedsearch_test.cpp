// How well the index of the saved files finds them: real-looking pages, texts and chapters in
// the three forms the program saves, and one table of what a query must find.
#include "common/ansifile.h"
#include "fulltext/extractedtext.h"
#include "fulltext/saveddocument.h"
#include "fulltext/savedindex.h"
#include "fulltext/savedsearch.h"
#include "serial/book.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using fulltext::SavedIndex;

struct Sample {
    const char *name;
    const char *content;
    enum Form { GbHtml, Utf8Html, GbText } form;
};

// Pages as the program saves them (GB18030 with a meta charset, or UTF-8), texts and
// chapters (GB18030, CR LF).
const Sample kSamples[] = {
    {"beijing.htm",
     "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
     "<title>北京天气预报_中国天气网</title><style>.a{color:red}</style></head><body>"
     "<p>北京今天晴转多云，最高气温28度。明天有雷阵雨，出门请带伞。</p>"
     "<p>空气质量良好，适宜户外运动。</p><script>var tracker = \"统计代码\";</script>"
     "<a href=\"/more\">更多城市</a></body></html>",
     Sample::GbHtml},
    {"other.htm",
     "<html><head><meta charset=\"gbk\"><title>生活小贴士</title></head><body>"
     "<p>昨天的预报很准。今天的天气转晴，风雪过后注意路面结冰。</p></body></html>",
     Sample::GbHtml},
    {"guide.html",
     "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
     "<title>Running in the rain: a beginner&#39;s guide</title></head><body>"
     "<p>Many runners enjoy a run in light rain. Check the forecast before you go out, "
     "because the weather changes fast.</p><p>Tomorrow try an easy route.</p></body></html>",
     Sample::Utf8Html},
    {"london.txt",
     "Weather forecast for London\r\nRain tomorrow, clearing in the afternoon.\r\n"
     "The weather forecast office expects a dry weekend.\r\n",
     Sample::GbText},
    {"第一章 风雪山神庙.txt",
     "第一章 风雪山神庙\r\n林冲在草料场看守，那夜大雪纷飞，天气寒冷。\r\n"
     "他去市井沽酒，回来时草厅已被雪压倒。\r\n",
     Sample::GbText},
    {"clip.txt",
     "剪贴板：会议纪要\r\n下周三开会讨论天气预警系统的升级方案。\r\n风雪天气风雪路面风雪预警\r\n",
     Sample::GbText},
};

QByteArray bytesOf(const Sample &sample) {
    const QString text = QString::fromUtf8(sample.content);
    return sample.form == Sample::Utf8Html
               ? text.toUtf8()
               : common::encodeText(text, common::FileEncoding::Gb18030);
}

class SavedSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath("save/chapters");
        for (const Sample &sample : kSamples)
            write(QString::fromUtf8(sample.name), bytesOf(sample));
        index = SavedIndex::open(indexPath(), &error);
        ASSERT_TRUE(index) << error.toStdString();
        const auto stats = index->updateFolders({savePath()}, {});
        ASSERT_EQ(stats.added, int(std::size(kSamples)));
    }
    QString savePath() const { return QDir(dir.path()).filePath("save"); }
    QString indexPath() const { return QDir(dir.path()).filePath("index"); }
    void write(const QString &name, const QByteArray &bytes) {
        QFile file(QDir(savePath()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // The file names of the hits, best first.
    QStringList found(const QString &query) {
        const auto results = fulltext::searchIndexFolder(indexPath(), query, 0, 20);
        EXPECT_TRUE(results.ok) << results.error.toStdString();
        QStringList names;
        for (const auto &hit : results.hits)
            names.append(QFileInfo(hit.path).fileName());
        return names;
    }

    QTemporaryDir dir;
    QString error;
    std::unique_ptr<SavedIndex> index;
};

struct Expectation {
    const char *query;
    QStringList all; // exactly these files are found, in any order
    QString first;   // the best hit, when it matters
};

TEST_F(SavedSearchTest, QueriesFindTheFilesHoldingTheirWords) {
    const Expectation table[] = {
        // Chinese of two to five characters, no dictionary.
        {"天气", {"beijing.htm", "other.htm", "第一章 风雪山神庙.txt", "clip.txt"}, ""},
        {"雷阵雨", {"beijing.htm"}, "beijing.htm"},
        {"草料场", {"第一章 风雪山神庙.txt"}, ""},
        {"天气预警", {"clip.txt"}, ""},
        {"风雪山神庙", {"第一章 风雪山神庙.txt"}, "第一章 风雪山神庙.txt"},
        // Scripts, styles and markup are not text; link texts are.
        {"统计代码", {}, ""},
        {"color", {}, ""},
        {"更多城市", {"beijing.htm"}, ""},
        // English words in any form.
        {"running", {"guide.html"}, ""},
        {"runners", {"guide.html"}, ""},
        {"beginner's", {"guide.html"}, ""},
        // Two words: every file with both; the one holding them side by side first.
        {"weather forecast", {"london.txt", "guide.html"}, "london.txt"},
        {"天气 预报", {"beijing.htm", "other.htm"}, "beijing.htm"},
        // The title counts above the text: "风雪" is said three times in the clipping.
        {"风雪", {"第一章 风雪山神庙.txt", "other.htm", "clip.txt"}, "第一章 风雪山神庙.txt"},
        {"title:rain", {"guide.html"}, ""},
        // -word leaves out, "..." asks for the phrase.
        {"rain -running", {"london.txt"}, ""},
        {"天气 -北京", {"other.htm", "第一章 风雪山神庙.txt", "clip.txt"}, ""},
        {"\"rain tomorrow\"", {"london.txt"}, ""},
        {"\"天气预报\"", {"beijing.htm"}, ""},
        {"\"forecast before\"", {"guide.html"}, ""},
        // A word ending in "*" finds the words it begins.
        {"runn*", {"guide.html"}, ""},
        {"forec*", {"london.txt", "guide.html"}, ""},
        {"weath* -rain", {}, ""},
        {"草料场 OR beginn*", {"第一章 风雪山神庙.txt", "guide.html"}, ""},
        // Nothing, and what a user may mistype.
        {"火星探测器", {}, ""},
        {"\"天气", {"beijing.htm", "other.htm", "第一章 风雪山神庙.txt", "clip.txt"}, ""},
    };
    for (const Expectation &row : table) {
        const QStringList names = found(QString::fromUtf8(row.query));
        QStringList sorted = names;
        sorted.sort();
        QStringList expected = row.all;
        expected.sort();
        EXPECT_EQ(sorted.join(" | ").toStdString(), expected.join(" | ").toStdString())
            << row.query;
        if (!row.first.isEmpty() && !names.isEmpty()) {
            EXPECT_EQ(names.front().toStdString(), row.first.toStdString()) << row.query;
        }
    }
}

// A prefix that begins more words than it may stand for still finds, and says so.
TEST_F(SavedSearchTest, APrefixOfTooManyWordsIsSaid) {
    QByteArray words;
    for (int i = 0; i < fulltext::kMaxPrefixWords + 50; ++i)
        words += "zq" + QByteArray::number(i) + "x ";
    write("many.txt", words);
    index->updateFolders({savePath()}, {});
    const auto results = fulltext::searchIndexFolder(indexPath(), "zq*", 0, 20);
    ASSERT_TRUE(results.ok) << results.error.toStdString();
    ASSERT_EQ(results.hits.size(), 1);
    EXPECT_TRUE(results.notice.contains("zq*")) << results.notice.toStdString();
    EXPECT_TRUE(fulltext::searchIndexFolder(indexPath(), "zq1*", 0, 20).notice.isEmpty());
}

TEST_F(SavedSearchTest, HitsCarryTitleKindSourceAndMarkedSnippet) {
    const auto results = fulltext::searchIndexFolder(indexPath(), "雷阵雨", 0, 5);
    ASSERT_EQ(results.hits.size(), 1);
    const auto &hit = results.hits.front();
    EXPECT_EQ(hit.title, "北京天气预报_中国天气网");
    EXPECT_EQ(hit.kind, "htm");
    EXPECT_EQ(hit.size, QFileInfo(hit.path).size());
    EXPECT_GT(hit.size, 0);
    QString marked = hit.snippet;
    marked.replace(fulltext::kMarkStart, u'[').replace(fulltext::kMarkEnd, u']');
    EXPECT_TRUE(marked.contains("[雷阵雨]")) << marked.toStdString();
}

// A snippet is plain text, marked on whole words only; a query too long to mean anything is
// refused at once.
TEST_F(SavedSearchTest, SnippetsArePlainTextMarkedOnWholeWords) {
    write("quote.txt", common::encodeText("引文\r\n编号 7：Tom & Jerry <i>，见引号内。\r\n",
                                          common::FileEncoding::Gb18030));
    index->updateFolders({savePath()}, {});
    const auto results = fulltext::searchIndexFolder(indexPath(), "编号 Jerry", 0, 5);
    ASSERT_EQ(results.hits.size(), 1);
    QString marked = results.hits.front().snippet;
    marked.replace(fulltext::kMarkStart, u'[').replace(fulltext::kMarkEnd, u']');
    EXPECT_TRUE(marked.startsWith("引文 [编号] 7：Tom & [Jerry] <i>，见引号内"))
        << marked.toStdString();

    const auto tooLong = fulltext::searchIndexFolder(indexPath(), QString(5000, u'雨'), 0, 5);
    EXPECT_FALSE(tooLong.ok);
    EXPECT_TRUE(tooLong.error.contains("1000")) << tooLong.error.toStdString();
}

// A long text is cut around the words before Xapian picks the snippet: the words far down
// are still the ones shown, also when the query has fields, quotes and words left out.
TEST_F(SavedSearchTest, TheSnippetOfALongTextShowsTheWordsFoundFarDown) {
    QString text = "长篇笔记\r\n";
    for (int i = 0; i < 2000; ++i)
        text += "今天记录一些琐事。";
    text += "广告\r\n最后一段提到了龙卷风警报。\r\n";
    write("long.txt", common::encodeText(text, common::FileEncoding::Gb18030));
    index->updateFolders({savePath()}, {});
    for (const char *query : {"龙卷风", "title:long \"龙卷风 警报\" -暴雪", "警报 OR 没有的词"}) {
        const auto results = fulltext::searchIndexFolder(indexPath(), query, 0, 5);
        ASSERT_EQ(results.hits.size(), 1) << query;
        QString marked = results.hits.front().snippet;
        marked.replace(fulltext::kMarkStart, u'[').replace(fulltext::kMarkEnd, u']');
        EXPECT_TRUE(marked.contains("[龙卷风") || marked.contains("[警报]"))
            << query << ": " << marked.toStdString();
    }
}

// Packing the index keeps what it finds; a kill in the middle of it leaves an index that
// opens whole, the old one or the packed one.
TEST_F(SavedSearchTest, PackingSurvivesAKillAtEveryStep) {
    index.reset();
    ASSERT_TRUE(SavedIndex::compact(indexPath(), &error)) << error.toStdString();
    EXPECT_EQ(found("雷阵雨"), QStringList{"beijing.htm"});
    const QString packed = indexPath() + ".compacting";
    const QString old = indexPath() + ".replaced";
    EXPECT_FALSE(QFileInfo::exists(packed));
    EXPECT_FALSE(QFileInfo::exists(old));

    // Killed after the old index went aside: the packed copy is complete and is taken.
    ASSERT_TRUE(QDir().rename(indexPath(), packed));
    ASSERT_TRUE(QDir().mkpath(old));
    // Killed before: the old index is still there, so the half-written copy is dropped.
    // Killed between: only the old index, which goes back.
    for (int kill = 0; kill < 3; ++kill) {
        index.reset();
        if (kill == 1) {
            ASSERT_TRUE(QDir().mkpath(packed + "/half"));
        } else if (kill == 2) {
            ASSERT_TRUE(QDir().rename(indexPath(), old));
        }
        index = SavedIndex::open(indexPath(), &error);
        ASSERT_TRUE(index) << kill << error.toStdString();
        EXPECT_EQ(index->documentCount(), int(std::size(kSamples))) << kill;
        EXPECT_FALSE(QFileInfo::exists(packed)) << kill;
        EXPECT_FALSE(QFileInfo::exists(old)) << kill;
    }
}

TEST_F(SavedSearchTest, UpdateFindsAddedChangedMovedAndDeletedFiles) {
    write("new.txt", common::encodeText("新来的文章：量子计算\r\n", common::FileEncoding::Gb18030));
    write("london.txt", common::encodeText("Snow in London\r\n", common::FileEncoding::Gb18030));
    ASSERT_TRUE(QFile::rename(QDir(savePath()).filePath("guide.html"),
                              QDir(savePath()).filePath("chapters/guide.html")));
    ASSERT_TRUE(QFile::remove(QDir(savePath()).filePath("other.htm")));
    const QString seen = QDir(dir.path()).filePath("seen.txt");
    QFile record(seen);
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write(
        ("S\t1700000000\thttps://news.example.cn/q.html\t" + savePath() + "\tnew.txt\nS\tbad\tx\n")
            .toUtf8());
    record.close();

    const qint64 before = QDateTime::currentSecsSinceEpoch();
    QList<std::pair<int, int>> progress;
    const auto stats = index->updateFolders({savePath()}, fulltext::readSavedSources(seen), {}, 50,
                                            [&](int done, int total) {
                                                progress.append({done, total});
                                            });
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.first(), std::make_pair(0, int(std::size(kSamples))));
    EXPECT_EQ(progress.last(), std::make_pair(int(std::size(kSamples)), int(std::size(kSamples))));
    EXPECT_GE(index->lastScanEnded(), before);
    EXPECT_EQ(stats.added, 2); // new.txt and the moved guide.html
    EXPECT_EQ(stats.changed, 1);
    EXPECT_EQ(stats.removed, 2); // other.htm and guide.html where it was
    EXPECT_EQ(stats.unchanged, int(std::size(kSamples)) - 3);
    EXPECT_EQ(index->documentCount(), int(std::size(kSamples)));

    EXPECT_EQ(found("量子计算"), QStringList{"new.txt"});
    EXPECT_EQ(found("snow"), QStringList{"london.txt"});
    EXPECT_TRUE(found("\"weather forecast\"").isEmpty());
    EXPECT_TRUE(found("昨天").isEmpty());
    const auto moved = fulltext::searchIndexFolder(indexPath(), "runners", 0, 5);
    ASSERT_EQ(moved.hits.size(), 1);
    EXPECT_TRUE(moved.hits.front().path.endsWith("/save/chapters/guide.html"));
    const auto sourced = fulltext::searchIndexFolder(indexPath(), "量子计算", 0, 5);
    ASSERT_EQ(sourced.hits.size(), 1);
    EXPECT_EQ(sourced.hits.front().source, "https://news.example.cn/q.html");
    EXPECT_EQ(sourced.hits.front().saved, 1700000000);

    EXPECT_EQ(index->updateFolders({savePath()}, {}).unchanged, int(std::size(kSamples)));
}

// Files are read ahead of the writing: a scan stopped on the way keeps every document it
// wrote, in the index as committed, and the next scan does the rest.
TEST_F(SavedSearchTest, AScanStoppedOnTheWayKeepsWhatItWroteAndTheNextOneEndsIt) {
    constexpr int kNew = 60;
    for (int i = 0; i < kNew; ++i)
        write(QStringLiteral("batch%1.txt").arg(i),
              common::encodeText(QStringLiteral("批量文章%1 quantum\r\n").arg(i),
                                 common::FileEncoding::Gb18030));
    int done = 0;
    const auto first = index->updateFolders(
        {savePath()}, {}, [&] { return done > int(std::size(kSamples)) + kNew / 3; }, 50,
        [&](int d, int) { done = d; });
    EXPECT_GT(first.added, 0);
    EXPECT_LT(first.added, kNew);
    // What a reader sees, with the writer still open, is what was committed.
    EXPECT_EQ(fulltext::searchIndexFolder(indexPath(), "quantum", 0, kNew).hits.size(),
              first.added);
    const auto second = index->updateFolders({savePath()}, {});
    EXPECT_EQ(second.added, kNew - first.added);
    EXPECT_EQ(found("quantum").size(), 20); // a page of hits
    EXPECT_EQ(found(QStringLiteral("批量文章%1").arg(kNew - 1)).size(), 1);
}

TEST_F(SavedSearchTest, BrokenIndexIsMovedAsideAndMadeAnew) {
    index.reset();
    for (const QString &name : QDir(indexPath()).entryList(QDir::Files)) {
        QFile file(QDir(indexPath()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a database");
    }
    QString movedAside;
    index = SavedIndex::open(indexPath(), &error, &movedAside);
    ASSERT_TRUE(index) << error.toStdString();
    EXPECT_TRUE(movedAside.startsWith(indexPath() + ".broken-")) << movedAside.toStdString();
    EXPECT_TRUE(QFileInfo(movedAside).isDir());
    EXPECT_EQ(index->documentCount(), 0);
    EXPECT_EQ(index->updateFolders({savePath()}, {}).added, int(std::size(kSamples)));
    EXPECT_EQ(found("雷阵雨"), QStringList{"beijing.htm"});
}

TEST_F(SavedSearchTest, SecondWriterIsRefusedWithoutHarm) {
    QString movedAside;
    EXPECT_FALSE(SavedIndex::open(indexPath(), &error, &movedAside));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(movedAside.isEmpty());
    EXPECT_EQ(found("雷阵雨"), QStringList{"beijing.htm"});
}

} // namespace

// The program's own lists and a data folder's subfolders are not what the user saved.
TEST(SavedDocumentFiles, TheProgramsOwnFilesAreNotDocuments) {
    QTemporaryDir data;
    QFile(data.filePath("link.htm")).open(QIODevice::WriteOnly);
    QTemporaryDir other;
    const struct {
        QString path;
        bool indexed;
    } cases[] = {
        {data.filePath("北京天气.htm"), true},
        {data.filePath("笔记.TXT"), true},
        {data.filePath("a.html"), true},
        {data.filePath("a.mhtml"), false},
        {data.filePath("seen.txt"), false},
        {data.filePath("href.txt"), false},
        {data.filePath("Email.txt"), false},
        {data.filePath("link.htm"), false},
        {data.filePath("help.html"), false},
        {data.filePath("group/组1.txt"), false},
        {data.filePath("savetemplate/savetext.htm"), false},
        {data.filePath("inputtemplate/登录.txt"), false},
        {data.filePath("小说/group/第一章.txt"), true}, // no link.htm beside 小说/group
        {other.filePath("group/组1.txt"), true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(fulltext::isIndexedFile(c.path), c.indexed) << c.path.toStdString();
}

namespace {

// Filters in the query and from lumaro-cli narrow the hits by time saved, source site, folder
// and kind, and sort:date puts the newest first.
TEST_F(SavedSearchTest, FiltersNarrowByDateSiteFolderAndKindAndSortPutsTheNewestFirst) {
    QDir(savePath()).mkpath("新闻/国内");
    write("新闻/a.htm", "<title>甲</title><body>filtertest 甲</body>");
    write("新闻/国内/b.txt", "filtertest 乙\r\n");
    write("c.htm", "<title>丙</title><body>filtertest 丙</body>");
    // A series saved chapter by chapter: its folder holds the chain's state file.
    QDir(savePath()).mkpath("连载");
    write("连载/连续保存.ini", "[chain]\r\n");
    write("连载/第一章.htm", "<title>第一章</title><body>chaptertest</body>");
    write("d.htm", "<title>丁</title><body>chaptertest</body>");
    const auto at = [](int month, int day) {
        return QDateTime(QDate(2026, month, day), QTime(12, 0)).toSecsSinceEpoch();
    };
    QHash<QString, fulltext::SavedSource> sources;
    sources.insert(fulltext::savedSourceKey(QDir(savePath()).filePath("新闻/a.htm")),
                   {"http://news.example.cn/a.htm", at(1, 5)});
    sources.insert(fulltext::savedSourceKey(QDir(savePath()).filePath("新闻/国内/b.txt")),
                   {"https://www.other.cn/b", at(3, 10)});
    index->updateFolders({savePath()}, sources);
    const QString news = QDir(savePath()).filePath("新闻");
    const Expectation cases[] = {
        {"filtertest dir:新闻", {"a.htm", "b.txt"}, {}},
        {"filtertest dir:国内", {"b.txt"}, {}},
        {"filtertest site:example.cn", {"a.htm"}, {}},
        {"filtertest site:news.example.cn kind:htm", {"a.htm"}, {}},
        {"filtertest kind:文本", {"b.txt"}, {}},
        {"filtertest date:2026-01-01..2026-01-31", {"a.htm"}, {}},
        {"filtertest date:..2026-03-10", {"a.htm", "b.txt"}, {}},
        {"filtertest date:2026-03-10", {"b.txt"}, {}},
        {"dir:新闻", {"a.htm", "b.txt"}, {}},
        {"filtertest date:今天", {"c.htm"}, {}},
        {"chaptertest kind:章节", {"第一章.htm"}, {}},
        {"chaptertest kind:chapter", {"第一章.htm"}, {}},
        {"chaptertest kind:htm", {"d.htm"}, {}},
    };
    for (const Expectation &c : cases) {
        QStringList names = found(QString::fromUtf8(c.query));
        names.sort();
        EXPECT_EQ(names, c.all) << c.query;
    }
    QStringList inFolder = found("filtertest dir:" + news + "/");
    inFolder.sort();
    EXPECT_EQ(inFolder, QStringList({"a.htm", "b.txt"})); // a folder by its path
    EXPECT_EQ(found("filtertest sort:date"), QStringList({"c.htm", "b.txt", "a.htm"}));
    fulltext::SearchFilters extra;
    extra.kinds = {"htm"};
    extra.newestFirst = true;
    QStringList names;
    for (const auto &hit : fulltext::searchIndexFolder(indexPath(), "filtertest", 0, 9, extra).hits)
        names.append(QFileInfo(hit.path).fileName());
    EXPECT_EQ(names, QStringList({"c.htm", "a.htm"}));
    const auto wrong = fulltext::searchIndexFolder(indexPath(), "filtertest date:2026-13-01", 0, 9);
    EXPECT_FALSE(wrong.ok);
    EXPECT_TRUE(wrong.error.contains("date:2026-13-01")) << wrong.error.toStdString();
}

TEST(SearchFiltersTest, FiltersAreTakenOutOfTheQueryAndRead) {
    const QDate today(2026, 12, 9);
    const auto split = fulltext::splitFilters(
        "天气 date:2026-01-01..2026-06-30 site:https://WWW.Example.cn/x dir:\"我的 文件夹\" "
        "kind:html sort:date 预报",
        today);
    EXPECT_EQ(split.words, "天气 预报");
    EXPECT_EQ(split.filters.since, QDate(2026, 1, 1).startOfDay());
    EXPECT_EQ(split.filters.until, QDate(2026, 6, 30).endOfDay());
    EXPECT_EQ(split.filters.sites, QStringList{"www.example.cn"});
    EXPECT_EQ(split.filters.dirs, QStringList{"我的 文件夹"});
    EXPECT_EQ(split.filters.kinds, QStringList{"htm"});
    EXPECT_TRUE(split.filters.newestFirst);
    EXPECT_EQ(fulltext::splitFilters("x date:最近一周", today).filters.since,
              QDate(2026, 12, 3).startOfDay());
    EXPECT_EQ(fulltext::splitFilters("x date:今年", today).filters.since,
              QDate(2026, 1, 1).startOfDay());
    for (const char *wrong : {"date:2026-02-30", "date:..", "kind:doc", "sort:size", "site:"})
        EXPECT_FALSE(fulltext::splitFilters(QString("x ") + wrong, today).error.isEmpty()) << wrong;
    // A word that only looks like a field stays a word.
    EXPECT_EQ(fulltext::splitFilters("http://a.cn/x title:北京", today).words,
              "http://a.cn/x title:北京");

    EXPECT_EQ(fulltext::filterTerms("/s/新闻/A/x.htm", "http://news.example.cn/p"),
              QStringList({"Hnews.example.cn", "Hexample.cn", "P/s/新闻/A", "Da", "P/s/新闻",
                           "D新闻", "P/s", "Ds"}));
}

// A book the program made is found by its chapters' words, as a book; a file named .epub
// that is no book is passed over without harm.
TEST_F(SavedSearchTest, BooksAreFoundByTheirChaptersText) {
    serial::Book book;
    book.title = "林冲传";
    book.chapters = {{1, "第一章 白虎堂", "误入白虎节堂。", {}},
                     {2, "第二章 野猪林", "鲁智深大闹野猪林，救下林冲。", {}}};
    QDir(savePath()).mkpath("books");
    ASSERT_TRUE(serial::writeBook(book, QDir(savePath()).filePath("books/林冲传")));
    QFile(QDir(savePath()).filePath("books/林冲传.txt")).remove(); // the book alone
    write("books/broken.epub", "PK\x03\x04 not a book");
    index->updateFolders({savePath()}, {});
    const auto results = fulltext::searchIndexFolder(indexPath(), "野猪林 kind:书", 0, 5);
    ASSERT_EQ(results.hits.size(), 1) << results.error.toStdString();
    EXPECT_EQ(results.hits[0].title, "林冲传");
    EXPECT_EQ(results.hits[0].kind, "epub");
    EXPECT_EQ(found("白虎节堂"), QStringList{"林冲传.epub"});
    EXPECT_FALSE(fulltext::readEpubText(QDir(savePath()).filePath("books/broken.epub")).ok);
}

// A one-page PDF holding `line` in Helvetica, its title in its metadata.
QByteArray pdfWith(const QByteArray &title, const QByteArray &line) {
    const QByteArray content = "BT /F1 18 Tf 40 700 Td (" + line + ") Tj ET";
    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
        "/Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
            "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
        "<< /Title (" + title + ") >>",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R /Info 6 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

// A PDF is found by the words of its pages; one cut short or no PDF at all is passed over.
TEST_F(SavedSearchTest, PdfsAreFoundByTheTextOfTheirPages) {
    const QByteArray pdf = pdfWith("Storm report", "Thunderstorm warning for the harbour");
    write("report.pdf", pdf);
    write("cut.pdf", pdf.left(pdf.size() / 3));
    write("fake.pdf", "not a pdf");
    index->updateFolders({savePath()}, {});
    const auto results = fulltext::searchIndexFolder(indexPath(), "harbour kind:pdf", 0, 5);
    ASSERT_EQ(results.hits.size(), 1) << results.error.toStdString();
    EXPECT_EQ(results.hits[0].title, "Storm report");
    EXPECT_EQ(results.hits[0].kind, "pdf");
    EXPECT_FALSE(fulltext::readPdfText(QDir(savePath()).filePath("fake.pdf")).ok);
}

} // namespace

namespace {

// The addresses of the hits (pages read) or file names (saved files), best first.
QStringList foundIn(const QString &indexFolder, const QString &query,
                    fulltext::SearchFilters::Scope scope) {
    fulltext::SearchFilters filters;
    filters.scope = scope;
    const auto results = fulltext::searchIndexFolder(indexFolder, query, 0, 20, filters);
    EXPECT_TRUE(results.ok) << results.error.toStdString();
    QStringList names;
    for (const auto &hit : results.hits)
        names.append(hit.kind == "read" ? hit.source : QFileInfo(hit.path).fileName());
    return names;
}

TEST_F(SavedSearchTest, PagesReadAreFoundByTheirTextOnceADayAndGoBySiteTimeOrAddress) {
    using Scope = fulltext::SearchFilters::Scope;
    const qint64 monday = QDateTime(QDate(2026, 12, 7), QTime(9, 0)).toSecsSinceEpoch();
    const QString weather = "https://news.example.cn/weather?id=1&x=2";
    ASSERT_TRUE(index->indexReadPage({weather, "读过的天气", "上海明天暴雨，气温骤降。", monday}));
    ASSERT_TRUE(
        index->indexReadPage({"http://other.cn/", "Other", "暴雨 forecast", monday + 3600}));
    // The same address again that day is not read twice; the next day it is taken anew.
    EXPECT_FALSE(index->indexReadPage({weather, "读过的天气", "改了的文字", monday + 60}));
    ASSERT_TRUE(index->commit());
    QStringList both = foundIn(indexPath(), "暴雨", Scope::Read);
    both.sort();
    EXPECT_EQ(both, (QStringList{"http://other.cn/", weather}));
    EXPECT_EQ(foundIn(indexPath(), "改了", Scope::Read), QStringList{});
    EXPECT_EQ(foundIn(indexPath(), "天气 site:example.cn", Scope::Read), QStringList{weather});
    EXPECT_EQ(foundIn(indexPath(), "天气", Scope::Saved).size(),
              foundIn(indexPath(), "天气", Scope::All).size() - 1);
    EXPECT_EQ(foundIn(indexPath(), "天气 kind:读过", Scope::All), QStringList{weather});
    ASSERT_TRUE(index->indexReadPage({weather, "读过的天气", "改了的文字", monday + 86400}));
    ASSERT_TRUE(index->commit());
    EXPECT_EQ(foundIn(indexPath(), "改了", Scope::Read), QStringList{weather});

    // The hit carries the page's address, title and a snippet of the kept text; the text is
    // found again by the address.
    const auto results = fulltext::searchIndexFolder(indexPath(), "改了", 0, 5);
    ASSERT_EQ(results.hits.size(), 1);
    EXPECT_EQ(results.hits[0].title, "读过的天气");
    EXPECT_TRUE(results.hits[0].path.isEmpty());
    EXPECT_TRUE(results.hits[0].snippet.contains(QString(fulltext::kMarkStart) + "改了"));
    const fulltext::ReadPage kept = fulltext::readPageInIndex(indexPath(), weather);
    EXPECT_EQ(kept.text, "改了的文字");
    EXPECT_EQ(kept.time, monday + 86400);
    EXPECT_TRUE(fulltext::readPageInIndex(indexPath(), "https://never.cn/").address.isEmpty());

    // At most 200 KB of text, cut between characters.
    const QString longText = QString("汉").repeated(100000) + "末尾词";
    ASSERT_TRUE(index->indexReadPage({"https://long.cn/", "长", longText, monday}));
    ASSERT_TRUE(index->commit());
    const QString cut = fulltext::readPageInIndex(indexPath(), "https://long.cn/").text;
    EXPECT_LE(cut.toUtf8().size(), fulltext::kMaxReadTextBytes);
    EXPECT_GT(cut.toUtf8().size(), fulltext::kMaxReadTextBytes - 3);
    EXPECT_FALSE(cut.contains(QChar::ReplacementCharacter));

    // A scan of the save folder leaves pages read alone.
    index->updateFolders({savePath()}, {});
    EXPECT_EQ(foundIn(indexPath(), "暴雨 OR 改了", Scope::Read).size(), 2);

    // Taken out by site (with subdomains), by time, by address, or all.
    EXPECT_EQ(index->removeReadPages("example.cn", 0), 1);
    EXPECT_EQ(index->removeReadPages(QString(), monday + 1800), 1); // other.cn, read later
    EXPECT_TRUE(index->removeReadPage("https://long.cn/"));
    ASSERT_TRUE(index->commit());
    EXPECT_EQ(foundIn(indexPath(), "暴雨 OR 汉", Scope::All), QStringList{});
    EXPECT_EQ(index->removeReadPages(QString(), 0), 0);
    EXPECT_EQ(foundIn(indexPath(), "天气", Scope::Saved).size(),
              foundIn(indexPath(), "天气", Scope::All).size());
}

TEST(SavedDocumentFiles, PagesWithAPasswordFieldAreKnown) {
    const struct {
        const char *html;
        bool password;
    } rows[] = {
        {"<form><input name=u><INPUT Type='Password' name=p></form>", true},
        {"<input class=x type=password>", true},
        {"<input type=\"text\" placeholder=\"password\">", false},
        {"<p>type=password</p>", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(fulltext::hasPasswordField(QString::fromUtf8(row.html)), row.password)
            << row.html;
}

} // namespace
