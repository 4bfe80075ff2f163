#include "serial/markup.h"
#include "serial/nextlink.h"

#include <gtest/gtest.h>

namespace {

using serial::NextLinkOutcome;

struct PageCase {
    const char *name;
    const char *html;
    NextLinkOutcome outcome;
    const char *next; // the address found (or refused); "" for none
};

const QUrl kPage("https://book.example/novel/12/3.html");

class NextLinkChoice : public ::testing::TestWithParam<PageCase> {};

TEST_P(NextLinkChoice, FindsTheNextChapter) {
    const PageCase &c = GetParam();
    const QSet<QString> seen = {serial::chainKey(QUrl("https://book.example/novel/12/1.html"))};
    const serial::NextLink link = serial::findNextLink(QString::fromUtf8(c.html), kPage, seen);
    EXPECT_EQ(link.outcome, c.outcome) << c.name;
    EXPECT_EQ(link.url.toString(), QString::fromUtf8(c.next)) << c.name;
}

using O = NextLinkOutcome;
INSTANTIATE_TEST_SUITE_P(
    Pages, NextLinkChoice,
    ::testing::Values(
        PageCase{"chinese_nav_bar",
                 "<div class=nav><a href='/'>首页</a><a href='2.html'>上一章</a>"
                 "<a href='index.html'>目录</a><a href='4.html'>下一章</a></div>"
                 "<p>正文</p><div><a href='2.html'>上一章</a> <a href='index.html'>目录</a> "
                 "<a href=\"4.html\">下一章 →</a></div>",
                 O::Found, "https://book.example/novel/12/4.html"},
        PageCase{"spaces_and_case", "<a href='p4.htm'> Next&nbsp;Page </a>", O::Found,
                 "https://book.example/novel/12/p4.htm"},
        PageCase{"bracketed_word", "<a href='4.html'>[ 下一页 ]</a>", O::Found,
                 "https://book.example/novel/12/4.html"},
        PageCase{"symbol_entity", "<a href=4.html>&raquo;</a>", O::Found,
                 "https://book.example/novel/12/4.html"},
        PageCase{"engine_markup_amp", "<a href=\"read.php?id=12&amp;c=4\"><span>下一节</span></a>",
                 O::Found, "https://book.example/novel/12/read.php?id=12&c=4"},
        PageCase{"rel_next_wins",
                 "<link rel=\"next\" href=\"/novel/12/4.html\"><a href='ad.html'>下一章</a>",
                 O::Found, "https://book.example/novel/12/4.html"},
        PageCase{"rel_next_on_anchor", "<a rel='prefetch next' href='4.html'>继续</a>", O::Found,
                 "https://book.example/novel/12/4.html"},
        PageCase{"chapter_beats_comment_page",
                 "<a href='3.html?page=2'>下一页</a><a href='4.html'>下一章</a>", O::Found,
                 "https://book.example/novel/12/4.html"},
        PageCase{"base_href", "<base href='https://m.book.example/r/'><a href='4'>下一章</a>",
                 O::Found, "https://m.book.example/r/4"},
        PageCase{"same_link_twice_fragment",
                 "<a href='4.html'>下一章</a><a href='4.html#top'>下一章</a>", O::Found,
                 "https://book.example/novel/12/4.html"},
        PageCase{"several", "<a href='4.html'>下一章</a><a href='5.html'>下一章</a>", O::Several,
                 ""},
        PageCase{"none", "<a href='2.html'>上一章</a><a href='index.html'>目录</a>", O::None, ""},
        PageCase{"words_inside_other_text",
                 "<a href='x.html'>下一章节预告：风起</a>"
                 "<a href='y.html'>nextcloud</a>",
                 O::None, ""},
        PageCase{"script_links_ignored",
                 "<a href='javascript:void(0)'>下一章</a><a href='#'>next</a>", O::None, ""},
        PageCase{"back_to_index_by_text",
                 "<a href='index.html'>返回目录</a><a href='index.html'>下一章</a>", O::BackToIndex,
                 "https://book.example/novel/12/index.html"},
        PageCase{"back_to_folder", "<a href='/novel/12/'>下一章</a>", O::BackToIndex,
                 "https://book.example/novel/12/"},
        PageCase{"already_saved", "<a href='1.html'>下一章</a>", O::AlreadySeen,
                 "https://book.example/novel/12/1.html"},
        PageCase{"image_link_by_alt",
                 "<a href='2.html'>上一章</a><a href=\"4.html\"><img src='n.gif' alt='下一章'></a>",
                 O::Found, "https://book.example/novel/12/4.html"},
        PageCase{"image_link_by_title", "<a href='4.html' title='下一章'><img src=n.gif></a>",
                 O::Found, "https://book.example/novel/12/4.html"},
        PageCase{"link_to_itself", "<a href='3.html#end'>下一页</a>", O::AlreadySeen,
                 "https://book.example/novel/12/3.html#end"}));

struct SplitCase {
    const char *name;
    const char *html;
    const char *text; // the chapter's text as saved
    const char *page; // the chapter's next page; "" when the chapter ends here
};

class ChapterPages : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ChapterPages, FollowsTheChaptersOwnPagesFirst) {
    const SplitCase &c = GetParam();
    const QSet<QString> seen = {serial::chainKey(QUrl("https://book.example/novel/12/2.html"))};
    EXPECT_EQ(
        serial::findChapterPage(QString::fromUtf8(c.html), kPage, QString::fromUtf8(c.text), seen)
            .toString(),
        QString::fromUtf8(c.page))
        << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ChapterPages,
    ::testing::Values(
        SplitCase{"page_beside_chapter",
                  "<p>正文</p><a href='3_2.html'>下一页</a>"
                  "<a href='4.html'>下一章</a>",
                  "正文", "https://book.example/novel/12/3_2.html"},
        SplitCase{"page_link_alone_in_group", "<a href='3_2.html'>下一页</a>", "正文",
                  "https://book.example/novel/12/3_2.html"},
        SplitCase{"page_link_alone_by_query", "<a href='3.html?page=2'>下页</a>", "正文",
                  "https://book.example/novel/12/3.html?page=2"},
        SplitCase{"numbered_pages",
                  "<a href='3.html'>1</a><a href='3_2.html'>2</a>"
                  "<a href='3_3.html'>3</a><a href='4.html'>下一章</a>",
                  "正文", "https://book.example/novel/12/3_2.html"},
        SplitCase{"unfinished_text_page_link_elsewhere", "<a href='p/777.html'>下一页</a>",
                  "正文\r\n本章未完，请点击下一页继续阅读",
                  "https://book.example/novel/12/p/777.html"},
        SplitCase{"unfinished_text_only_chapter_link", "<a href='4.html'>下一章</a>",
                  "正文（本章未完）", "https://book.example/novel/12/4.html"},
        SplitCase{"page_link_is_the_next_chapter", "<a href='4.html'>下一页</a>", "正文", ""},
        SplitCase{"same_address_for_both", "<a href='4.html'>下一页</a><a href='4.html'>下一章</a>",
                  "正文", ""},
        SplitCase{"chapter_only", "<a href='4.html'>下一章</a>", "正文", ""},
        SplitCase{"page_already_saved", "<a href='2.html'>下一页</a><a href='4.html'>下一章</a>",
                  "正文", ""}));

