#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// A chapter's own title and the book's author, read from chapter pages that dress them in the
// site's name, page numbers and menus.
namespace serial {

// The texts of the page's <h1>…<h3> headings, in page order, tags removed.
// Example: headingTexts(u"<h1><a href=/>笔趣阁</a></h1><h2>第一章 雨夜</h2>") gives
// {"笔趣阁", "第一章 雨夜"}.
QStringList headingTexts(QStringView html);

// True for "第十二章 山门", "第12回", "Chapter 3", "序章", "楔子 …": the way chapters are named.
bool looksLikeChapterTitle(QStringView text);

// The title without the marks of a chapter split over pages: "第一章 雨夜（1/2）" and
// "第一章 雨夜 (第2页)" give "第一章 雨夜".
QString withoutPageMark(const QString &title);

// The end two page titles of one site share, from a separator on ("_", "-", "|", "—", "·",
// with the spaces before it): commonTitleSuffix(u"第一章 雨夜_山河_笔趣阁", u"第二章
// 风起_山河_笔趣阁") is
// "_山河_笔趣阁". Empty when they share no such end, or when one title is all of it.
QString commonTitleSuffix(QStringView a, QStringView b);

// The chapter's title: the first heading that looks like a chapter title; else the <title>
// without `siteSuffix` (when it ends with it); else, with no suffix known, the <title>'s first
// part when that looks like a chapter title. Page marks removed; never empty unless the
// <title> is. Example: (u"<h1>书</h1>", u"第二章 风起_山河_笔趣阁", u"_山河_笔趣阁") gives
// "第二章 风起".
QString chapterTitle(QStringView html, const QString &pageTitle, const QString &siteSuffix);

// The author a page names ("作者：张三", "作者: <a>张三</a>"); empty when none.
QString authorIn(QStringView html);

// The end every title in `titles` shares from a separator on (see commonTitleSuffix); empty
// for fewer than two titles.
QString sharedTitleSuffix(const QStringList &titles);

} // namespace serial
