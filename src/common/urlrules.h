#pragma once

#include <QString>
#include <QStringView>
#include <QUrl>

// Small rules about link values found in pages, shared by the link commands and page saving.
namespace links {

// True when the value starts with a URL scheme ("http:", "JavaScript:", "mailto:", "x-y+z:")
// after any leading blanks. Example: hasScheme(u"HTTP://a") is true, hasScheme(u"a/b:c") false.
bool hasScheme(QStringView value);

// The lower-cased scheme of a value that has one, else an empty text.
QString schemeOf(QStringView value);

// Resolves link values against one page's address the way a browser does (RFC 3986):
// "/x" goes to the site root, "../" steps up, "//h/x" takes the page's scheme.
// Gives an empty text when the page address cannot serve as a base (about:blank, "").
// Plain relative names ("b.htm", "#top", "?p=2") are joined without a URL parser, with the
// parser's result: pages hold thousands of them.
class LinkResolver {
public:
    explicit LinkResolver(const QString &pageUrl);
    QString resolve(QStringView value) const;

private:
    QUrl m_base;
    bool m_valid = false;
    QString m_document; // the page address without its fragment (for "#x")
    QString m_path;     // without its query too (for "?x")
    QString m_folder;   // up to the last "/" of the path (for "x"); empty: no fast path
};

// One-off form of LinkResolver.
// Example: resolveLink("http://h/a/b.htm", u"../c.htm") == "http://h/c.htm".
QString resolveLink(const QString &pageUrl, QStringView value);

// Replaces every "//" by "/" in the path of the URL only; the "//" before the host, the query
// and the fragment stay. Example: "http://h//a//b?u=http://x" gives "http://h/a/b?u=http://x".
QString collapsePathSlashes(const QString &url);

// True for links to files that are not pages: the URL ends in .zip .exe .rar .mp3 .ppt .pdf
// .chm .scr .doc .wdl or .ra, in any letter case.
bool isNonPageLink(QStringView url);

} // namespace links
