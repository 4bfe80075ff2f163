#include "common/urlrules.h"

#include "common/textsearch.h"

#include <QUrl>

namespace links {

namespace {

bool isAsciiAlpha(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

qsizetype skipBlanks(QStringView value) {
    qsizetype i = 0;
    while (i < value.size() && (value[i] == u' ' || value[i] == u'\t' || value[i] == u'\r' ||
                                value[i] == u'\n' || value[i] == u'\f'))
        ++i;
    return i;
}

// Length of the scheme name at the start of `value` (without the colon), 0 when none.
qsizetype schemeLength(QStringView value) {
    const qsizetype start = skipBlanks(value);
    if (start >= value.size() || !isAsciiAlpha(value[start]))
        return 0;
    for (qsizetype i = start + 1; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u':')
            return i - start;
        if (!isAsciiAlpha(c) && !c.isDigit() && c != u'+' && c != u'-' && c != u'.')
            return 0;
        if (c.unicode() > 0x7f)
            return 0;
    }
    return 0;
}

} // namespace

bool hasScheme(QStringView value) {
    return schemeLength(value) > 0;
}

QString schemeOf(QStringView value) {
    const qsizetype length = schemeLength(value);
    return length == 0 ? QString() : common::asciiLowered(value.sliced(skipBlanks(value), length));
}

namespace {

// Characters that the URL parser keeps exactly as written in a path, query or fragment.
bool isPlainUrlChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'-' || c == u'_' || c == u'.' || c == u'~' || c == u'/' || c == u'?' ||
           c == u'=' || c == u'&' || c == u';' || c == u',' || c == u'+' || c == u':' ||
           c == u'@' || c == u'!' || c == u'$' || c == u'*' || c == u'(' || c == u')';
}

// A value the fast path may join: plain characters, one "#" at most, and no dot segments.
bool isPlainRelative(QStringView value) {
    if (value.isEmpty() || value.front() == u'/' || value.front() == u'.' ||
        value.front() == u'#' || value.front() == u'?')
        return false;
    // "x:y" would be a scheme; a colon may stand only after the first "/", "?" or "#".
    for (QChar c : value) {
        if (c == u':')
            return false;
        if (c == u'/' || c == u'?' || c == u'#')
            break;
    }
    int hashes = 0;
    for (QChar c : value) {
        if (c == u'#')
            ++hashes;
        else if (!isPlainUrlChar(c.unicode()))
            return false;
    }
    const qsizetype hash = value.indexOf(u'#');
    const QStringView path = value.first(hash < 0 ? value.size() : hash);
    const qsizetype query = path.indexOf(u'?');
    const QStringView segments = path.first(query < 0 ? path.size() : query);
    return hashes <= 1 && !segments.contains(u"/.") && segments != u".";
}

} // namespace

LinkResolver::LinkResolver(const QString &pageUrl) : m_base(pageUrl) {
    // Only hierarchical addresses can serve as a base ("about:blank" cannot).
    m_valid = m_base.isValid() && !m_base.isRelative() &&
              (!m_base.host().isEmpty() || m_base.scheme() == QLatin1String("file"));
    if (!m_valid)
        return;
    const QString whole = m_base.toString(QUrl::EncodeSpaces);
    // The fast path only where the parser would write the base back unchanged.
    if (whole != pageUrl || pageUrl.contains(u"/.") || pageUrl.contains(u'%') ||
        m_base.path().isEmpty())
        return;
    for (QChar c : pageUrl) {
        if (!isPlainUrlChar(c.unicode()) && c != u'#')
            return;
    }
    m_document = m_base.toString(QUrl::EncodeSpaces | QUrl::RemoveFragment);
    m_path = m_base.toString(QUrl::EncodeSpaces | QUrl::RemoveFragment | QUrl::RemoveQuery);
    m_folder = m_path.left(m_path.lastIndexOf(u'/') + 1);
}

QString LinkResolver::resolve(QStringView value) const {
    if (!m_valid)
        return QString();
    if (!m_folder.isEmpty()) {
        if (value.size() > 1 && value.front() == u'#' && isPlainRelative(value.sliced(1)))
            return m_document + value.toString();
        if (value.size() > 1 && value.front() == u'?' && isPlainRelative(value.sliced(1)))
            return m_path + value.toString();
        if (isPlainRelative(value))
            return m_folder + value.toString();
    }
    const QUrl relative(value.trimmed().toString(), QUrl::TolerantMode);
    return m_base.resolved(relative).toString(QUrl::EncodeSpaces);
}

QString resolveLink(const QString &pageUrl, QStringView value) {
    return LinkResolver(pageUrl).resolve(value);
}

QString collapsePathSlashes(const QString &url) {
    qsizetype pathStart = 0;
    const qsizetype authority = url.indexOf(QStringLiteral("://"));
    if (authority >= 0 && authority == schemeLength(url) + skipBlanks(url)) {
        pathStart = url.indexOf(u'/', authority + 3);
        if (pathStart < 0)
            return url;
    }
    qsizetype pathEnd = url.size();
    for (qsizetype i = pathStart; i < url.size(); ++i) {
        if (url[i] == u'?' || url[i] == u'#') {
            pathEnd = i;
            break;
        }
    }
    const QStringView path = QStringView(url).sliced(pathStart, pathEnd - pathStart);
    if (!path.contains(u"//"))
        return url; // the common case: nothing to do, no copy
    QString collapsed = path.toString();
    collapsed.replace(QStringLiteral("//"), QStringLiteral("/"));
    return url.left(pathStart) + collapsed + url.mid(pathEnd);
}

bool isNonPageLink(QStringView url) {
    static const QStringView fourCharEnds[] = {u".zip", u".exe", u".rar", u".mp3", u".ppt",
                                               u".pdf", u".chm", u".scr", u".doc", u".wdl"};
    if (url.size() >= 4) {
        const QString tail = common::asciiLowered(url.last(4));
        for (QStringView end : fourCharEnds) {
            if (tail == end)
                return true;
        }
    }
    return url.size() >= 3 && common::asciiLowered(url.last(3)) == u".ra";
}

} // namespace links
