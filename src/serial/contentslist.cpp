#include "contentslist.h"

#include "chaptertitle.h"
#include "markup.h"
#include "nextlink.h"

#include "common/urlrules.h"

#include <QHash>
#include <QRegularExpression>

namespace serial {

namespace {

// The folder of an address's path: "/book/1/" for "/book/1/index.html" and for "/book/1/".
QString folderOf(const QUrl &url) {
    const QString path = url.path();
    return path.left(path.lastIndexOf(u'/') + 1);
}

// Keeps each chapter at its last place in `links`.
QList<QUrl> lastPlaces(const QList<QUrl> &links) {
    QHash<QString, qsizetype> last;
    for (qsizetype i = 0; i < links.size(); ++i)
        last.insert(chainKey(links[i]), i);
    QList<QUrl> out;
    for (qsizetype i = 0; i < links.size(); ++i) {
        if (last.value(chainKey(links[i])) == i)
            out.append(links[i]);
    }
    return out;
}

// The last number in an address's path: 1002 for "/book/1/1002.html"; -1 when none.
qint64 pathNumber(const QUrl &url) {
    static const QRegularExpression number(QStringLiteral("(\\d{1,15})\\D*$"));
    const QRegularExpressionMatch match = number.match(url.path());
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// The list proper among the chapter links of one page: the longest run whose numbers go up,
// when the runs outside it are boxes (a fifth of the links at most, and a dozen). Addresses
// without numbers, or numbers that do not follow the reading order, keep every link.
QList<QUrl> listProper(const QList<QUrl> &links) {
    qsizetype bestStart = 0;
    qsizetype bestLength = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= links.size(); ++i) {
        const bool ends = i == links.size() ||
                          (i > start && pathNumber(links[i]) >= 0 &&
                           pathNumber(links[i - 1]) >= 0 &&
                           pathNumber(links[i]) < pathNumber(links[i - 1]));
        if (!ends)
            continue;
        if (i - start > bestLength) {
            bestStart = start;
            bestLength = i - start;
        }
        start = i;
    }
    const qsizetype outside = links.size() - bestLength;
    if (outside == 0 || outside > qMin<qsizetype>(12, links.size() / 5))
        return links;
    return links.mid(bestStart, bestLength);
}

} // namespace

QUrl contentsNextPage(QStringView html, const QUrl &page) {
    const QString base = baseHrefOf(html);
    const QUrl from = base.isEmpty() ? page : page.resolved(QUrl(base));
    static const QRegularExpression nextPage(
        QStringLiteral("^(下一页|下页|下一頁|后页|後頁|next page|next|›|»|>|>>)$"),
        QRegularExpression::CaseInsensitiveOption);
    for (const PageLink &link : pageLinks(html)) {
        const QString text = link.text.simplified();
        if (link.href.isEmpty() || link.href.startsWith(u'#') || looksLikeChapterTitle(text))
            continue;
        if (!nextPage.match(text).hasMatch() && !link.relNext)
            continue;
        QUrl url = from.resolved(QUrl(link.href));
        url.setFragment(QString());
        if (common::isWebAddress(url) && url.host() == page.host() &&
            chainKey(url) != chainKey(page))
            return url;
    }
    return QUrl();
}

QList<QUrl> mergeContentsPages(const QList<QList<QUrl>> &pages) {
    QList<QUrl> all;
    for (const QList<QUrl> &page : pages)
        all += page;
    return lastPlaces(all);
}

QList<QUrl> contentsChapters(QStringView html, const QUrl &page) {
    const QString base = baseHrefOf(html);
    const QUrl from = base.isEmpty() ? page : page.resolved(QUrl(base));
    const QString pageKey = chainKey(page);
    QList<QUrl> titled;
    QList<QUrl> numbered;
    static const QRegularExpression numberedName(QStringLiteral("\\d+[^/]*$"));
    for (const PageLink &link : pageLinks(html)) {
        if (link.href.isEmpty() || link.href.startsWith(u'#'))
            continue;
        QUrl url = from.resolved(QUrl(link.href));
        url.setFragment(QString());
        if (!common::isWebAddress(url) || url.host() != page.host() || chainKey(url) == pageKey)
            continue;
        if (looksLikeChapterTitle(link.text.simplified()))
            titled.append(url);
        else if (url.path().startsWith(folderOf(page)) && numberedName.match(url.path()).hasMatch())
            numbered.append(url);
    }
    return lastPlaces(listProper(titled.size() >= 3 ? titled : numbered));
}

QUrl nextListedChapter(const QList<QUrl> &list, const QUrl &current, const QSet<QString> &seen) {
    qsizetype from = 0;
    if (!current.isEmpty()) {
        const QString key = chainKey(current);
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (chainKey(list[i]) == key) {
                from = i + 1;
                break;
            }
        }
    }
    for (qsizetype i = from; i < list.size(); ++i) {
        if (!seen.contains(chainKey(list[i])))
            return list[i];
    }
    return QUrl();
}

QString formatChapterList(const QList<QUrl> &list) {
    QString text;
    for (const QUrl &url : list)
        text += url.toString(QUrl::FullyEncoded) + u'\n';
    return text;
}

QList<QUrl> parseChapterList(QStringView text) {
    QList<QUrl> list;
    for (QStringView line : text.split(u'\n')) {
        const QUrl url(line.trimmed().toString(), QUrl::StrictMode);
        if (common::isWebAddress(url))
            list.append(url);
    }
    return list;
}

} // namespace serial
