#include "links/bookmarksfile.h"

#include <gtest/gtest.h>

namespace {

using links::bookmarks::Bookmark;
using links::bookmarks::readBookmarks;

// As Firefox exports it: a toolbar folder, a nested folder, descriptions (<DD>), separators,
// a smart bookmark (place:) and a bookmarklet, entities in titles and addresses.
const char kFirefox[] = R"BM(<!DOCTYPE NETSCAPE-Bookmark-file-1>
<!-- This is an automatically generated file.
     It will be read and overwritten.
     DO NOT EDIT! -->
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<meta http-equiv="Content-Security-Policy"
      content="default-src 'self'; script-src 'none'; img-src data: *; object-src 'none'"></meta>
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks Menu</H1>

<DL><p>
    <DT><A HREF="place:sort=8&maxResults=10" ADD_DATE="1700000000" LAST_MODIFIED="1700000001">Recent Tags</A>
    <DT><A HREF="https://www.example.com/a?x=1&amp;y=2" ADD_DATE="1700000000" LAST_MODIFIED="1700000001" ICON_URI="https://www.example.com/favicon.ico">Fish &amp; Chips &lt;3</A>
    <DD>A description that is no title
    <HR>    <DT><H3 ADD_DATE="1700000000" LAST_MODIFIED="1700000002" PERSONAL_TOOLBAR_FOLDER="true">Bookmarks Toolbar</H3>
    <DL><p>
        <DT><A HREF="javascript:alert(document.cookie)" ADD_DATE="1700000000">Bookmarklet</A>
        <DT><H3 ADD_DATE="1700000000" LAST_MODIFIED="1700000002">新闻 &quot;今日&quot;</H3>
        <DL><p>
            <DT><A HREF="http://news.example.cn/%E4%B8%AD" ADD_DATE="1700000000">中文新闻</A>
        </DL><p>
        <DT><A HREF="file:///home/u/page.htm" ADD_DATE="1700000000">Local page</A>
    </DL><p>
    <DT><A HREF="https://after.example/" ADD_DATE="1700000000">After the folder</A>
</DL>
)BM";

// As Chromium exports it: lower-case <p>, ICON data addresses, an empty folder, a ">" inside
// a quoted attribute value.
const char kChromium[] = R"BM(<!DOCTYPE NETSCAPE-Bookmark-file-1>
<!-- This is an automatically generated file.
     It will be read and overwritten.
     DO NOT EDIT! -->
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks</H1>
<DL><p>
    <DT><H3 ADD_DATE="1700000000" LAST_MODIFIED="1700000000" PERSONAL_TOOLBAR_FOLDER="true">书签栏</H3>
    <DL><p>
        <DT><A HREF="https://a.example/q?a=b>c" ADD_DATE="1700000000" ICON="data:image/png;base64,iVBORw0KGgo=">Quoted &gt; sign</A>
        <DT><H3 ADD_DATE="1700000000" LAST_MODIFIED="0">Empty</H3>
        <DL><p>
        </DL><p>
        <DT><A HREF='https://single.example/' ADD_DATE=1700000000>Single quotes</A>
        <DT><A HREF="chrome://settings/" ADD_DATE="1700000000">Settings</A>
    </DL><p>
    <DT><A HREF="https://top.example/" ADD_DATE="1700000000">Top</A>
</DL><p>
)BM";

TEST(BookmarksFile, ReadsTheFilesFirefoxAndChromiumWrite) {
    const struct {
        const char *name;
        const char *html;
        QList<Bookmark> bookmarks;
        QStringList refused;
    } cases[] = {
        {"firefox",
         kFirefox,
         {{"https://www.example.com/a?x=1&y=2", "Fish & Chips <3", {}},
          {"http://news.example.cn/%E4%B8%AD", "中文新闻", {"Bookmarks Toolbar", "新闻 \"今日\""}},
          {"file:///home/u/page.htm", "Local page", {"Bookmarks Toolbar"}},
          {"https://after.example/", "After the folder", {}}},
         {"place:sort=8&maxResults=10", "javascript:alert(document.cookie)"}},
        {"chromium",
         kChromium,
         {{"https://a.example/q?a=b>c", "Quoted > sign", {"书签栏"}},
          {"https://single.example/", "Single quotes", {"书签栏"}},
          {"https://top.example/", "Top", {}}},
         {"chrome://settings/"}},
        {"hostile: the program's own pages, a blank tab, control characters",
         "<DL><DT><A HREF=\"lumaro:searchsaved?q=x\">mine</A><DT><A HREF=\"about:blank\">b</A>"
         "<DT><A HREF=\"https://n.example/\">a&#0;b\x01" "c\x7f</A></DL>",
         {{"https://n.example/", "a\uFFFDb c ", {}}},
         {"lumaro:searchsaved?q=x", "about:blank"}},
    };
    for (const auto &c : cases) {
        const auto read = readBookmarks(QString::fromUtf8(c.html));
        ASSERT_EQ(read.bookmarks.size(), c.bookmarks.size()) << c.name;
        for (qsizetype i = 0; i < c.bookmarks.size(); ++i) {
            EXPECT_EQ(read.bookmarks[i].address, c.bookmarks[i].address) << c.name << i;
            EXPECT_EQ(read.bookmarks[i].title, c.bookmarks[i].title) << c.name << i;
            EXPECT_EQ(read.bookmarks[i].folders, c.bookmarks[i].folders) << c.name << i;
        }
        EXPECT_EQ(read.refused, c.refused) << c.name;
    }
}

TEST(BookmarksFile, WhatIsWrittenReadsBackWithEveryAddressAndTitle) {
    const QList<links::favourites::Entry> entries = {
        {"https://a.example/?q=1&r=\"2\"", "Fish & Chips <b>bold</b>"},
        {"http://中文.example/路径?查询=值", "中文标题 'quoted'"},
        {"file:///tmp/a%20b.htm", ""},
        {"https://a.example/#frag", "  spaced  title"},
    };
    const QString file =
        links::bookmarks::writeBookmarks(entries, "Lumaro浏览器收藏夹", 1700000000);
    EXPECT_TRUE(file.startsWith("<!DOCTYPE NETSCAPE-Bookmark-file-1>"));
    EXPECT_FALSE(file.contains(u'\r'));
    const auto read = readBookmarks(file);
    ASSERT_EQ(read.bookmarks.size(), entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(read.bookmarks[i].address, entries[i].address);
        EXPECT_EQ(read.bookmarks[i].title, entries[i].comment.trimmed());
        EXPECT_EQ(read.bookmarks[i].folders, QStringList{"Lumaro浏览器收藏夹"});
    }
}

} // namespace
