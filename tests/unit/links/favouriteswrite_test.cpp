#include "links/favouritesfile.h"
#include "links/favouriteswrite.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using links::favourites::Change;
using links::favourites::replacementProblem;

const QString kFile = "<html><title>favorites</title><table>\r\n<tr><th>地址</th></tr>\r\n"
                      "</table></html>\r\n";

TEST(FavouritesWrite, OnlyARemovalMayTakeRowsAndNothingElseMayBeLost) {
    const QString one =
        links::favourites::addEntry(kFile, "http://a.example/", "甲", "AAAAAAAAAAAAAAA").value();
    const QString two =
        links::favourites::addEntry(one, "http://b.example/", "乙", "BBBBBBBBBBBBBBB").value();
    EXPECT_EQ(replacementProblem(one, one, two, Change::AddRow), "");
    QString removed = two;
    ASSERT_EQ(links::favourites::deleteEntry(removed, "B2AAAAAAAAAAAAAAA"),
              links::favourites::EditResult::Done);
    EXPECT_EQ(replacementProblem(two, two, removed, Change::RemoveRow), "");
    // A text cut short (a read that stopped early, a lost tail) is never written back.
    EXPECT_NE(replacementProblem(two, two, two.left(two.size() / 2), Change::EditRow), "");
    EXPECT_NE(replacementProblem(two, two, kFile, Change::RemoveRow), ""); // two rows gone
    EXPECT_NE(replacementProblem(two, two, kFile, Change::AddRow), "");
    EXPECT_NE(replacementProblem(two, two, u"", Change::AddRow), "");
    // The file changed since it was read: the change made from the old text would drop a row.
    EXPECT_NE(replacementProblem(two, one, removed, Change::RemoveRow), "");
}

TEST(FavouritesWrite, ARefusedChangeLeavesTheFileAsItIs) {
    QTemporaryDir dir;
    const QString path = dir.filePath("link.htm");
    ASSERT_TRUE(common::writeTextFile(path, kFile));
    QString error;
    EXPECT_FALSE(links::favourites::writeFavouritesFile(
        path, kFile, kFile.left(20), common::FileEncoding::Gb18030, Change::EditRow, &error));
    EXPECT_EQ(error, "这次修改会使link.htm丢失没有删除的内容，没有保存");
    EXPECT_EQ(common::readTextFile(path).text, kFile);
    const QString added =
        links::favourites::addEntry(kFile, "http://a.example/", "甲", "AAAAAAAAAAAAAAA").value();
    EXPECT_TRUE(links::favourites::writeFavouritesFile(
        path, kFile, added, common::FileEncoding::Gb18030, Change::AddRow, &error));
    EXPECT_EQ(common::readTextFile(path).text, added);
    EXPECT_FALSE(links::favourites::writeFavouritesFile(dir.filePath("missing.htm"), kFile, added,
                                                        common::FileEncoding::Gb18030,
                                                        Change::AddRow, &error));
}

TEST(FavouritesWrite, AFileInACharsetThatCannotBeWrittenBackIsLeftAlone) {
    QTemporaryDir dir;
    const QString path = dir.filePath("link.htm");
    // "Привет" in windows-1251, declared: read right, but written back it would be GB18030.
    const QByteArray bytes = "<meta charset=\"windows-1251\"><title>\xCF\xF0\xE8\xE2\xE5\xF2"
                             "</title><table>\r\n<tr><th>a</th></tr>\r\n</table>\r\n";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const common::TextFileContent read = common::readTextFile(path);
    ASSERT_TRUE(read.ok);
    const QString added =
        links::favourites::addEntry(read.text, "http://a.example/", "甲", "AAAAAAAAAAAAAAA")
            .value();
    QString error;
    EXPECT_FALSE(links::favourites::writeFavouritesFile(path, read.text, added, read.encoding,
                                                        Change::AddRow, &error));
    EXPECT_TRUE(error.contains(QString::fromUtf8("无法原样写回"))) << error.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
}

TEST(FavouritesWrite, SeveralRowsAddedAtOnceAreAllowedOnlyWhenRowsWereAdded) {
    const QString one =
        links::favourites::addEntry(kFile, "http://a.example/", "甲", "AAAAAAAAAAAAAAA").value();
    const QString two =
        links::favourites::addEntry(one, "http://b.example/", "乙", "BBBBBBBBBBBBBBB").value();
    EXPECT_EQ(replacementProblem(kFile, kFile, two, Change::AddRows), "");
    EXPECT_NE(replacementProblem(two, two, kFile, Change::AddRows), "");
    EXPECT_NE(replacementProblem(two, two, two, Change::AddRows), "");
}

} // namespace
