#include "common/urlrules.h"

#include "urlparser.h"

#include "common/textsearch.h"

namespace common {

QString collapsePathSlashes(const QString &url) {
    qsizetype pathStart = 0;
    const qsizetype authority = url.indexOf(QStringLiteral("://"));
    if (authority >= 0 && authority == urlSchemeLength(url)) {
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
        for (QStringView end : fourCharEnds) {
            if (url.last(4).compare(end, Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return url.size() >= 3 && url.last(3).compare(u".ra", Qt::CaseInsensitive) == 0;
}

bool isOpenableAddress(const QUrl &url) {
    if (url.isEmpty() || url == QUrl(QStringLiteral("about:blank")))
        return true;
    const QString scheme = url.scheme();
    return isWebAddress(url) || (url.isValid() && (scheme == QLatin1String("file") ||
                                                   scheme == QLatin1String(kProgramScheme)));
}

bool isWebAddress(const QUrl &url) {
    return url.isValid() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

QUrl programPageUrl(const QString &name) {
    return QUrl(QLatin1String(kProgramScheme) + u':' + name);
}

} // namespace common
