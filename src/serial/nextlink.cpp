#include "nextlink.h"

#include "markup.h"

#include <QHash>
#include <QRegularExpression>
#include <QUrlQuery>

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

// The address of a chapter with its page number taken out: "/b/12_3.html" and "/b/12.html"
// give one key, as do "?id=5&page=2" and "?id=5". The number is returned in `page` (1 when
// none).
QString pageGroupKey(const QUrl &url, int *page) {
    static const QRegularExpression numbered(QStringLiteral("^(.+?)[_-](\\d{1,2})(\\.[^./]*)?$"));
    static const QStringList pageKeys = {QStringLiteral("page"), QStringLiteral("p"),
                                         QStringLiteral("pn"), QStringLiteral("pg")};
    *page = 1;
    QString path = url.path();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString file = path.mid(slash + 1);
    if (const QRegularExpressionMatch match = numbered.match(file); match.hasMatch()) {
        *page = match.captured(2).toInt();
        path = path.left(slash + 1) + match.captured(1) + match.captured(3);
    }
    QUrlQuery query(url);
    for (const QString &key : pageKeys) {
        if (query.hasQueryItem(key)) {
            *page = query.queryItemValue(key).toInt();
            query.removeAllQueryItems(key);
        }
    }
    return url.scheme() + QStringLiteral("://") + url.authority() + path + QLatin1Char('?') +
           query.toString(QUrl::FullyEncoded);
}

} // namespace

bool endsUnfinished(QStringView chapterText) {
    static const QStringList marks = {QStringLiteral("本章未完"), QStringLiteral("下一页继续"),
                                      QStringLiteral("请翻页"), QStringLiteral("未完，"),
                                      QStringLiteral("翻下一页")};
    const QStringView tail = chapterText.right(80);
    for (const QString &mark : marks) {
        if (tail.contains(mark))
            return true;
    }
    return false;
}

QUrl findChapterPage(QStringView html, const QUrl &pageUrl, const QString &chapterText,
                     const QSet<QString> &seen, bool chapterStart) {
    QUrl base = pageUrl;
    if (const QString baseHref = baseHrefOf(html); !baseHref.isEmpty())
        base = pageUrl.resolved(QUrl(baseHref));
    int pageNumber = 1;
    const QString group = pageGroupKey(pageUrl, &pageNumber);
    const bool numberedPages = !chapterStart || pageNumber == 1;
    const QString self = chainKey(pageUrl);
    QUrl pageLink;     // the first "下一页" link
    QUrl numberedLink; // the link "N+1" to this chapter's next page
    bool pageInGroup = false;
    bool chapterElsewhere = false; // a "下一章" to another address than pageLink
    QList<QUrl> chapterLinks;
    for (const PageLink &link : pageLinks(html)) {
        const QString href = link.href.trimmed();
        if (href.isEmpty() || href.startsWith(QLatin1Char('#')))
            continue;
        const QUrl url = base.resolved(QUrl(href));
        const QString key = chainKey(url);
        if (!isFollowable(url) || key == self || seen.contains(key))
            continue;
        int number = 0;
        const bool inGroup = numberedPages && pageGroupKey(url, &number) == group;
        const int strength = textStrength(link.text);
        if (strength == Page && pageLink.isEmpty()) {
            pageLink = url;
            pageInGroup = inGroup && number == pageNumber + 1;
        } else if (strength == Chapter || strength == Section || link.relNext) {
            chapterLinks.append(url);
        }
        bool isNumber = false;
        if (inGroup && link.text.trimmed().toInt(&isNumber) == pageNumber + 1 && isNumber &&
            number == pageNumber + 1 && numberedLink.isEmpty())
            numberedLink = url;
    }
    for (const QUrl &url : std::as_const(chapterLinks))
        chapterElsewhere = chapterElsewhere || chainKey(url) != chainKey(pageLink);
    if (!pageLink.isEmpty() && (pageInGroup || chapterElsewhere || endsUnfinished(chapterText)))
        return pageLink;
    if (!numberedLink.isEmpty())
        return numberedLink;
    // The text says the chapter goes on, and the only way on is the chapter link.
    if (endsUnfinished(chapterText) && chapterLinks.size() == 1)
        return chapterLinks.first();
    return {};
}

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
