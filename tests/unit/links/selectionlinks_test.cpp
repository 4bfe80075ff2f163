#include "links/selectionlinks.h"

#include <gtest/gtest.h>

namespace {

const QString kPage = "http://h.example/book/index.htm";

QString listing(const QStringList &texts) {
    QString html = "<HTML><body><a href='/'>首页导航</a><p>";
    for (int i = 0; i < texts.size(); ++i)
        html += QString("<a href=\"c%1.htm\">%2</a><br>").arg(i + 1).arg(texts[i]);
    return html + "</p><a href='about.htm'>关于我们</a></body></HTML>";
}

TEST(SelectedLinks, ConsecutiveLinksInTheSelectionAreTaken) {
    const QString html = listing({"第一章 风雨", "第二章 彩虹", "第三章 归来"});
    EXPECT_EQ(links::selectedLinks(html, kPage, u"第一章 风雨\n第二章 彩虹\n第三章 归来"),
              QStringList({"http://h.example/book/c1.htm", "http://h.example/book/c2.htm",
                           "http://h.example/book/c3.htm"}));
    EXPECT_EQ(links::selectedLinks(html, kPage, u"第二章 彩虹\n第三章 归来"),
              QStringList({"http://h.example/book/c2.htm", "http://h.example/book/c3.htm"}));
}

TEST(SelectedLinks, AnIsolatedLinkWhoseTextOccursInTheSelectionIsNotTaken) {
    const QString html = listing({"第一章", "第二章"});
    EXPECT_TRUE(links::selectedLinks(html, kPage, u"我们看第一章的内容").isEmpty());
    EXPECT_TRUE(links::selectedLinks(html, kPage, u"关于我们").isEmpty());
}

TEST(SelectedLinks, OneCharacterTextsAndRepeatsAndNonPagesAreLeftOut) {
    const QString html = "<a href='a.htm'>甲章</a><a href='b.htm'>乙</a><a href='c.htm'>丙章</a>"
                         "<a href='c.htm'>丙章</a><a href='d.zip'>丁章</a><a href='e.htm'>戊章</a>";
    EXPECT_EQ(links::selectedLinks(html, kPage, u"甲章 乙 丙章 丙章 丁章 戊章"),
              QStringList({"http://h.example/book/c.htm", "http://h.example/book/e.htm"}));
}

TEST(SelectedLinks, LinkTextsWithMarkupOrEntitiesAreReadAsText) {
    const QString html = "<a href='1.htm'><b>A&amp;B</b></a><a href='2.htm'>C&nbsp;D</a>";
    EXPECT_EQ(links::selectedLinks(html, kPage, u"a&b c d"),
              QStringList({"http://h.example/book/1.htm", "http://h.example/book/2.htm"}));
}

TEST(UrlsInText, OneTabPerAddressAndRedirectsGiveTwo) {
    EXPECT_EQ(links::urlsInText(u"http://a.example/1\r\nhttps://b.example/2\nx "
                                u"http://c.example/?u=http://d.example/ y"),
              QStringList({"http://a.example/1", "https://b.example/2",
                           "http://c.example/?u=http://d.example/", "http://d.example/"}));
    EXPECT_EQ(links::urlsInText(u"<a href=\"http://e.example/\">"),
              QStringList({"http://e.example/"}));
    EXPECT_TRUE(links::urlsInText(u"no addresses").isEmpty());
}

} // namespace
