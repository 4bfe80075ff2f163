#include "editing/groups.h"
#include "editing/linkdeletion.h"

#include <gtest/gtest.h>

namespace {

struct LinkCase {
    const char *html;
    const char *selection;
    const char *expected;
};

class RemoveLinksWithText : public ::testing::TestWithParam<LinkCase> {};

TEST_P(RemoveLinksWithText, RemovesWholeLinksWhoseVisibleTextIsTheSelection) {
    const LinkCase &c = GetParam();
    EXPECT_EQ(
        editing::removeLinksWithText(QString::fromUtf8(c.html), QString::fromUtf8(c.selection)),
        QString::fromUtf8(c.expected))
        << c.html;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RemoveLinksWithText,
    ::testing::Values(
        // The link goes, the same words outside links stay.
        LinkCase{"<a href=\"1\">下一页</a> 下一页", "下一页", " 下一页"},
        // Markup, entities and white space inside the link count as the user sees them.
        LinkCase{"x<A HREF='2' title=\"a>b\"><b>Tom</b>&nbsp;&amp;\n Jerry</A>y", " Tom & Jerry ",
                 "xy"},
        LinkCase{"<a href=\"3\">&#19979;&#x4E00;页</a>", "下一页", ""},
        // Only an equal text: longer, shorter and other letter case stay.
        LinkCase{"<a href=\"4\">下一页吧</a><a href=\"5\">Next</a>", "下一页",
                 "<a href=\"4\">下一页吧</a><a href=\"5\">Next</a>"},
        LinkCase{"<a href=\"5\">Next</a>", "next", "<a href=\"5\">Next</a>"},
        // The selection inside an attribute or another tag is not a link text.
        LinkCase{"<abbr title=\"x\">下一页</abbr><a href=\"下一页\">6</a>", "下一页",
                 "<abbr title=\"x\">下一页</abbr><a href=\"下一页\">6</a>"},
        // Links in comments and scripts stay; an unclosed link stays.
        LinkCase{"<!-- <a href=\"7\">下一页</a> --><script>s='<a href=8>下一页</a>'</script>",
                 "下一页",
                 "<!-- <a href=\"7\">下一页</a> --><script>s='<a href=8>下一页</a>'</script>"},
        LinkCase{"<a href=\"9\">下一页", "下一页", "<a href=\"9\">下一页"},
        // Every equal link goes; an empty selection removes nothing.
        LinkCase{"<a href=1>甲</a>,<a href=2>甲</a>", "甲", ","},
        LinkCase{"<a href=1>甲</a>", "  ", "<a href=1>甲</a>"}));

TEST(GroupFileText, PagesWrittenComeBackFromTheGroupReader) {
    const QList<editing::GroupPage> pages = {
        {"首页", "file:///D:/a.htm"},
        {"维基 (消歧义)\r\n第二行", "https://h.example/wiki/A_(b)?q=(1)"},
        {"", "about:blank"},
    };
    const QString text = editing::groupFileText(pages);
    EXPECT_EQ(text, QString::fromUtf8(
                        "首页(file:///D:/a.htm)\r\n"
                        "维基 （消歧义） 第二行(https://h.example/wiki/A_%28b%29?q=%281%29)\r\n"
                        "(about:blank)\r\n"));
    EXPECT_EQ(editing::groupAddresses(text),
              QStringList({"file:///D:/a.htm", "https://h.example/wiki/A_%28b%29?q=%281%29",
                           "about:blank"}));
    EXPECT_TRUE(editing::groupFileText({}).isEmpty());
}

} // namespace
