#pragma once

#include <QString>
#include <QStringView>

// Small rules about link values found in pages, shared by the link commands and page saving.
namespace links {

// True when the value starts with a URL scheme ("http:", "JavaScript:", "mailto:", "x-y+z:")
// after any leading blanks. Example: hasScheme(u"HTTP://a") is true, hasScheme(u"a/b:c") false.
bool hasScheme(QStringView value);

// The lower-cased scheme of a value that has one, else an empty text.
QString schemeOf(QStringView value);

// Replaces every "//" by "/" in the path of the URL only; the "//" before the host, the query
// and the fragment stay. Example: "http://h//a//b?u=http://x" gives "http://h/a/b?u=http://x".
QString collapsePathSlashes(const QString &url);

// True for links to files that are not pages: the URL ends in .zip .exe .rar .mp3 .ppt .pdf
// .chm .scr .doc .wdl or .ra, in any letter case.
bool isNonPageLink(QStringView url);

} // namespace links
