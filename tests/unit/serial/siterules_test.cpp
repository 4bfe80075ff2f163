#include "serial/siterules.h"

#include <gtest/gtest.h>

namespace {

TEST(SiteRules, TheFileReadsBackAndNamesOnlyItsHost) {
    serial::SiteRules rules;
    rules.nextLinkText = "继续阅读";
    rules.content = "div#content";
    rules.dropBlocks = {"div.comments", "#ad"};
    rules.dropLines = {"最快更新"};
    rules.titlePattern = "^(.+?)_";
    const serial::SiteRules back = serial::parseSiteRules(serial::formatSiteRules(rules));
    EXPECT_EQ(back.nextLinkText, rules.nextLinkText);
    EXPECT_EQ(back.content, rules.content);
    EXPECT_EQ(back.dropBlocks, rules.dropBlocks);
    EXPECT_EQ(back.dropLines, rules.dropLines);
    EXPECT_EQ(back.titlePattern, rules.titlePattern);
    EXPECT_TRUE(serial::parseSiteRules(u"; 注释\r\nbogus\r\n=x\r\nnext=\r\n").isEmpty());

    const struct {
        const char *address;
        const char *path;
    } paths[] = {{"http://www.a.cn:8080/b/1.html", "/d/www.a.cn.ini"},
                 {"https://BOOK.Example.com/", "/d/book.example.com.ini"},
                 {"file:///tmp/a.htm", ""},
                 {"http://../x", ""}};
    for (const auto &p : paths)
        EXPECT_EQ(serial::siteRulesPath("/d", QUrl(p.address)), p.path) << p.address;
}

TEST(SiteRules, DroppedBlocksAndLinesLeaveTheStory) {
    const QString html = QString::fromUtf8(
        "<div id='content'><p>第一段故事。</p><p>第二段故事。</p><p>第三段故事。</p>"
        "<div class='comment hot'><p>评论一：好看</p><div class='comment'><p>回复：同意</p>"
        "</div></div><div class='comment'><p>评论二：催更</p></div>"
        "<p>最快更新，尽在本站</p></div>");
    EXPECT_EQ(
        serial::blockTexts(html, "div.comment"),
        QStringList({"评论一：好看\n回复：同意", "评论二：催更"})); // the inner one is in the outer
    EXPECT_EQ(serial::blockTexts(html, "#content").size(), 1);
    EXPECT_TRUE(serial::blockTexts(html, "div.nothing").isEmpty());
    EXPECT_TRUE(serial::blockTexts(html, "div comment").isEmpty()); // not a name we know

    const QString text = QString::fromUtf8("第一段故事。\r\n第二段故事。\r\n第三段故事。\r\n"
                                           "评论一：好看\r\n回复：同意\r\n评论二：催更\r\n"
                                           "最快更新，尽在本站");
    serial::SiteRules rules;
    rules.dropBlocks = {"div.comment"};
    rules.dropLines = {"最快更新"};
    EXPECT_EQ(serial::applySiteRules(text, html, rules),
              QString::fromUtf8("第一段故事。\r\n第二段故事。\r\n第三段故事。"));
    // Pointing at the story itself drops nothing of it.
    rules.dropBlocks = {"div#content"};
    rules.dropLines.clear();
    EXPECT_EQ(serial::applySiteRules(text, html, rules), text);
}

TEST(SiteRules, TheTitlePatternTakesItsFirstGroup) {
    serial::SiteRules rules;
    EXPECT_EQ(serial::titleBySiteRules("第1章 下山_某书_某站", rules), "");
    rules.titlePattern = "^(.+?)_";
    EXPECT_EQ(serial::titleBySiteRules("第1章 下山_某书_某站", rules), "第1章 下山");
    EXPECT_EQ(serial::titleBySiteRules("没有分隔", rules), "");
    rules.titlePattern = "(unclosed";
    EXPECT_EQ(serial::titleBySiteRules("第1章 下山_某书", rules), "");
}

} // namespace