TEST(ChapterPage, ANumberThatNamesTheChapterIsNoPageNumber) {
    // Book 5, chapter 13: its "下一页" leads to chapter 14, unless the chain came here from
    // page 12 of the same chapter.
    const QUrl chapter("https://book.example/read/5_13.html");
    const QString html = QStringLiteral("<a href='5_14.html'>下一页</a>");
    EXPECT_EQ(serial::findChapterPage(html, chapter, QString(), {}, true), QUrl());
    EXPECT_EQ(serial::findChapterPage(html, chapter, QString(), {}, false),
              QUrl("https://book.example/read/5_14.html"));
}

TEST(NextLinkText, WordsArrowsAndNothingElse) {
    for (const char *yes : {"下一章", "下 一 章", "NEXT", "next page", "Next Chapter", "›", " » ",
                            "→", "下页>>", "【下一篇】"})
        EXPECT_TRUE(serial::isNextLinkText(QString::fromUtf8(yes))) << yes;
    for (const char *no : {"上一章", "下一章节", "nextcloud", "»»", "", "下"})
        EXPECT_FALSE(serial::isNextLinkText(QString::fromUtf8(no))) << no;
}

TEST(Markup, AttributesAndReferencesAsHtmlReadsThem) {
    const QList<serial::PageLink> links = serial::pageLinks(
        u"<A HREF=a.html TITLE='x>y'>one</A><a data-x=\"1\" href='b?x=1&amp;y=&#50;'><b>t</b>"
        u"&#x4E0B;</a><a href=\"c\"");
    ASSERT_EQ(links.size(), 2);
    EXPECT_EQ(links[0].href, "a.html");
    EXPECT_EQ(links[0].text, "one");
    EXPECT_EQ(links[1].href, "b?x=1&y=2");
    EXPECT_EQ(links[1].text, QString::fromUtf8("t下"));
}

} // namespace
