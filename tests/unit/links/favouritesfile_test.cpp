#include "links/favouritesfile.h"

#include <gtest/gtest.h>

namespace {

namespace fav = links::favourites;

const QString kEmpty =
    "<html><head><title>favorites</title></head><body><table>\r\n"
    "<tr><th>链接地址</th><th>链接说明</th><th>操作</th></tr>\r\n</table></body></html>";

TEST(FavouritesFile, AddPutsARowBeforeTheLastRowEnd) {
    const auto added = fav::addEntry(kEmpty, "http://a.example/", "甲", "AAAAAAAAAAAAAAA");
    ASSERT_TRUE(added);
    EXPECT_TRUE(added->contains("<th>操作</th></tr>\r\n<tr class=\"normalcolorstyle\""));
    EXPECT_TRUE(added->contains(
        "<td width=\"45%\" "
        "OnClick=\"location.href='http://a.example/'\">&nbsp;http://a.example/</td>"));
    EXPECT_TRUE(added->contains(
        "<td width=\"35%\" OnClick=\"location.href='http://a.example/'\">&nbsp;甲</td>"));
    EXPECT_TRUE(added->contains("name=\"B1AAAAAAAAAAAAAAA\"><input type=\"button\" value=\"删除\" "
                                "name=\"B2AAAAAAAAAAAAAAA\"></td>\r\n</tr>"));
    EXPECT_FALSE(added->contains("\r\n\r\n"));
    EXPECT_EQ(fav::addEntry(u"<html>no rows</html>", "a", "b", "K"), std::nullopt);
    const QString key = fav::newKey();
    EXPECT_EQ(key.size(), 15);
    for (QChar c : key)
        EXPECT_TRUE(c >= u'A' && c <= u'Y');
}

TEST(FavouritesFile, HostileTitlesAndAddressesAreStoredAsTextAndFoundAgain) {
    const QString address = "http://x.example/it's\"<b>";
    const QString comment = "<script>alert(1)</script> & 'quotes' \"too\"";
    QString file = *fav::addEntry(kEmpty, address, comment, "KKKKKKKKKKKKKKK");
    EXPECT_FALSE(file.contains("<script>"));
    EXPECT_FALSE(file.contains(
        "href='http://x.example/it's")); // the apostrophe cannot end the script string
    EXPECT_TRUE(file.contains("location.href='http://x.example/it\\'s&quot;&lt;b&gt;'"));
    const auto entry = fav::findEntry(file, "B1KKKKKKKKKKKKKKK");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->address, address);
    EXPECT_EQ(entry->comment, comment);
    ASSERT_EQ(
        fav::editEntry(file, "B1KKKKKKKKKKKKKKK", *entry, {"http://new.example/", "新的 <说明>"}),
        fav::EditResult::Done);
    const auto edited = fav::findEntry(file, "B2KKKKKKKKKKKKKKK");
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->address, "http://new.example/");
    EXPECT_EQ(edited->comment, "新的 <说明>");
    EXPECT_EQ(fav::deleteEntry(file, "B2KKKKKKKKKKKKKKK"), fav::EditResult::Done);
    EXPECT_EQ(file, kEmpty); // the header row stays
}

// An imported bookmark's folder and time ride in its row's tag, escaped, and come back; a row
// without them (typed by hand, or older) has none, even when the row before has them.
TEST(FavouritesFile, ARowKeepsItsFolderAndTime) {
    fav::Entry entry{"http://a.example/", "甲", "新闻 \"今日\"/<b>国内</b>", 1700000001};
    auto file = fav::addEntry(kEmpty, entry, "AAAAAAAAAAAAAAA");
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->contains("<b>"));
    file = fav::addEntry(*file, "http://b.example/", "乙", "BBBBBBBBBBBBBBB");
    ASSERT_TRUE(file);
    const auto first = fav::findEntry(*file, "B1AAAAAAAAAAAAAAA");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->folder, entry.folder);
    EXPECT_EQ(first->added, 1700000001);
    const auto second = fav::findEntry(*file, "B2BBBBBBBBBBBBBBB");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->comment, "乙");
    EXPECT_TRUE(second->folder.isEmpty());
    EXPECT_EQ(second->added, 0);
}

