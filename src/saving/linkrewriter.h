#pragma once

#include <QString>
#include <QStringView>

namespace saving {

// Makes the links of a page to be saved absolute, so that the saved file still leads to the
// right pages: every quoted value after the exact text href= is resolved against the page's
// address as a browser resolves it. Values that have a scheme ("https:", "mailto:",
// "javascript:", any letter case) and fragment-only values ("#top") stay as they are;
// unquoted values and HREF= in capitals are not touched.
// Example: rewriteLinks(u"<a href='../b.htm'>", "http://h/x/a.htm") == "<a href='http://h/b.htm'>".
QString rewriteLinks(QStringView html, const QString &pageUrl);

} // namespace saving
