#pragma once

#include <QString>
#include <QStringView>

namespace saving {

// Makes the links, images and styles of a page to be saved absolute, so that the saved file
// still leads to the right pages and shows its pictures when opened from the save folder:
// every quoted value after the exact text href= (anchors and <link>), and after the
// attributes src= and srcset= (each address of the list), is replaced by the address the
// engine reads from it (common::AddressResolver: the page's <base href> counts, the query is
// encoded in `charset`), written back with "&" as "&amp;", so that the saved file reads
// the same addresses whatever its own address and character set. Values with another scheme
// than http(s), ftp, file and ws(s) ("mailto:", "javascript:", "data:") and fragment-only
// values ("#top") stay as they are; unquoted values and HREF= in capitals are not touched.
// Example: rewriteLinks(u"<a href='../b.htm'>", "http://h/x/a.htm") == "<a href='http://h/b.htm'>".
QString rewriteLinks(QStringView html, const QString &pageUrl, const QString &charset = QString());

} // namespace saving
