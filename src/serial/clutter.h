#pragma once

#include <QString>
#include <QStringView>

// Lines a chapter's text picks up around the story on short chapters, where the article reader
// takes in the page's comments and footer.
namespace serial {

// True for a short line that is the site's, not the story's: a row of navigation words
// ("上一章 目录 下一章", "首页 排行榜"), the book's header line ("作者：某 更新时间：…"), an
// advert ("广告：…"), an appeal ("求月票", "请收藏本站"), an address ("www.x.com"), a comment
// block's heading or controls ("网友评论", "发表评论", "回复(3)"). Lines of 50 characters or more
// are the story's, unless they are the site's advertisement inside it: a line (under 160
// characters) that names the site's address or asks to remember it ("【笔趣阁推荐】天才一秒记住
// 本站地址：www.x.la，最快更新…").
bool isClutterLine(QStringView line);

// True when `line` is nothing but texts of the page's links (`linkTexts`), with spaces and
// stops between them: a menu or a sidebar list run into one line ("热门小说 别的书一别的书二"
// with `headings` holding "热门小说"). Link texts of one character are not counted.
bool isMadeOfLinks(const QString &line, const QStringList &linkTexts, const QStringList &headings);

} // namespace serial
