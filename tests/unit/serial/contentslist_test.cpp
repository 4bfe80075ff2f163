#include "serial/contentslist.h"
#include "serial/nextlink.h"

#include <gtest/gtest.h>

namespace {

QStringList paths(const QList<QUrl> &urls) {
    QStringList out;
    for (const QUrl &url : urls)
        out.append(url.path());
    return out;
}

TEST(ContentsList, ChaptersInReadingOrderOnceEach) {
    const QUrl page("http://a.cn/book/7/");
    const struct {
        const char *name;
        const char *html;
        QStringList expected;
    } cases[] = {
        {"latest box above the full list, site links around",
         "<a href='/'>首页</a><a href='/top'>排行榜</a>"
         "<div><a href='3.html'>第三章 雪夜</a><a href='2.html'>第二章 山门</a></div>"
         "<dl><dd><a href='1.html'>第一章 下山</a></dd><dd><a href='2.html'>第二章 山门</a></dd>"
         "<dd><a href='3.html'>第三章 雪夜</a></dd></dl>"
         "<a href='http://b.cn/book/7/4.html'>第四章 别的网站</a><a href='#top'>第五章 返回</a>",
         {"/book/7/1.html", "/book/7/2.html", "/book/7/3.html"}},
        {"a base address, entities, English titles",
         "<base href='http://a.cn/read/'><a href='c1.htm?x=1&amp;y=2'>Chapter 1</a>"
         "<a href='c2.htm'>Chapter 2</a><a href='c3.htm'>chapter 3: The End</a>",
         {"/read/c1.htm", "/read/c2.htm", "/read/c3.htm"}},
        {"titles without chapter words: numbered pages of the contents page's folder",
         "<a href='/book/7/101.html'>下山</a><a href='/book/7/102.html'>山门</a>"
         "<a href='/news/5.html'>新闻</a><a href='/book/7/'>目录</a>",
         {"/book/7/101.html", "/book/7/102.html"}},
        {"no list", "<a href='/'>首页</a><p>第一章 只是文字</p>", {}},
        {"addresses whose numbers do not follow the order keep every link",
         "<a href='88.html'>第一章 下山</a><a href='12.html'>第二章 山门</a>"
         "<a href='57.html'>第三章 雪夜</a><a href='9.html'>第四章 风起</a>",
         {"/book/7/88.html", "/book/7/12.html", "/book/7/57.html", "/book/7/9.html"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(paths(serial::contentsChapters(QString::fromUtf8(c.html), page)), c.expected)
            << c.name;
    const QList<QUrl> withQuery = serial::contentsChapters(QString::fromUtf8(cases[1].html), page);
    ASSERT_FALSE(withQuery.isEmpty());
    EXPECT_EQ(withQuery[0].query(), "x=1&y=2");
}

// A box of the latest chapters above or below the list proper is not where the book starts.
TEST(ContentsList, ALatestChaptersBoxDoesNotOrderTheBook) {
    const auto links = [](int from, int to) {
        QString html;
        for (int n = from; from <= to ? n <= to : n >= to; n += from <= to ? 1 : -1)
            html += QString("<a href='%1.html'>第%1章 回目</a>").arg(n);
        return html;
    };
    QStringList first46;
    for (int n = 1; n <= 46; ++n)
        first46.append(QString("/book/7/%1.html").arg(n));
    const QUrl page("http://a.cn/book/7/");
    // The first page of a list over three: its box holds chapters of the last page.
    EXPECT_EQ(paths(serial::contentsChapters("<dt>最新章节</dt>" + links(120, 115) +
                                                 "<dt>正文</dt>" + links(1, 46),
                                             page)),
              first46);
    EXPECT_EQ(paths(serial::contentsChapters(links(1, 46) + links(46, 41), page)), first46);
}

TEST(ContentsList, AListOverPagesIsFollowedAndMergedInOrder) {
    const QUrl page("http://a.cn/book/7/index_2.html");
    const struct {
        const char *html;
        const char *next;
    } cases[] = {
        {"<a href='1.html'>第一章</a><a href='index_1.html'>上一页</a>"
         "<a href='index_3.html'>下一页</a>",
         "http://a.cn/book/7/index_3.html"},
        {"<a href='index_3.html'> Next </a>", "http://a.cn/book/7/index_3.html"},
        {"<a rel=next href='/book/7/index_3.html'>3</a>", "http://a.cn/book/7/index_3.html"},
        {"<a href='5.html'>下一章</a><a href='index_2.html'>下一页</a>", ""}, // itself
        {"<a href='http://b.cn/index_3.html'>下一页</a>", ""},                  // another site
        {"<a href='#more'>下一页</a>", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(serial::contentsNextPage(QString::fromUtf8(c.html), page).toString(), c.next)
            << c.html;
    const QList<QUrl> first{QUrl("http://a.cn/1"), QUrl("http://a.cn/2")};
    const QList<QUrl> last{QUrl("http://a.cn/2"), QUrl("http://a.cn/3")};
    EXPECT_EQ(paths(serial::mergeContentsPages({first, last})), QStringList({"/1", "/2", "/3"}));
}

TEST(ContentsList, NextChapterSkipsWhatWasSavedAndTheListSurvivesItsFile) {
    const QList<QUrl> list = {QUrl("http://a.cn/1.html"), QUrl("http://a.cn/2.html"),
                              QUrl("http://a.cn/3.html")};
    const QSet<QString> saved = {serial::chainKey(QUrl("http://a.cn/1.html")),
                                 serial::chainKey(QUrl("http://a.cn/3.html"))};
    EXPECT_EQ(serial::nextListedChapter(list, QUrl(), saved), list[1]);
    EXPECT_EQ(serial::nextListedChapter(list, list[1], saved), QUrl());
    EXPECT_EQ(serial::nextListedChapter(list, list[0], {}), list[1]);
    EXPECT_EQ(serial::nextListedChapter({}, QUrl(), {}), QUrl());

    QString text = serial::formatChapterList(list);
    text += "javascript:alert(1)\nfile:///etc/passwd\n\n";
    EXPECT_EQ(serial::parseChapterList(text), list);
}

} // namespace
