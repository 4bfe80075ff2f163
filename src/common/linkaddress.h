#pragma once

#include "urlparser.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace common {

// Turns the raw values of one page's link attributes into the addresses the engine itself
// uses for them (what a click opens, what a.href reads): character references decoded,
// blanks and control characters around the value and tabs and line ends inside it removed,
// then parsed against the base address as the URL standard does (see parseUrl), the query
// percent-encoded in the page's character set. "" where the engine has no address either
// (a relative value without a usable base, a bad host).
// Plain relative names ("b.htm", "#top", "?p=2") are joined without the parser, with the
// parser's result: pages hold thousands of them.
// Example: AddressResolver("http://h/d/p.htm", "GBK").resolve(u"s.html?q=中文&amp;x=1")
// == "http://h/d/s.html?q=%D6%D0%CE%C4&x=1".
class AddressResolver {
public:
    explicit AddressResolver(const QString &baseUrl, const QString &charset = QString());
    QString resolve(QStringView rawValue);
    // The same for a value cleaned already (cleanLinkValue).
    QString resolveClean(QStringView cleanValue) { return resolveCleaned(cleanValue, true); }
    // The parser's answer alone, without the shortcut for plain names.
    QString resolveWithoutShortcut(QStringView rawValue);
    bool hasBase() const { return m_base.has_value(); }

private:
    QString resolveCleaned(QStringView value, bool shortcut);

    QueryEncoding m_encoding;
    std::optional<ParsedUrl> m_base;
    QString m_document; // the base without its fragment (for "#x")
    QString m_path;     // without its query too (for "?x")
    QString m_folder;   // up to the last "/" of the path (for "x")
};

// One-off form of AddressResolver.
// Example: resolveLinkAddress(u"sub\\b.html", "http://h/d/a.htm") == "http://h/d/sub/b.html".
QString resolveLinkAddress(QStringView rawValue, const QString &baseUrl,
                           const QString &charset = QString());

// An absolute address as the engine writes it, for telling whether two addresses are the same:
// parsed with no base, the query taken as UTF-8; an address that does not parse so is given
// back as it is. Example: comparableAddress(u"HTTP://0x7f.1") == "http://127.0.0.1/".
QString comparableAddress(QStringView address);

// The base address a <base href="..."> gives a page at `pageUrl`: the href resolved against
// the page address; the page address itself where that is no web or file address.
QString baseUrlFromHref(QStringView href, const QString &pageUrl, const QString &charset);

// The href of the <base> element whose start tag holds position `pos` of `html` (where a
// scan found "href="), if the tag there is a base element's. The tag's "<" is looked for
// after `from` only (the scan's previous find, whose tag has been looked at), so that a scan
// stays linear.
std::optional<QStringView> baseElementHrefAt(QStringView html, qsizetype pos, qsizetype from);

// A raw attribute value as the engine reads it before parsing: character references decoded,
// blanks and control characters (up to U+0020) removed around it, tabs, CR and LF inside it.
// Example: cleanLinkValue(u" a\n.htm?x=1&amp;y=2 ") == "a.htm?x=1&y=2".
QString cleanLinkValue(QStringView rawValue);

// False when cleanLinkValue would give the value back unchanged.
bool linkValueNeedsCleaning(QStringView rawValue);

// The address relative links of a page are resolved against: the href of the first <base>
// element that has one, itself resolved against the page address; else the page address.
// Example: documentBaseUrl(u"<base href=\"/abs/\">", "http://h/d/p.htm") == "http://h/abs/".
QString documentBaseUrl(QStringView html, const QString &pageUrl,
                        const QString &charset = QString());

// The character set a page declares in a <meta> element (<meta charset="gbk"> or the content
// of <meta http-equiv="Content-Type" content="text/html; charset=gbk">), the first one
// found; "" when it declares none.
QString declaredCharset(QStringView html);

} // namespace common
