#include "common/urlrules.h"
#include "links/linkscanner.h"

#include <QUrl>

#include <gtest/gtest.h>

namespace {

using links::LinkCommand;

QStringList urls(const QString &html, LinkCommand command,
                 const QString &page = "http://h.example/dir/page.htm") {
    QStringList out;
    for (const links::HarvestedLink &link : links::scanLinks(html, page, command))
        out.append(link.url);
    return out;
}

const QString kMixedPage =
    "<a href=\"a.htm\">a</a><a href= 'b.htm'>b</a><a href=c.htm>c</a><a HREF=\"d.htm\">d</a>"
    "<a href=\"mailto:x@y.example\">m</a><a href=\"FILE:///tmp/f.htm\">f</a>"
    "<a href=\"http://o.example/p\">p</a><a href=\"https://o.example/s\">s</a>"
    "<a href=\"ftp://o.example/f\">f</a><a href=\"javascript:void(0)\">j</a>"
    "<a href=\"/root.htm\">r</a><a href=\"../up.htm\">u</a>";

TEST(ScanLinks, EachCommandTakesItsOwnLinks) {
    EXPECT_EQ(urls(kMixedPage, LinkCommand::OpenAllW),
              QStringList({"http://h.example/dir/a.htm", "http://h.example/dir/b.htm",
                           "file:///tmp/f.htm", "http://o.example/p", "https://o.example/s",
                           "http://h.example/root.htm", "http://h.example/up.htm"}));
    EXPECT_EQ(urls(kMixedPage, LinkCommand::OpenAllX),
              QStringList({"http://h.example/dir/a.htm", "http://h.example/dir/b.htm",
                           "http://h.example/root.htm", "http://h.example/up.htm"}));
    EXPECT_EQ(urls(kMixedPage, LinkCommand::OpenAllJ),
              QStringList({"http://o.example/p", "https://o.example/s"}));
    EXPECT_EQ(urls(kMixedPage, LinkCommand::OpenPageA),
              QStringList({"http://h.example/dir/a.htm", "http://h.example/dir/b.htm",
                           "mailto:x@y.example", "file:///tmp/f.htm", "http://o.example/p",
                           "https://o.example/s", "ftp://o.example/f", "http://h.example/root.htm",
                           "http://h.example/up.htm"}));
    EXPECT_EQ(urls(kMixedPage, LinkCommand::OpenSelectA),
              QStringList({"http://h.example/dir/a.htm", "http://h.example/dir/b.htm",
                           "file:///tmp/f.htm", "http://o.example/p", "https://o.example/s",
                           "http://h.example/root.htm", "http://h.example/up.htm"}));
    EXPECT_EQ(urls(kMixedPage, LinkCommand::SaveToHref),
              QStringList({"http://h.example/dir/a.htm", "http://h.example/dir/b.htm",
                           "mailto:x@y.example", "file:///tmp/f.htm", "http://o.example/p",
                           "https://o.example/s", "ftp://o.example/f", "javascript:void(0)",
                           "http://h.example/root.htm", "http://h.example/up.htm"}));
}

TEST(ScanLinks, DropsRepeatsAndNonPageFilesButExportKeepsThem) {
    const QString html = "<a href='x.htm'><a href='x.htm'><a href='http://h.example//dir//x.htm'>"
                         "<a href='A.ZIP'><a href='b.Pdf'><a href='s.ram'><a href='t.ra'>"
                         "<a href='get.zip?id=1'>";
    EXPECT_EQ(urls(html, LinkCommand::OpenAllW),
              QStringList({"http://h.example/dir/x.htm", "http://h.example/dir/s.ram",
                           "http://h.example/dir/get.zip?id=1"}));
    EXPECT_EQ(urls(html, LinkCommand::SaveToHref).size(), 8);
    EXPECT_EQ(urls(html, LinkCommand::OpenPageA).size(), 6); // keeps non-page files, drops repeats
    // A numeric host is one address however it is written.
    EXPECT_EQ(urls("<a href='http://0x7f.1/'><a href='http://127.0.0.1/'><a href='//127.1'>",
                   LinkCommand::OpenAllW),
              QStringList({"http://127.0.0.1/"}));
}

TEST(ScanLinks, AbsoluteLinksKeepTheirDoubledSlashes) {
    EXPECT_EQ(urls("<a href='http://o.example//a//b'>", LinkCommand::OpenAllJ),
              QStringList({"http://o.example//a//b"}));
}

TEST(ScanLinks, CollapsesSlashesInThePathOnly) {
    EXPECT_EQ(urls("<a href='http://h.example//a///b?go=http://x.example//y#f//g'>",
                   LinkCommand::OpenAllW),
              QStringList({"http://h.example/a//b?go=http://x.example//y#f//g"}));
}

TEST(ScanLinks, ClosesTheUndefinedCasesSoundly) {
    // No closing quote: the scan ends, earlier links are kept.
    EXPECT_EQ(urls("<a href='a.htm'><a href=\"b.htm", LinkCommand::OpenAllW),
              QStringList({"http://h.example/dir/a.htm"}));
    // A page address that cannot be a base: relative links are skipped, absolute ones stay.
    EXPECT_EQ(
        urls("<a href='a.htm'><a href='http://o.example/'>", LinkCommand::OpenAllW, "about:blank"),
        QStringList({"http://o.example/"}));
    EXPECT_EQ(urls("<a href=''>", LinkCommand::OpenAllW),
              QStringList({"http://h.example/dir/page.htm"}));
    EXPECT_TRUE(urls("href=", LinkCommand::SaveToHref).isEmpty());
    EXPECT_TRUE(urls("href= ", LinkCommand::SaveToHref).isEmpty());
}

TEST(ScanLinks, HrefFileLinesAreNumberedFromOne) {
    const auto found = links::scanLinks(u"<a href='a'><a href='a'><a href='b'>",
                                        "http://h.example/", LinkCommand::SaveToHref);
    EXPECT_EQ(links::hrefFileLines(found),
              "[1]=http://h.example/a\r\n[2]=http://h.example/a\r\n[3]=http://h.example/b\r\n");
}

// Each value as the page holds it, and the address a click on it opens.
TEST(ScanLinks, ReadsEachValueAsTheEngineDoes) {
    const QString html = "<a href=\"t.html?page=2&amp;sort=new\"><a href=\"s.html?q=中文\">"
                         "<a href=\"sub\\b.html\"><a href=\" a\n.htm\t\"><a href=\"files/f1.zip\">"
                         "<a href=\"mailbox.html\"><a href=\"httpdocs/a.html\">"
                         "<a href=\"ftpguide.html\"><a href=\"http://bad host/\">";
    const QStringList expected = {"http://h.example/dir/t.html?page=2&sort=new",
                                  "http://h.example/dir/s.html?q=%D6%D0%CE%C4",
                                  "http://h.example/dir/sub/b.html",
                                  "http://h.example/dir/a.htm",
                                  "http://h.example/dir/files/f1.zip",
                                  "http://h.example/dir/mailbox.html",
                                  "http://h.example/dir/httpdocs/a.html",
                                  "http://h.example/dir/ftpguide.html"};
    QStringList found;
    for (const links::HarvestedLink &link :
         links::scanLinks(html, "http://h.example/dir/page.htm", LinkCommand::SaveToHref, "GBK"))
        found.append(link.url);
    EXPECT_EQ(found, expected);
    // The relative ones are relative for every command that takes relative links.
    EXPECT_EQ(urls(html, LinkCommand::OpenAllX).size(), 7); // without the archive
    EXPECT_EQ(urls(html, LinkCommand::OpenPageA).size(), 8);
    EXPECT_TRUE(urls(html, LinkCommand::OpenAllJ).isEmpty());
}

TEST(ScanLinks, ResolvesAgainstTheBaseElement) {
    const QString html = "<head><base href=\"/abs/\"></head><a href=\"b09.html\">"
                         "<a href=\"/r.htm\"><a href=\"http://o.example/\">";
    // The scan reads every href= of the text, the base element's own too.
    EXPECT_EQ(urls(html, LinkCommand::OpenAllW),
              QStringList({"http://h.example/abs/", "http://h.example/abs/b09.html",
                           "http://h.example/r.htm", "http://o.example/"}));
    // The first base element with an href counts, written in any way, for links before it too.
    EXPECT_EQ(urls("<a href='x.htm'><base target=_top><BASE HREF=/b/><base href='/c/'>",
                   LinkCommand::OpenAllW),
              QStringList({"http://h.example/b/x.htm", "http://h.example/c/"}));
}

TEST(LinkCommandNames, MapToCommands) {
    EXPECT_EQ(links::linkCommandFromName(u"opencwpallwz"), LinkCommand::OpenPageA);
    EXPECT_EQ(links::linkCommandFromName(u"opensallp"), LinkCommand::OpenSelectA);
    EXPECT_EQ(links::linkCommandFromName(u"OpenAllW"), std::nullopt);
}

} // namespace
