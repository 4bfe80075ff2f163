#include "serial/chaptertitle.h"

#include <gtest/gtest.h>

namespace {

struct TitleCase {
    const char *name;
    const char *html;
    const char *pageTitle;
    const char *suffix; // the site's suffix the chain learned ("" before it knows one)
    const char *title;
};

class ChapterTitles : public ::testing::TestWithParam<TitleCase> {};

TEST_P(ChapterTitles, KeepOnlyTheChaptersOwnName) {
    const TitleCase &c = GetParam();
    EXPECT_EQ(serial::chapterTitle(QString::fromUtf8(c.html), QString::fromUtf8(c.pageTitle),
                                   QString::fromUtf8(c.suffix)),
              QString::fromUtf8(c.title))
        << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ChapterTitles,
    ::testing::Values(
        TitleCase{"heading_wins",
                  "<h1><a href=/>笔趣阁</a></h1><div><h2 class=t>第十二章 山门</h2>",
                  "第十二章 山门_山河剑客_笔趣阁", "", "第十二章 山门"},
        TitleCase{"heading_page_mark", "<h1>第十二章 山门（1/2）</h1>", "x", "", "第十二章 山门"},
        TitleCase{"learned_suffix", "<h1>山河剑客</h1>", "雨夜 风起_山河剑客_笔趣阁",
                  "_山河剑客_笔趣阁", "雨夜 风起"},
        TitleCase{"first_part_before_suffix_known", "", "第十二章 山门_山河剑客_笔趣阁", "",
                  "第十二章 山门"},
        TitleCase{"dash_separated", "", "第3回 下山 - 山河剑客 - 某某书屋", "", "第3回 下山"},
        TitleCase{"title_page_mark", "", "第十二章 山门(第2页)_山河剑客_笔趣阁", "_山河剑客_笔趣阁",
                  "第十二章 山门"},
        TitleCase{"plain_title_kept", "<h2>目录</h2>", "雨夜", "", "雨夜"},
        TitleCase{"suffix_not_at_end", "", "第1章 雨夜", "_山河_笔趣阁", "第1章 雨夜"}));

TEST(ChapterTitle, SuffixSharedFromASeparatorOn) {
    EXPECT_EQ(serial::commonTitleSuffix(u"第十二章 山门_山河剑客_笔趣阁",
                                        u"第十三章 下山_山河剑客_笔趣阁"),
              QString::fromUtf8("_山河剑客_笔趣阁"));
    // "门" ends both chapter names: it is not part of the site's name.
    EXPECT_EQ(serial::commonTitleSuffix(u"第一章 山门 - 书屋", u"第二章 师门 - 书屋"),
              QString::fromUtf8(" - 书屋"));
    EXPECT_EQ(serial::commonTitleSuffix(u"第一章 雨夜", u"第二章 雨夜"), QString());
    EXPECT_EQ(serial::commonTitleSuffix(u"书屋", u"第二章_书屋"), QString());
    EXPECT_EQ(serial::sharedTitleSuffix({"第1章_山河_趣阁", "第2章_山河_趣阁", "第3章_山河_趣阁"}),
              QString::fromUtf8("_山河_趣阁"));
    EXPECT_EQ(serial::sharedTitleSuffix({"第1章_山河_趣阁", "第2章_山河_趣阁", "第3章_别书_趣阁"}),
              QString::fromUtf8("_趣阁"));
    EXPECT_EQ(serial::commonTitleSuffix(u"第一章：雨夜", u"第二章：雨夜"), QString());
    EXPECT_EQ(serial::sharedTitleSuffix({"第1章_山河"}), QString());
}

TEST(ChapterTitle, AuthorAsThePageNamesIt) {
    EXPECT_EQ(serial::authorIn(u"<p>作者：<a href='/a/1'>张三</a> 更新：2024</p>"), "张三");
    EXPECT_EQ(serial::authorIn(u"<span>作 者: 李四</span>"), "李四");
    EXPECT_EQ(serial::authorIn(u"<p>作者的话</p>"), QString());
}

} // namespace
