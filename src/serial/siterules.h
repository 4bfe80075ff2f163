#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

// What the user taught the program about one site's chapters, kept in the data folder as
// serial-sites/<host>.ini ("key=value" lines, GB18030, CR LF) and editable by hand:
//   next=下一章          the text of the link to the next chapter
//   content=div#content  the element holding the chapter: tag#id, tag.class, #id or .class
//   drop=div.comments    an element never saved (a line each; every element it matches)
//   dropline=最快更新    a line never saved: lines that begin with this text
//   title=^(.+?)_        a pattern over the page's <title>; its first group is the chapter title
// Nothing is shipped: every rule comes from the user's corrections or the user's own hand.
namespace serial {

struct SiteRules {
    QString nextLinkText;
    QString content;
    QStringList dropBlocks;
    QStringList dropLines;
    QString titlePattern;
    bool isEmpty() const {
        return nextLinkText.isEmpty() && content.isEmpty() && dropBlocks.isEmpty() &&
               dropLines.isEmpty() && titlePattern.isEmpty();
    }
};

// The rules file of the site of `page` in `folder`; "" for an address without a host.
// Example: siteRulesPath("/d/serial-sites", "http://www.a.cn:8080/b/1.html") gives
// "/d/serial-sites/www.a.cn.ini".
QString siteRulesPath(const QString &folder, const QUrl &page);

SiteRules parseSiteRules(QStringView text);
QString formatSiteRules(const SiteRules &rules);
// A missing or unreadable file gives no rules.
SiteRules readSiteRules(const QString &path);
bool writeSiteRules(const QString &path, const SiteRules &rules, QString *error = nullptr);

// The text of every element of `html` that `selector` names, one string each, tags removed
// and lines kept. Example: blockTexts("<div class='c x'>a<br>b</div>", "div.c") gives "a\nb".
QStringList blockTexts(QStringView html, const QString &selector);

// The chapter's text with the site's rules applied: the lines of dropped elements and the
// lines that begin with a dropped line are taken out. An element that holds most of the
// chapter (the user pointed at the story itself) is not dropped.
QString applySiteRules(const QString &text, QStringView html, const SiteRules &rules);

// The chapter title the rules' title pattern takes from the page's title; "" when there is no
// pattern or it does not match.
QString titleBySiteRules(const QString &pageTitle, const SiteRules &rules);

} // namespace serial
