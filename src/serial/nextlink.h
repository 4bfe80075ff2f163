#pragma once

#include <QSet>
#include <QString>
#include <QStringView>
#include <QUrl>

// Finding the link to a serial's next chapter in a chapter page's HTML.
namespace serial {

// What the search found. Only Found carries an address.
enum class NextLinkOutcome {
    Found,       // one next chapter
    None,        // no next link: the last chapter
    Several,     // links of equal standing to different addresses: the user must choose
    BackToIndex, // the next link leads back to the contents page: the last chapter
    AlreadySeen, // the next link leads to an address already saved in this chain
};

struct NextLink {
    NextLinkOutcome outcome = NextLinkOutcome::None;
    QUrl url;               // the next chapter (Found), else the address that was refused
    QList<QUrl> candidates; // Several: the addresses in question, in page order
};

// True when a link's visible text names the next page: "下一章", "下一页", "下页", "下一节",
// "下一篇", "next", "next page", "next chapter", "›", "»", "→" (letter case and spaces
// ignored, brackets and arrows around a word allowed). Example: "下一章 →" and "[ Next ]" do.
bool isNextLinkText(QStringView visibleText);

// An address as the chain compares addresses: the fragment removed. Two links that differ only
// after '#' lead to the same chapter.
QString chainKey(const QUrl &url);

// Chooses the next chapter's link in `html`, a page at `pageUrl` (relative links resolve
// against it, or against a <base href>). A link or <link> marked rel="next" wins; then the
// text links by strength ("下一章" before "下一页" before "»"). Links to the same address count
// once. `seen` holds chainKey() of the addresses this chain has saved.
// Example: a page with <a href="2.html">下一章</a> at http://x/1.html gives Found, http://x/2.html.
NextLink findNextLink(QStringView html, const QUrl &pageUrl, const QSet<QString> &seen = {});

// The next link by the text of a link the user chose once: the page's links whose visible text
// equals `linkText` (letter case and spaces ignored). Found (judged as by findNextLink) when they
// all lead to one address; None otherwise.
NextLink findLinkByText(QStringView html, const QUrl &pageUrl, const QString &linkText,
                        const QSet<QString> &seen);

// Judges a next link chosen among several: Found, or AlreadySeen / BackToIndex by the same
// rules as findNextLink.
NextLink judgeNextLink(const QUrl &url, QStringView html, const QUrl &pageUrl,
                       const QSet<QString> &seen);

// The next page of the same chapter, when the chapter at `pageUrl` goes on over pages: its
// "下一页" / "下页" link when it stays within the chapter's numbered pages ("12.html" →
// "12_2.html", "?page=2"), when a "下一章" link to elsewhere stands beside it, or when the text
// ends saying the chapter is unfinished ("本章未完"); else a numbered link ("2") to the
// chapter's next page. `chapterText` is the text saved from the page. Empty when the chapter
// ends on this page. Addresses in `seen` and the page itself are never its next page.
// `chapterStart`: the page is a chapter's first; when its address already ends in a number
// ("5_13.html"), that number names the chapter, not a page, and the numbered-pages rule is off.
// Example: a page with <a href='12_2.html'>下一页</a><a href='13.html'>下一章</a> gives 12_2.html.
QUrl findChapterPage(QStringView html, const QUrl &pageUrl, const QString &chapterText,
                     const QSet<QString> &seen, bool chapterStart = true);

// True when the chapter's text ends saying it goes on over the page ("本章未完，请点击下一页").
bool endsUnfinished(QStringView chapterText);

} // namespace serial
