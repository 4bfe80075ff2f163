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
    EXPECT_TRUE(links::scanEmails(u"a@b@c x@.... y@z.").isEmpty());
}

TEST(ScanEmails, ReadsAddressesAsMailProgramsDo) {
    EXPECT_EQ(links::scanEmails(
                  u"<a href=\"mailto:team+news@example.com?subject=Hi&amp;cc=a@b.example\">"),
              QStringList({"team+news@example.com", "a@b.example"}));
    EXPECT_EQ(links::scanEmails(u"o'brien@h.example x!#$%*^_~-y@h.example .lead.dot@h.example"),
              QStringList({"brien@h.example", "x!#$%*^_~-y@h.example", "lead.dot@h.example"}));
    EXPECT_TRUE(links::scanEmails(
                    u"<img src=\"logo@2x.png\"><img src='icon@3x.JPG'> a@b.c a@b.x1 a..b@c.example")
                    .isEmpty());
    EXPECT_EQ(links::scanEmails(u"写信给user@例子.中国。或者 li@example.com谢谢"),
              QStringList({"user@例子.中国", "li@example.com"}));
    EXPECT_EQ(links::scanEmails(u"?to=a@b.example&x='c@d.example'"),
              QStringList({"a@b.example", "c@d.example"}));
}

TEST(EmailsToAppend, SkipsAddressesOnALineOfTheirOwnAndRepeats) {
    const QString previous = "old@x.example\r\nhttp://p.example/?u=in@line.example\r\nTitle\r\n";
    EXPECT_EQ(links::emailsToAppend(previous, {"old@x.example", "in@line.example", "n@x.example",
                                               "n@x.example", "m@x.example", "n@x.example"}),
              QStringList({"in@line.example", "n@x.example", "m@x.example"}));
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
