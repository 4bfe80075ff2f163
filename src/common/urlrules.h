#pragma once

#include <QString>
#include <QStringView>
#include <QUrl>

// Small rules about the link addresses the link commands harvest.
namespace common {

// Replaces every "//" by "/" in the path of the URL only; the "//" before the host, the query
// and the fragment stay. Example: "http://h//a//b?u=http://x" gives "http://h/a/b?u=http://x".
QString collapsePathSlashes(const QString &url);

// True for links to files that are not pages: the URL ends in .zip .exe .rar .mp3 .ppt .pdf
// .chm .scr .doc .wdl or .ra, in any letter case.
bool isNonPageLink(QStringView url);

// Whether an address read from a data file (the session, a group, link.htm, a bookmarks file)
// or handed over by another start may open: web pages (http:, https:), files and the
// program's own pages (lumaro:searchsaved?q=...; the favourites page is a file). javascript: would
// run inside the page shown, and the engine's own addresses (chrome://crash, view-source:) do what
// no stored list should ask for. A blank tab (an empty address, about:blank) may open. The same
// rule as browser::isOpenableAddress, for the rule folders, which never include browser/.
bool isOpenableAddress(const QUrl &url);

// True for a valid web address: http: or https:. Example: true for "https://a.cn/1.html",
// false for "file:///a.htm" and "javascript:alert(1)".
bool isWebAddress(const QUrl &url);

// The scheme of the pages the program makes itself: "lumaro:searchsaved?q=words".
inline constexpr char kProgramScheme[] = "lumaro";

// The address of the program's own page `name`. Example: programPageUrl("searchsaved") gives
// "lumaro:searchsaved".
QUrl programPageUrl(const QString &name);

} // namespace common
