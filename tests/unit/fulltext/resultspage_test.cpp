#include "fulltext/resultspage.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace {

using fulltext::ResultsRequest;

const QUrl kPage = QUrl::fromLocalFile("/数据/searchsaved.htm");

fulltext::SearchHit hit(const QString &title, const QString &source, const QString &snippet) {
    return {"/存/页 1.htm",
            title,
            "htm",
            source,
            QDateTime(QDate(2026, 3, 1), QTime(9, 5)).toSecsSinceEpoch(),
            snippet,
            12345};
}

TEST(ResultsPageTest, RequestIsReadAsAFormSendsIt) {
    const struct {
        const char *query;
        QString words;
        int start;
    } table[] = {
        {"q=%E5%A4%A9%E6%B0%94+%E9%A2%84%E6%8A%A5&start=25", "天气 预报", 20},
        {"q=a%2Bb+-c", "a+b -c", 0},
        {"q=x&start=-40", "x", 0},
        {"start=abc", "", 0},
    };
    for (const auto &row : table) {
        QUrl url = kPage;
        url.setQuery(QString::fromLatin1(row.query));
        const ResultsRequest request = fulltext::resultsRequest(url);
        EXPECT_EQ(request.query, row.words) << row.query;
        EXPECT_EQ(request.start, row.start) << row.query;
        const ResultsRequest again =
            fulltext::resultsRequest(fulltext::resultsAddress(kPage, request));
        EXPECT_EQ(again.query, request.query) << row.query;
        EXPECT_EQ(again.start, request.start) << row.query;
    }
}

TEST(ResultsPageTest, SavedTextNeverBecomesMarkupOrScript) {
    fulltext::SearchResults results;
    results.ok = true;
    results.estimated = 2;
    results.hits = {
        hit("<script>alert(1)</script>", "javascript:alert(2)",
            QString("<img src=x onerror=alert(3)> 明天有") + fulltext::kMarkStart + "雷阵雨" +
                fulltext::kMarkEnd),
        hit("北京\"天气\"", "http://a.cn/x?a=1&b=2", "…"),
    };
    const QString html = fulltext::resultsPageHtml(kPage, {"\"><script>", 0}, results);
    // The one script is the page's own, and the policy lets no other run.
    EXPECT_EQ(html.count("<script", Qt::CaseInsensitive), 1);
    EXPECT_TRUE(html.contains("script-src 'sha256-"));
    EXPECT_FALSE(html.contains("unsafe-inline"));
    EXPECT_FALSE(html.contains("<img", Qt::CaseInsensitive));
    EXPECT_FALSE(html.contains("href=\"javascript", Qt::CaseInsensitive));
    EXPECT_TRUE(html.contains("&lt;script&gt;alert(1)&lt;/script&gt;"));
    EXPECT_TRUE(html.contains("value=\"&quot;&gt;&lt;script&gt;\""));
    EXPECT_TRUE(html.contains("明天有<mark>雷阵雨</mark>"));
    EXPECT_TRUE(html.contains("来自 javascript:alert(2)"));
    EXPECT_TRUE(html.contains("href=\"http://a.cn/x?a=1&amp;b=2\""));
    EXPECT_TRUE(
        html.contains("网页 · 页 1.htm · /存 (<a href=\"file:///%E5%AD%98/\">打开所在文件夹</a>)"
                      " · 2026-03-01 09:05 · 12.1 kB"))
        << html.toStdString();
    EXPECT_TRUE(html.contains(QUrl::fromLocalFile("/存/页 1.htm").toString(QUrl::FullyEncoded)));
}

TEST(ResultsPageTest, PagesOfTwentyLinkBackAndOn) {
    fulltext::SearchResults results;
    results.ok = true;
    results.estimated = 45;
    for (int i = 0; i < fulltext::kHitsPerPage; ++i)
        results.hits.append(hit(QString::number(i), "", ""));
    const QString middle = fulltext::resultsPageHtml(kPage, {"天气", 20}, results);
    EXPECT_TRUE(middle.contains("<ol start=\"21\">"));
    EXPECT_TRUE(middle.contains("q=%E5%A4%A9%E6%B0%94\">上一页"));
    EXPECT_TRUE(middle.contains("q=%E5%A4%A9%E6%B0%94&amp;start=40\">下一页"));
    results.hits.resize(5);
    const QString last = fulltext::resultsPageHtml(kPage, {"天气", 40}, results);
    EXPECT_FALSE(last.contains("下一页"));
    EXPECT_TRUE(last.contains("start=20\">上一页"));
    EXPECT_TRUE(fulltext::resultsPageHtml(kPage, {"火星", 0}, {true, {}, {}, 0})
                    .contains("没有找到含“火星”的网页或文本。"));
    // Filters one click away, each replacing its own kind; the one in force is not a link.
    const QString filtered = fulltext::resultsPageHtml(kPage, {"天气 date:今天", 0}, results);
    EXPECT_TRUE(filtered.contains("<b>今天</b>"));
    const QString two =
        fulltext::resultsPageHtml(kPage, {"天气 date:今天 sort:date kind:文本", 0}, results);
    EXPECT_EQ(two.count("<b>"), 4);
    for (const char *chosen : {"<b>已保存</b>", "<b>今天</b>", "<b>文本</b>", "<b>最新的在前</b>"})
        EXPECT_TRUE(two.contains(QString::fromUtf8(chosen))) << chosen;
    EXPECT_TRUE(filtered.contains("q=%E5%A4%A9%E6%B0%94%20date%3A%E4%BB%8A%E5%B9%B4\">今年</a>"))
        << filtered.toStdString();
    EXPECT_TRUE(filtered.contains(
        "q=%E5%A4%A9%E6%B0%94%20date%3A%E4%BB%8A%E5%A4%A9%20sort%3Adate\">最新的在前</a>"));
}

