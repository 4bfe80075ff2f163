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
                           "FILE:///tmp/f.htm", "http://o.example/p", "https://o.example/s",
                           "http://h.example/root.htm", "http://h.example/up.htm"}));
    EXPECT_EQ(urls(kMixedPage, LinkCommand::OpenAllX),
              QStringList({"http://h.example/dir/a.htm", "http://h.example/dir/b.htm",
                           "http://h.example/root.htm", "http://h.example/up.htm"}));
    EXPECT_EQ(urls(kMixedPage, LinkCommand::OpenAllJ),
              QStringList({"http://o.example/p", "https://o.example/s"}));
    EXPECT_EQ(urls(kMixedPage, LinkCommand::OpenPageA),
              QStringList({"http://h.example/dir/a.htm", "http://h.example/dir/b.htm",
                           "mailto:x@y.example", "FILE:///tmp/f.htm", "http://o.example/p",
                           "https://o.example/s", "ftp://o.example/f", "http://h.example/root.htm",
                           "http://h.example/up.htm"}));
    EXPECT_EQ(urls(kMixedPage, LinkCommand::OpenSelectA),
              QStringList({"http://h.example/dir/a.htm", "http://h.example/dir/b.htm",
                           "FILE:///tmp/f.htm", "http://o.example/p", "https://o.example/s",
                           "http://h.example/root.htm", "http://h.example/up.htm"}));
    EXPECT_EQ(urls(kMixedPage, LinkCommand::SaveToHref),
              QStringList({"http://h.example/dir/a.htm", "http://h.example/dir/b.htm",
                           "mailto:x@y.example", "FILE:///tmp/f.htm", "http://o.example/p",
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

TEST(LinkCommandNames, MapToCommands) {
    EXPECT_EQ(links::linkCommandFromName(u"opencwpallwz"), LinkCommand::OpenPageA);
    EXPECT_EQ(links::linkCommandFromName(u"opensallp"), LinkCommand::OpenSelectA);
    EXPECT_EQ(links::linkCommandFromName(u"OpenAllW"), std::nullopt);
}

} // namespace

namespace {

// The resolver joins plain names itself; it must agree with the URL parser everywhere.
TEST(LinkResolver, ShortcutAgreesWithTheUrlParser) {
    const QStringList pages = {"http://h.example/api/all.html",
                               "http://h.example/a/b.php?x=1#f",
                               "https://h.example:8080/",
                               "file:///tmp/d/page.htm",
                               "http://h.example",
                               "http://h.example/dir/"};
    const QStringList values = {
        "fs.html",     "fs.html#x", "#top",   "?p=2", "?p=2#a", "a/b/c.htm", "a?b=c&d=e", "x:y",
        "a#b#c",       "a/./b",     "a/../b", "..",   ".",      "a b",       "中文.htm",  "a%20b",
        "!$&'()*+,;=", "a.",        "a/.b",   "#",    "?",      "a?x=/../y"};
    for (const QString &page : pages) {
        const links::LinkResolver resolver(page);
        for (const QString &value : values) {
            const QString slow =
                QUrl(page).resolved(QUrl(value, QUrl::TolerantMode)).toString(QUrl::EncodeSpaces);
            EXPECT_EQ(resolver.resolve(value), slow)
                << page.toStdString() << " + " << value.toStdString();
        }
    }
}

} // namespace
