#include "links/emailscanner.h"

#include <gtest/gtest.h>

namespace {

TEST(ScanEmails, TakesTheRunsAroundEachAtSign) {
    EXPECT_EQ(links::scanEmails(u"<a href=\"mailto:a.b@c.example\">a.b@c.example</a>"),
              QStringList({"a.b@c.example", "a.b@c.example"}));
    EXPECT_EQ(links::scanEmails(u"联系：li_ming-1.x@mail-2.example.cn。谢谢"),
              QStringList({"li_ming-1.x@mail-2.example.cn"}));
    EXPECT_EQ(links::scanEmails(u"Write to x@y.example. Thanks"), QStringList({"x@y.example"}));
    EXPECT_TRUE(links::scanEmails(u"@media screen { } a @ b @").isEmpty());
    EXPECT_EQ(links::scanEmails(u"a@b@c"), QStringList({"a@b", "b@c"}));
    EXPECT_TRUE(links::scanEmails(u"x@....").isEmpty());
}

TEST(EmailsToAppend, SkipsAddressesOnALineOfTheirOwnAndImmediateRepeats) {
    const QString previous = "old@x.example\r\nhttp://p.example/?u=in@line.example\r\nTitle\r\n";
    EXPECT_EQ(links::emailsToAppend(previous, {"old@x.example", "in@line.example", "n@x.example",
                                               "n@x.example", "m@x.example", "n@x.example"}),
              QStringList({"in@line.example", "n@x.example", "m@x.example", "n@x.example"}));
    EXPECT_EQ(links::emailsToAppend(u"only@x.example", {"only@x.example"}), QStringList());
    // email.txt edited on this system has LF line ends, older ones CR.
    for (const char *end : {"\n", "\r"}) {
        QString edited = previous;
        edited.replace("\r\n", end);
        EXPECT_EQ(links::emailsToAppend(edited, {"old@x.example", "in@line.example"}),
                  QStringList({"in@line.example"}))
            << int(end[0]);
    }
}

TEST(EmailRecords, AreThreeLinesEach) {
    EXPECT_EQ(links::emailRecords({"a@b.example"}, "http://p.example/", "标题"),
              "a@b.example\r\nhttp://p.example/\r\n标题\r\n");
}

} // namespace
