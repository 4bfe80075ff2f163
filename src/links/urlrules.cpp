#include "urlrules.h"

#include "common/textsearch.h"

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
