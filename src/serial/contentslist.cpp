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

} // namespace

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
    return lastPlaces(titled.size() >= 3 ? titled : numbered);
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
