#include "links/favouriteslinks.h"
#include "links/linkharvest.h"

#include <gtest/gtest.h>

namespace {

using namespace links;

TEST(FavouritesLinks, AddsOnlyAddressesTheFileDoesNotHold) {
    const QString start = "<table>\r\n<tr><td>head</td></tr>\r\n</table>\r\n";
    int keys = 0;
    const auto key = [&keys] { return QString(15, QChar(u'A' + keys++)); };
    const auto first =
        favourites::addEntries(start, {{"http://a/1", "一"}, {"http://a/2", "二"}}, key);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->added, 2);
    EXPECT_EQ(favourites::entryAddresses(first->file), QSet<QString>({"http://a/1", "http://a/2"}));
    // Already there, repeated within the list, or blank: not added again.
    const auto second = favourites::addEntries(
        first->file, {{"http://a/2", "x"}, {"http://a/3", "三"}, {"http://a/3", "三"}, {" ", ""}},
        key);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->added, 1);
    EXPECT_EQ(second->file.count("name=\"B1"), 3);
    // An address that needs escaping is recognised as the user sees it.
    const auto escaped = favourites::addEntries(second->file, {{"http://a/?x=1&y='2'", "&"}}, key);
    ASSERT_TRUE(escaped.has_value());
    EXPECT_TRUE(favourites::entryAddresses(escaped->file).contains("http://a/?x=1&y='2'"));
    EXPECT_FALSE(favourites::addEntries(u"<table></table>", {{"http://a/1", ""}}, key));
    // A numeric host is one address however it is written.
    const auto numeric = favourites::addEntries(start, {{"http://0x7f.1/", "x"}}, key);
    ASSERT_TRUE(numeric.has_value());
    EXPECT_EQ(favourites::addEntries(numeric->file, {{"http://127.0.0.1/", "y"}}, key)->added, 0);
    EXPECT_TRUE(favourites::containsAddress(numeric->file, "http://127.0.0.1/"));
    EXPECT_FALSE(favourites::containsAddress(numeric->file, "http://127.0.0.2/"));
}

TEST(LinkHarvest, SelectionAndFileLinksByTheirTexts) {
    const QString page = "<HTML><a href=\"a.htm\">第一章</a><a href=\"b.zip\">压缩包</a>"
                         "<a href=\"http://o/c.htm\"><b>第二章</b></a><a href=\"d.pdf\">x</a>"
                         "<a href=\"b.zip\">又一次</a></HTML>";
    const QString url = "http://h/d/p.htm";
    EXPECT_EQ(linksInSelection(page, url, u"第二章", LinkCommand::OpenSelectA),
              QStringList({"http://o/c.htm"}));
    EXPECT_EQ(linksInSelection(page, url, u"第一章 第二章", LinkCommand::OpenAllX),
              QStringList({"http://h/d/a.htm"}));
    EXPECT_EQ(nonPageLinks(page, url), QStringList({"http://h/d/b.zip", "http://h/d/d.pdf"}));
    // A one-character link text is never taken from a selection.
    EXPECT_EQ(nonPageLinksInSelection(page, url, u"x 压缩包"), QStringList({"http://h/d/b.zip"}));
    const QList<LinkWithText> texts = linksWithTexts(page, url, LinkCommand::OpenPageA);
    ASSERT_EQ(texts.size(), 4);
    EXPECT_EQ(texts[2].text, "第二章");
}

} // namespace
