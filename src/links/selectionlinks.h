#pragma once

#include <QStringList>
#include <QStringView>

namespace links {

// The links of a page that lie inside the user's selection, judged by their texts: a link
// counts when its text occurs in the selection (ignoring case) and so does the text of a
// link next to it, so a single link elsewhere whose text happens to occur in the selection
// is not taken. Link texts shorter than two characters are never taken. Links are read as the
// scanner reads them (scanLinks, with the page's `charset`); repeats and links to non-page
// files are left out.
// Example: with the selection "第一章 第二章" and a page listing the links 第一章, 第二章 and
// 第三章, the first two are taken.
QStringList selectedLinks(QStringView scanText, const QString &pageUrl, QStringView selection,
                          const QString &charset = QString());

// Every address written in a plain text: each "http" up to the first blank, double quote,
// apostrophe, ">" or line end (CR LF, LF or CR). An address that holds another "http" (a redirect)
// gives that inner address as well, after it.
QStringList urlsInText(QStringView text);

// The text of the link whose "href=" stands at `href` (0-based): what lies between the first
// ">" and the first "</a>" after it, trimmed, markup and character references turned into
// text; empty when fewer than two characters lie between them or either is missing.
QString linkTextAt(QStringView scanText, qsizetype href);

} // namespace links