// The line at the top tells what the index holds; its button scans again and keeps the query.
TEST(ResultsPageTest, TheIndexSaysWhatItHoldsAndHowFarAScanHasCome) {
    const qint64 ended = QDateTime(QDate(2026, 3, 1), QTime(9, 5)).toSecsSinceEpoch();
    const struct {
        fulltext::IndexStatus status;
        const char *line;
    } table[] = {
        {{10000, false, 0, 0, ended}, "索引里有 10,000 个文件，上次扫描完成于 2026-03-01 09:05"},
        {{3, false, 0, 0, 0}, "索引里有 3 个文件，还没有扫描完保存文件夹"},
        {{1003, false, 0, 0, ended, 1000},
         "索引里有 3 个文件和 1,000 个读过的网页，上次扫描完成于 2026-03-01 09:05"},
        {{9000, true, 1234, 10000, ended}, "正在建立索引 1,234/10,000"},
        {{9000, true, 0, 0, ended}, "正在建立索引，正在清点文件…"},
        {{-1, false, 0, 0, 0}, "正在打开索引…"},
    };
    for (const auto &row : table) {
        const QString html =
            fulltext::resultsPageHtml(kPage, {"a\"b", 0}, {true, {}, {}, 0}, &row.status);
        EXPECT_TRUE(html.contains(QString::fromUtf8(row.line) + " <input type=\"hidden\" "
                                                                "name=\"q\" value=\"a&quot;b\">"
                                                                "<input type=\"hidden\" "
                                                                "name=\"rescan\" value=\"1\">"))
            << html.toStdString();
    }
    EXPECT_FALSE(fulltext::resultsPageHtml(kPage, {"a", 0}, {true, {}, {}, 0}).contains("rescan"));
}

} // namespace

namespace {

TEST(ResultsPageTest, TheSwitchOfSavedAndReadIsKeptInEveryLinkAndReadHitsOpenTheirAddress) {
    using Scope = fulltext::SearchFilters::Scope;
    QUrl url = kPage;
    url.setQuery("q=x&in=read&start=20");
    const ResultsRequest request = fulltext::resultsRequest(url);
    ASSERT_EQ(request.scope, Scope::Read);
    EXPECT_EQ(fulltext::resultsRequest(fulltext::resultsAddress(kPage, request)).scope,
              Scope::Read);
    url.setQuery("q=x&in=bogus");
    EXPECT_FALSE(fulltext::resultsRequest(url).scope.has_value());

    fulltext::SearchResults results;
    results.ok = true;
    results.estimated = 60;
    fulltext::SearchHit read{"",
                             "<b>读过</b>",
                             "read",
                             "https://a.cn/p?x=1&y=\"2\"",
                             QDateTime(QDate(2026, 3, 1), QTime(9, 5)).toSecsSinceEpoch(),
                             "…",
                             2048};
    for (int i = 0; i < fulltext::kHitsPerPage; ++i)
        results.hits.append(read);
    const QString html = fulltext::resultsPageHtml(kPage, request, results);
    // 读过 is in force; the other two are links; the pages before and after keep it.
    EXPECT_TRUE(html.contains("<b>读过</b> ")) << html.toStdString();
    EXPECT_TRUE(html.contains("in=saved\">已保存</a>"));
    EXPECT_TRUE(html.contains("in=all\">全部</a>"));
    EXPECT_TRUE(html.contains("start=40&amp;in=read\">下一页"));
    // The title opens the address (escaped); the text kept is one link away.
    EXPECT_TRUE(html.contains("<a href=\"https://a.cn/p?x=1&amp;y=%222%22\">&lt;b&gt;读过"))
        << html.mid(html.indexOf("<li>"), 600).toStdString();
    EXPECT_TRUE(html.contains("lumaro:readpage?u=https%3A%2F%2Fa.cn%2Fp%3Fx%3D1%26y%3D%222%22"));
    EXPECT_FALSE(html.contains("<b>读过</b></a>"));

    const QString text = fulltext::readPageHtml(
        {"javascript:alert(1)", "<script>t</script>", "<img src=x onerror=alert(2)>", 0});
    EXPECT_FALSE(text.contains("<script>t"));
    EXPECT_FALSE(text.contains("<img"));
    EXPECT_FALSE(text.contains("href=\"javascript"));
    EXPECT_TRUE(text.contains("script-src 'none'"));
    EXPECT_TRUE(fulltext::readPageHtml({}).isEmpty());
}

} // namespace
