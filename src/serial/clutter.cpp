#include "clutter.h"

#include <QRegularExpression>

namespace serial {

namespace {

// An advertisement line inside the story is shorter than this.
constexpr qsizetype kLongestAdvert = 160;

} // namespace

bool isClutterLine(QStringView line) {
    const QString plain = line.toString().simplified();
    if (plain.isEmpty())
        return false;
    // A site's advertisement inside the story, however long: it names the site's address or
    // asks the reader to remember it.
    static const QRegularExpression siteAdvert(
        QStringLiteral("记住本站|本站地址|天才一秒|一秒记住|(?:https?://|www\\.)[\\w.-]+\\.[a-z]{2,}"),
        QRegularExpression::CaseInsensitiveOption);
    if (plain.size() < kLongestAdvert && siteAdvert.match(plain).hasMatch())
        return true;
    if (plain.size() >= 50)
        return false;
    // Every word of the line is a navigation word.
    static const QRegularExpression navigation(QStringLiteral(
        "^(?:[\\s|｜·\\-—>»«<【】\\[\\]()（）]*(?:上一章|下一章|上一页|下一页|目录|"
        "章节目录|返回目录|"
        "返回书页|加入书签|加入书架|投推荐票|推荐本书|返回顶部|报错|章节报错|首页|排行榜|最新更新|"
        "我的书架|书架|分类|完本|全本|书库|登录|注册))+"
        "[\\s|｜·\\-—>»«<"
        "【】\\[\\]()（）]*$"));
    static const QRegularExpression appeal(
        QStringLiteral("求月票|求推荐票|求收藏|请收藏|收藏本站|最新章节|手机阅读|手机版阅读|"
                       "免费阅读|本站域名|记住本站|章节错误|点此举报|加入书签|(?:https?://|www\\.)"
                       "[\\w.-]+|[\\w-]+\\.(?:com|net|org|cc|la|info)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    // The book's line in the page's header, an advert.
    static const QRegularExpression header(
        QStringLiteral("作\\s*者\\s*[：:].*(?:更新|字数|状态)|^(?:广告|推广)\\s*[：:]"));
    static const QRegularExpression comments(
        QStringLiteral("^(?:网友评论|发表评论|读者评论|书友评论|评论区|热门评论|最新评论|"
                       "全部评论|登录后(?:才能)?(?:发表)?评论|我来说两句)|^(?:回复|点赞|举报)"
                       "\\s*[(（]?\\d*[)）]?$|^\\d+\\s*条评论$"));
    return navigation.match(plain).hasMatch() || appeal.match(plain).hasMatch() ||
           header.match(plain).hasMatch() || comments.match(plain).hasMatch();
}

bool isMadeOfLinks(const QString &line, const QStringList &linkTexts, const QStringList &headings) {
    QString rest = line.simplified();
    bool anyLink = false;
    for (const QStringList *texts : {&linkTexts, &headings}) {
        for (const QString &text : *texts) {
            if (text.size() < 2 || !rest.contains(text))
                continue;
            rest.remove(text);
            anyLink = anyLink || texts == &linkTexts;
        }
    }
    for (const QChar c : std::as_const(rest)) {
        if (c.isLetterOrNumber())
            return false;
    }
    return anyLink;
}

} // namespace serial
