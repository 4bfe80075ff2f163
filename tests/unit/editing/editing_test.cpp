#include "editing/deletion.h"
#include "editing/groups.h"
#include "text/capturetext.h"

#include <gtest/gtest.h>

namespace {

TEST(RemoveEvery, RemovesEachOccurrenceExactly) {
    EXPECT_EQ(editing::removeEvery(u"广告<a href='广告'>广告</a>广", u"广告"), "<a href=''></a>广");
    EXPECT_EQ(editing::removeEvery(u"a &amp; b", u"a & b"), "a &amp; b");
    EXPECT_EQ(editing::removeEvery(u"x", u""), "x");
}

TEST(RemoveFavouriteHolding, RemovesTheRowOrTheLine) {
    const QString file =
        "<table>\r\n<tr><th>h</th></tr>\r\n"
        "<tr class=\"n\">\r\n<td>&nbsp;http://a.example/</td>\r\n<td>&nbsp;甲</td>\r\n</tr>\r\n"
        "<tr class=\"n\">\r\n<td>&nbsp;http://b.example/</td>\r\n<td>&nbsp;乙</td>\r\n</tr>\r\n"
        "</table>\r\nlast line\r\n";
    EXPECT_EQ(
        editing::removeFavouriteHolding(file, u"甲"),
        "<table>\r\n<tr><th>h</th></tr>\r\n"
        "<tr class=\"n\">\r\n<td>&nbsp;http://b.example/</td>\r\n<td>&nbsp;乙</td>\r\n</tr>\r\n"
        "</table>\r\nlast line\r\n");
    EXPECT_EQ(editing::removeFavouriteHolding(file, u"last line"),
              file.left(file.indexOf("last line")));
    EXPECT_EQ(*editing::removeFavouriteHolding(file, u"<table>"), file.mid(9));
    EXPECT_EQ(editing::removeFavouriteHolding(file, u"丙"), std::nullopt);
}

TEST(GroupAddresses, OneAddressPerLineInOrder) {
    EXPECT_EQ(editing::groupAddresses(
                  u" http://a.example/ \r\n首页(file:///D:/a.htm)\r\nabout:blank\r\n\r\nx)y(z\n"),
              QStringList({"http://a.example/", "file:///D:/a.htm", "about:blank", "", "x)y(z"}));
    EXPECT_TRUE(editing::groupAddresses(u"").isEmpty());
}

TEST(CaptureText, NamesBodiesAndPages) {
    EXPECT_EQ(text::captureFileName("abc"), "abc");
    EXPECT_EQ(text::captureFileName("第一章：风雨 之后见彩虹，这是一段很长的文字。"),
              "第一章：风雨之后见彩虹，这是一");
    EXPECT_EQ(text::captureFileName("..."), "");
    EXPECT_EQ(text::captureBodyHtml("a\r\nb"),
              QString("<br>") + QChar(0xE5E5) + QChar(0xE5E5) + "a<br>b");
    EXPECT_EQ(text::capturePage("<title>标题</title><h1>标题</h1><p>正文</p>", "含正文", "B"),
              "<title>含B</title><h1>含B</h1><p>B</p>");
}

} // namespace