TEST(FavouritesFile, DeleteAndEditFindTheRightRowOrSayWhy) {
    QString file = *fav::addEntry(kEmpty, "http://a.example/", "甲", "AAAAAAAAAAAAAAA");
    file = *fav::addEntry(file, "http://b.example/", "乙", "BBBBBBBBBBBBBBB");
    EXPECT_EQ(fav::deleteEntry(file, "B2AAAAAAAAAAAAAAA"), fav::EditResult::Done);
    EXPECT_FALSE(file.contains("a.example"));
    EXPECT_TRUE(file.contains("b.example"));
    EXPECT_EQ(fav::deleteEntry(file, "B2AAAAAAAAAAAAAAA"), fav::EditResult::NameNotFound);
    QString broken = "<table><tr><td>x</td><input name=\"B2X\"></table>";
    EXPECT_EQ(fav::deleteEntry(broken, "B2X"), fav::EditResult::RowBroken);
    EXPECT_TRUE(fav::isEditButton("B1KEY"));
    EXPECT_TRUE(fav::isEditButton("B3KEY"));
    EXPECT_FALSE(fav::isEditButton("B2KEY"));
    EXPECT_FALSE(fav::isEditButton("BXKEY"));
}

TEST(FavouritesFile, ACommentThatBeginsWithItsAddressLosesTheNewComment) {
    // The replacements are plain text replacements within the row, in order.
    QString file =
        *fav::addEntry(kEmpty, "http://a.example/", "http://a.example/ 首页", "AAAAAAAAAAAAAAA");
    const auto old = fav::findEntry(file, "B1AAAAAAAAAAAAAAA");
    ASSERT_EQ(fav::editEntry(file, "B1AAAAAAAAAAAAAAA", *old, {"http://c.example/", "新"}),
              fav::EditResult::Done);
    EXPECT_EQ(fav::findEntry(file, "B1AAAAAAAAAAAAAAA")->comment, "http://c.example/ 首页");
}

// An edit changes its row and nothing else: blank lines elsewhere and the file's missing
// last line break stay; adding and deleting a row gives the file back byte for byte.
TEST(FavouritesFile, EditsChangeTheirRowAndNothingElse) {
    const QString original = "<html>\r\n\r\n<body><table>\r\n<tr><th>地址</th></tr>\r\n"
                             "\r\n</table>\r\n\r\n</body></html>";
    QString file = *fav::addEntry(original, "http://a.example/", "甲", "AAAAAAAAAAAAAAA");
    EXPECT_TRUE(file.startsWith("<html>\r\n\r\n<body>"));
    EXPECT_TRUE(file.endsWith("\r\n\r\n</table>\r\n\r\n</body></html>"));
    const QString added = file;
    ASSERT_EQ(fav::editEntry(file, "B1AAAAAAAAAAAAAAA", {"http://a.example/", "甲"},
                             {"http://b.example/", "乙"}),
              fav::EditResult::Done);
    EXPECT_EQ(file.size(), added.size());
    ASSERT_EQ(fav::deleteEntry(file, "B2AAAAAAAAAAAAAAA"), fav::EditResult::Done);
    EXPECT_EQ(file, original);

    // A file whose lines end with LF alone gets its row in LF, and comes back whole too.
    QString lf = original;
    lf.replace("\r\n", "\n");
    file = *fav::addEntry(lf, "http://a.example/", "甲", "AAAAAAAAAAAAAAA");
    EXPECT_FALSE(file.contains(u'\r'));
    ASSERT_EQ(fav::deleteEntry(file, "B2AAAAAAAAAAAAAAA"), fav::EditResult::Done);
    EXPECT_EQ(file, lf);
}

} // namespace
