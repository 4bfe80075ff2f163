#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>
#include <QUrl>

// A serial saved from its contents page (目录): the chapters the page lists, kept in the series
// folder so that a stopped or killed chain goes on down the same list.
namespace serial {

// The list's file in the series folder: one address a line, in reading order.
inline const QString kListFileName = QStringLiteral("章节列表.txt");

// The chapters a contents page lists, in reading order: links to pages of the page's own site
// whose text looks like a chapter title ("第十二章 山门", "Chapter 3", "序章"); when fewer than
// three do, the links to numbered pages in the contents page's own folder. A chapter listed
// twice keeps its last place. A box of the latest chapters above or below the list proper
// (its numbers going down, or starting again) is left out when the list proper holds most
// of the links: the longest run whose addresses' numbers go up.
// Example: on "http://a.cn/book/1/", links "1001.html" 第一章, "1002.html" 第二章 give
// http://a.cn/book/1/1001.html, http://a.cn/book/1/1002.html.
QList<QUrl> contentsChapters(QStringView html, const QUrl &page);

// The next page of a contents list split over pages: the link "下一页" ("下页", "next page",
// "›", "»", or rel=next) to another page of the same site. Empty when there is none.
QUrl contentsNextPage(QStringView html, const QUrl &page);

// The chapters of the pages of one contents list, in page order, as one list: each chapter
// at its last place.
QList<QUrl> mergeContentsPages(const QList<QList<QUrl>> &pages);

// The chapter to save after `current` (compared by chainKey; empty: from the start): the first
// one after it in `list` that is not in `seen`. Empty at the end of the list.
QUrl nextListedChapter(const QList<QUrl> &list, const QUrl &current, const QSet<QString> &seen);

// The file's text (UTF-8, LF) and back; lines that are no http(s) address are left out.
QString formatChapterList(const QList<QUrl> &list);
QList<QUrl> parseChapterList(QStringView text);

} // namespace serial
