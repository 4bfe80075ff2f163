#include "editing/deletion.h"
#include "editing/groups.h"
#include "text/capturetext.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(RemoveFromShownText, RemovesTheSelectionWhereThePageShowsTextOnly) {
    const struct {
        const char *html;
        const char *selection;
        const char *expected;
    } cases[] = {
        {"<p>广告 x 广告</p><a href='广告'>广告</a>", "广告", "<p> x </p><a href='广告'></a>"},
        {"<body><p>body</p></body>", "body", "<body><p></p></body>"},
        {"<p title=\"a > b\">a > b</p>", "b", "<p title=\"a > b\">a > </p>"},
        {"<script>var body = 1;</script>body<style>body{}</style>", "body",
         "<script>var body = 1;</script><style>body{}</style>"},
        {"<!-- body -->body<title>body</title>", "body", "<!-- body --><title>body</title>"},
        {"<SCRIPT type=x>if (a<b) body();</SCRIPT>body", "body",
         "<SCRIPT type=x>if (a<b) body();</SCRIPT>"},
        {"a < b and a<b>b", "b", "a <  and a<b>"},
        {"<p>a &amp; b</p>", "a & b", "<p>a &amp; b</p>"},
        {"<p>x</p>", "", "<p>x</p>"},
        {"<p>aaa</p>", "aa", "<p>a</p>"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(
            editing::removeFromShownText(QString::fromUtf8(c.html), QString::fromUtf8(c.selection)),
            QString::fromUtf8(c.expected))
            << c.html;
    }
}

// The shipped favourites page with two rows, in the line-end style `end`.
QString shippedFavourites(const QString &end) {
    QFile file(QStringLiteral(LUMARO_SHIPPED_FOLDER "/link.htm"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(file.readAll());
    EXPECT_FALSE(text.contains(u'\r')); // the program ships LF
    const QString rows =
        "<tr class=\"normalcolorstyle\">\n<td width=\"45%\" "
        "OnClick=\"location.href='http://a.example/'\">&nbsp;http://a.example/</td>\n"
        "<td width=\"35%\">&nbsp;甲站</td>\n<td><input type=\"button\" value=\"删除\" "
        "name=\"B2AAAA\"></td>\n</tr>\n"
        "<tr class=\"normalcolorstyle\">\n<td width=\"45%\" "
        "OnClick=\"location.href='http://b.example/'\">&nbsp;http://b.example/</td>\n"
        "<td width=\"35%\">&nbsp;乙站</td>\n<td><input type=\"button\" value=\"删除\" "
        "name=\"B2BBBB\"></td>\n</tr>\n";
    text.insert(text.indexOf("</table>"), rows);
    text.replace(u'\n', end);
    return text;
}

QString without(QString text, const QString &part) {
    EXPECT_EQ(text.count(part), 1) << part.toStdString();
    return text.remove(part);
}

TEST(RemoveFavouriteHolding, KeepsEverythingButTheSelectedRowOrLineInEveryLineEndStyle) {
    for (const QString end : {"\n", "\r\n", "\r"}) {
        const QString file = shippedFavourites(end);
        const QString head = file.left(file.indexOf("</head>"));
        // From `start` through the next "</tr>" or "</p>" and its line end.
        const auto through = [&](const QString &start, const QString &close) {
            const qsizetype from = file.indexOf(start);
            return file.mid(from, file.indexOf(close, from) + close.size() + end.size() - from);
        };
        const QString rowA = through("<tr class", "</tr>");
        // A row: the whole row goes, the other row stays.
        EXPECT_EQ(editing::removeFavouriteHolding(file, u"甲站"), without(file, rowA));
        // The heading: "favorites" is also the title, which is not shown text.
        EXPECT_EQ(editing::removeFavouriteHolding(file, u"favorites"),
                  without(file, "<h1>我的收藏（favorites）</h1>" + end));
        // The header row, and the text after the table.
        EXPECT_EQ(editing::removeFavouriteHolding(file, u"链接说明"),
                  without(file, through("<tr><th", "</tr>")));
        EXPECT_EQ(editing::removeFavouriteHolding(file, u"收藏页"),
                  without(file, through("<p style", "</p>")));
        for (const auto &selection : {u"甲站", u"favorites", u"链接说明", u"收藏页"})
            EXPECT_TRUE(editing::removeFavouriteHolding(file, selection)->startsWith(head));
        // Markup is not shown text; a selection across tags is not in the file.
        EXPECT_EQ(editing::removeFavouriteHolding(file, u"normalcolorstyle"), std::nullopt);
        EXPECT_EQ(editing::removeFavouriteHolding(file, u"甲站 乙站"), std::nullopt);
        // A title with "&" is stored escaped by the row the program added.
        QString escaped = file;
        escaped.replace("甲站", "Tom &amp; Jerry");
        EXPECT_EQ(editing::removeFavouriteHolding(escaped, u"Tom & Jerry"),
                  editing::removeFavouriteHolding(file, u"甲站"));
    }
}

TEST(GroupAddresses, OneAddressPerLineInOrder) {
    EXPECT_EQ(editing::groupAddresses(
                  u" http://a.example/ \r\n首页(file:///D:/a.htm)\nabout:blank\r\r\nx)y(z\n"),
              QStringList({"http://a.example/", "file:///D:/a.htm", "about:blank", "", "x)y(z"}));
    EXPECT_TRUE(editing::groupAddresses(u"").isEmpty());
}

TEST(CaptureText, NamesBodiesAndPages) {
    EXPECT_EQ(text::captureFileName("abc"), "abc");
    EXPECT_EQ(text::captureFileName("第一章：风雨 之后见彩虹，这是一段很长的文字。"),
              "第一章：风雨之后见彩虹，这是一");
    EXPECT_EQ(text::captureFileName("..."), "");
    for (const char *copied : {"a\r\nb\r\n", "a\nb\n", "a\rb\r"}) {
        EXPECT_EQ(text::captureBodyHtml(copied),
                  QString("<br>") + QChar(0xE5E5) + QChar(0xE5E5) + "a<br>b<br>")
            << copied;
    }
    EXPECT_EQ(text::capturePage("<title>标题</title><h1>标题</h1><p>正文</p>", "含正文", "B"),
              "<title>含B</title><h1>含B</h1><p>B</p>");
}

} // namespace
