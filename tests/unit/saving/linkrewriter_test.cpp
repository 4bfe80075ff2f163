#include "saving/linkrewriter.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char *value;
    const char *expected;
};

class RewriteLinksCases : public ::testing::TestWithParam<Case> {};

TEST_P(RewriteLinksCases, ResolvesLikeABrowser) {
    const QString page = "http://h.example/news/2009/index.htm";
    const QString html = QString("<a href=\"%1\">x</a>").arg(QString::fromUtf8(GetParam().value));
    const QString expected =
        QString("<a href=\"%1\">x</a>").arg(QString::fromUtf8(GetParam().expected));
    EXPECT_EQ(saving::rewriteLinks(html, page), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RewriteLinksCases,
    ::testing::Values(Case{"page2.htm", "http://h.example/news/2009/page2.htm"},
                      Case{"/img/a.gif", "http://h.example/img/a.gif"},
                      Case{"../up.htm", "http://h.example/news/up.htm"},
                      Case{"//cdn.example/x.js", "http://cdn.example/x.js"},
                      Case{"https://other.example/", "https://other.example/"},
                      Case{"HTTP://H2:80/a/../b", "http://h2/b"},
                      Case{"mailto:a@b.example", "mailto:a@b.example"},
                      Case{"javascript:go('x')", "javascript:go('x')"}, Case{"#top", "#top"},
                      Case{"", "http://h.example/news/2009/index.htm"},
                      Case{"list.php?a=1&amp;b=http://x//y",
                           "http://h.example/news/2009/list.php?a=1&amp;b=http://x//y"},
                      Case{"中文.htm", "http://h.example/news/2009/%E4%B8%AD%E6%96%87.htm"},
                      Case{" sub\\b.htm?x=1&amp;y='2'\n",
                           "http://h.example/news/2009/sub/b.htm?x=1&amp;y=%272%27"},
                      Case{"http:x.htm?q=中", "http://h.example/news/2009/x.htm?q=%E4%B8%AD"}));

TEST(RewriteLinks, LeavesUnquotedAndCapitalisedAttributesAndKeepsQuotes) {
    const QString page = "http://h.example/a/";
    EXPECT_EQ(saving::rewriteLinks(u"<a href=x.htm><a HREF='y.htm'>", page),
              "<a href=x.htm><a HREF='y.htm'>");
    EXPECT_EQ(saving::rewriteLinks(u"<a href='y.htm'>", page),
              "<a href='http://h.example/a/y.htm'>");
    EXPECT_EQ(saving::rewriteLinks(u"no links here", page), "no links here");
    // An unterminated value ends the rewriting; nothing is lost.
    EXPECT_EQ(saving::rewriteLinks(u"<a href='a.htm'><a href=\"b", page),
              "<a href='http://h.example/a/a.htm'><a href=\"b");
    // "href=" inside a value is not an attribute.
    EXPECT_EQ(saving::rewriteLinks(u"<a href=\"javascript:f('href=\\'q\\'')\">", page),
              "<a href=\"javascript:f('href=\\'q\\'')\">");
}

TEST(RewriteLinks, FileAddressesResolveInTheirFolder) {
    EXPECT_EQ(saving::rewriteLinks(u"<a href=\"b.htm\">", "file:///D:/a.htm"),
              "<a href=\"file:///D:/b.htm\">");
}

TEST(RewriteLinks, FollowsTheBaseElementAndThePageCharset) {
    const QString html = "<head><base href=\"/abs/\"></head><a href=\"s.htm?q=中文\">"
                         "<a href='#top'>";
    EXPECT_EQ(saving::rewriteLinks(html, "http://h.example/d/p.htm", "GBK"),
              "<head><base href=\"http://h.example/abs/\"></head>"
              "<a href=\"http://h.example/abs/s.htm?q=%D6%D0%CE%C4\"><a href='#top'>");
}

TEST(RewriteLinks, MakesImagesStylesAndScriptsAbsolute) {
    const QString page = "http://h.example/d/p.htm";
    EXPECT_EQ(saving::rewriteLinks(u"<link rel=\"stylesheet\" href=\"css/a.css\">"
                                   u"<img src=\"i/a.png\" data-src=\"lazy.png\">"
                                   u"<script src='/js/a.js?v=1&amp;w=2'></script>"
                                   u"<img src=\"data:image/png;base64,AA==\">",
                                   page),
              "<link rel=\"stylesheet\" href=\"http://h.example/d/css/a.css\">"
              "<img src=\"http://h.example/d/i/a.png\" data-src=\"lazy.png\">"
              "<script src='http://h.example/js/a.js?v=1&amp;w=2'></script>"
              "<img src=\"data:image/png;base64,AA==\">");
    EXPECT_EQ(saving::rewriteLinks(
                  u"<img srcset=\"a.png 1x, ../b,c.png 2x,http://o.example/c.png 3x\">", page),
              "<img srcset=\"http://h.example/d/a.png 1x, http://h.example/b,c.png 2x,"
              "http://o.example/c.png 3x\">");
    // A comma inside an address belongs to it; only commas at its end separate.
    EXPECT_EQ(saving::rewriteLinks(u"<img srcset=\"a.png,b.png\">", page),
              "<img srcset=\"http://h.example/d/a.png,b.png\">");
    EXPECT_EQ(saving::rewriteLinks(u"<img srcset=\"data:x 1x\"><p>src=\"a\"</p>", page),
              "<img srcset=\"data:x 1x\"><p>src=\"a\"</p>");
}

} // namespace
