#include "serial/clutter.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

TEST(ChapterText, TheSitesLinesGoTheStorysStay) {
    for (const char *clutter :
         {"上一章 | 目录 | 下一章", "【加入书签】 投推荐票", "求月票！求推荐票！",
          "请记住本站域名：www.biquge.la", "手机阅读 m.example.com", "网友评论", "发表评论",
          "回复(3)", "12 条评论", "登录后才能发表评论", "首页 排行榜 最新更新",
          "山河 作者：王五 更新时间：2024-05-01", "广告：下载客户端看书更快",
          "【笔趣阁小说推荐】天才一秒记住本站地址：https://www.xbiquge-reading.example.com/，最快更新"
          "长夜最新章节，无弹窗免费阅读全文，手机用户请访问 m.xbiquge-reading.example.com"})
        EXPECT_TRUE(serial::isClutterLine(QString::fromUtf8(clutter))) << clutter;
    for (const char *story :
         {"他回复道：“明日再来。”", "目录在他手里。", "作者：这是他写给自己的信。", "第十二章 山门",
          "“下一章会更好。”他笑道。", "他把地址写在纸上：城南老街三号。",
          "她在评论区看到了那句话，久久没有说话，窗外的雨一直下到了天亮，灯也没有熄。又过了很久。"})
        EXPECT_FALSE(serial::isClutterLine(QString::fromUtf8(story))) << story;

    const QStringList links = {"别的书一", "别的书二", "首页", "他"};
    const QStringList headings = {"热门小说"};
    EXPECT_TRUE(serial::isMadeOfLinks("热门小说别的书一别的书二", links, headings));
    EXPECT_TRUE(serial::isMadeOfLinks("首页 · 别的书二", links, headings));
    EXPECT_FALSE(serial::isMadeOfLinks("热门小说", links, headings)); // a heading, no link
    EXPECT_FALSE(serial::isMadeOfLinks("他读完了别的书一。", links, headings));
}

} // namespace
