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
                      Case{"HTTP://H2/", "HTTP://H2/"},
                      Case{"mailto:a@b.example", "mailto:a@b.example"},
                      Case{"javascript:go('x')", "javascript:go('x')"}, Case{"#top", "#top"},
                      Case{"", "http://h.example/news/2009/index.htm"},
                      Case{"list.php?a=1&amp;b=http://x//y",
                           "http://h.example/news/2009/list.php?a=1&amp;b=http://x//y"},
                      Case{"中文.htm", "http://h.example/news/2009/中文.htm"}));

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

} // namespace
