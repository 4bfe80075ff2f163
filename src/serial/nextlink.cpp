#include "nextlink.h"

#include "markup.h"

#include <QHash>

namespace serial {

namespace {

// Link strength: the lower, the surer.
enum Strength { RelNext = 0, Chapter = 1, Section = 2, Page = 3, Symbol = 4, NotNext = 99 };

QString squeezed(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (!c.isSpace())
            out.append(c.toLower());
    }
    return out;
}

// The brackets, arrows and stops that sites put around "下一章" or "next".
bool isDecoration(QChar c) {
    static const QString decoration = QStringLiteral("[]【】()（）<>《》〈〉«»‹›→←:：-—|·.。!！>");
    return decoration.contains(c);
}

QString undecorated(const QString &text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isDecoration(text.at(begin)))
        ++begin;
    while (end > begin && isDecoration(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

Strength textStrength(QStringView visibleText) {
    static const QHash<QString, Strength> words = {
        {QStringLiteral("下一章"), Chapter}, {QStringLiteral("nextchapter"), Chapter},
        {QStringLiteral("下一节"), Section}, {QStringLiteral("下一篇"), Section},
        {QStringLiteral("下一页"), Page},    {QStringLiteral("下页"), Page},
        {QStringLiteral("nextpage"), Page},  {QStringLiteral("next"), Page},
    };
    static const QSet<QString> symbols = {QStringLiteral("›"), QStringLiteral("»"),
                                          QStringLiteral("→")};
    const QString plain = squeezed(visibleText);
    if (symbols.contains(plain))
        return Symbol;
    return words.value(undecorated(plain), NotNext);
}

bool isIndexText(QStringView visibleText) {
    static const QSet<QString> labels = {
        QStringLiteral("目录"),   QStringLiteral("返回目录"),    QStringLiteral("章节目录"),
        QStringLiteral("目录页"), QStringLiteral("回目录"),      QStringLiteral("返回书页"),
        QStringLiteral("书页"),   QStringLiteral("章节列表"),    QStringLiteral("返回列表"),
        QStringLiteral("index"),  QStringLiteral("contents"),    QStringLiteral("tableofcontents"),
        QStringLiteral("toc"),    QStringLiteral("backtoindex"),
    };
    return labels.contains(undecorated(squeezed(visibleText)));
}

bool isFollowable(const QUrl &url) {
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                             scheme == QLatin1String("file"));
}

// A folder above the page on the same site ("/book/12/" from "/book/12/3.html"): where
// sites send the last chapter's "下一章".
bool isFolderAbove(const QUrl &target, const QUrl &page) {
    if (target.host() != page.host() || target.scheme() != page.scheme() || target.hasQuery())
        return false;
    const QString folder = target.path();
    const QString path = page.path();
    return folder.endsWith(QLatin1Char('/')) && path.size() > folder.size() &&
           path.startsWith(folder);
}

} // namespace

bool isNextLinkText(QStringView visibleText) {
    return textStrength(visibleText) != NotNext;
}

QString chainKey(const QUrl &url) {
    return url.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments)
        .toString(QUrl::FullyEncoded);
}

NextLink findNextLink(QStringView html, const QUrl &pageUrl, const QSet<QString> &seen) {
    const QList<PageLink> links = pageLinks(html);
    QUrl base = pageUrl;
    if (const QString baseHref = baseHrefOf(html); !baseHref.isEmpty())
        base = pageUrl.resolved(QUrl(baseHref));

    int best = NotNext;
    QList<QUrl> bestUrls;
    QSet<QString> bestKeys;
    for (const PageLink &link : links) {
        if (link.href.trimmed().isEmpty() || link.href.trimmed().startsWith(QLatin1Char('#')))
            continue;
        const QUrl url = base.resolved(QUrl(link.href.trimmed()));
        if (!isFollowable(url))
            continue;
        const int strength = link.relNext ? RelNext : textStrength(link.text);
        if (strength == NotNext || strength > best)
            continue;
        if (strength < best) {
            best = strength;
            bestUrls.clear();
            bestKeys.clear();
        }
        if (!bestKeys.contains(chainKey(url))) {
            bestKeys.insert(chainKey(url));
            bestUrls.append(url);
        }
    }

    NextLink result;
    if (bestUrls.isEmpty())
        return result;
    if (bestUrls.size() > 1) {
        result.outcome = NextLinkOutcome::Several;
        result.candidates = bestUrls;
        return result;
    }
    return judgeNextLink(bestUrls.first(), html, pageUrl, seen);
}

NextLink findLinkByText(QStringView html, const QUrl &pageUrl, const QString &linkText,
                        const QSet<QString> &seen) {
    const QString wanted = squeezed(linkText);
    const QUrl base = pageUrl.resolved(QUrl(baseHrefOf(html)));
    QSet<QString> keys;
    QUrl found;
    for (const PageLink &link : pageLinks(html)) {
        const QUrl url = base.resolved(QUrl(link.href.trimmed()));
        if (wanted.isEmpty() || squeezed(link.text) != wanted || !isFollowable(url))
            continue;
        keys.insert(chainKey(url));
        found = url;
    }
    if (keys.size() != 1)
        return {};
    return judgeNextLink(found, html, pageUrl, seen);
}

NextLink judgeNextLink(const QUrl &url, QStringView html, const QUrl &pageUrl,
                       const QSet<QString> &seen) {
    NextLink result;
    result.url = url;
    const QString key = chainKey(url);
    if (key == chainKey(pageUrl) || seen.contains(key)) {
        result.outcome = NextLinkOutcome::AlreadySeen;
        return result;
    }
    const QUrl base = pageUrl.resolved(QUrl(baseHrefOf(html)));
    bool toIndex = isFolderAbove(url, pageUrl);
    for (const PageLink &link : pageLinks(html)) {
        if (toIndex)
            break;
        toIndex =
            isIndexText(link.text) && chainKey(base.resolved(QUrl(link.href.trimmed()))) == key;
    }
    result.outcome = toIndex ? NextLinkOutcome::BackToIndex : NextLinkOutcome::Found;
    return result;
}

} // namespace serial
