#include "resultspage.h"

#include "common/urlrules.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QUrlQuery>

namespace fulltext {

namespace {

// The values of the address's item "in", in the order of SearchFilters::Scope.
const char *const kScopeItems[] = {"all", "saved", "read"};

// The page's one script: the words typed are searched half a second after the last key (not
// while an input method is still composing them), the caret kept at the end of the box.
constexpr char kTypingScript[] =
    "(function(){var q=document.getElementById('q');if(!q)return;q.focus();"
    "var n=q.value.length;q.setSelectionRange(n,n);var t=0,asked=q.value;"
    "function go(){if(q.value===asked)return;asked=q.value;"
    "location.replace(q.form.action+'?q='+encodeURIComponent(q.value));}"
    "function later(){clearTimeout(t);t=setTimeout(go,500);}"
    "q.addEventListener('input',function(e){if(e.isComposing)clearTimeout(t);else later();});"
    "q.addEventListener('compositionend',later);})();";

// The page allows no script but its own, known by its hash: nothing a saved file put into a
// title or snippet can run, even if it got past the escaping.
QString scriptPolicy() {
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray(kTypingScript), QCryptographicHash::Sha256);
    return QStringLiteral("script-src 'sha256-%1'; object-src 'none'")
        .arg(QString::fromLatin1(hash.toBase64()));
}

QString escaped(const QString &text) {
    return text.toHtmlEscaped();
}

// The snippet escaped, its marks of found words made <mark> elements.
QString markedSnippet(const QString &snippet) {
    QString html = escaped(snippet);
    html.replace(kMarkStart, QStringLiteral("<mark>")).replace(kMarkEnd, QStringLiteral("</mark>"));
    return html;
}

QString link(const QUrl &url, const QString &text) {
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(escaped(url.toString(QUrl::FullyEncoded)), escaped(text));
}

QString sourceHtml(const QString &source) {
    const QUrl url(source, QUrl::StrictMode);
    if (common::isWebAddress(url))
        return link(url, source);
    return escaped(source);
}

QString dataSize(qint64 size) {
    return size < 1024
               ? QStringLiteral("%1 字节").arg(size)
               : QLocale::c().formattedDataSize(size, 1, QLocale::DataSizeTraditionalFormat);
}

QString timeText(qint64 seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

// A page read: its title opens the address; the text the index keeps is a click away.
QString readHitHtml(const SearchHit &hit) {
    const QUrl address(hit.source);
    QUrl textPage = common::programPageUrl(QStringLiteral("readpage"));
    textPage.setQuery(QStringLiteral("u=") +
                      QString::fromLatin1(QUrl::toPercentEncoding(hit.source)));
    const QString title = hit.title.isEmpty() ? hit.source : hit.title;
    return QStringLiteral("<li><div class=\"t\">") +
           (common::isWebAddress(address) || address.isLocalFile() ? link(address, title)
                                                                   : escaped(title)) +
           QStringLiteral("</div><div class=\"m\">读过 · %1 · %2 · %3 · %4</div>")
               .arg(escaped(hit.source), escaped(timeText(hit.saved)), escaped(dataSize(hit.size)),
                    link(textPage, QStringLiteral("读过的文字"))) +
           QStringLiteral("<div class=\"s\">") + markedSnippet(hit.snippet) +
           QStringLiteral("</div></li>\n");
}

QString hitHtml(const SearchHit &hit) {
    if (hit.kind == QLatin1String(kReadKind))
        return readHitHtml(hit);
    const QFileInfo file(hit.path);
    QString html = QStringLiteral("<li><div class=\"t\">") +
                   link(QUrl::fromLocalFile(hit.path), hit.title) + QStringLiteral("</div>");
    const QString kind = hit.kind == u"txt"       ? QStringLiteral("文本")
                         : hit.kind == u"epub"    ? QStringLiteral("书")
                         : hit.kind == u"pdf"     ? QStringLiteral("PDF")
                         : hit.kind == u"chapter" ? QStringLiteral("章节")
                                                  : QStringLiteral("网页");
    html +=
        QStringLiteral("<div class=\"m\">%1 · %2 · %3 (%4) · %5 · %6")
            .arg(escaped(kind), escaped(file.fileName()),
                 escaped(QDir::toNativeSeparators(file.path())),
                 link(QUrl::fromLocalFile(file.path() + u'/'), QStringLiteral("打开所在文件夹")),
                 escaped(timeText(hit.saved)), escaped(dataSize(hit.size)));
    if (!hit.source.isEmpty())
        html += QStringLiteral(" · 来自 ") + sourceHtml(hit.source);
    html += QStringLiteral("</div><div class=\"s\">") + markedSnippet(hit.snippet) +
            QStringLiteral("</div></li>\n");
    return html;
}

} // namespace

ResultsRequest resultsRequest(const QUrl &address) {
    const QUrlQuery query(address);
    ResultsRequest request;
    QString words = query.queryItemValue(QStringLiteral("q"), QUrl::FullyEncoded);
    request.query = QUrl::fromPercentEncoding(words.replace(u'+', u' ').toUtf8());
    bool ok = false;
    const int start = query.queryItemValue(QStringLiteral("start")).toInt(&ok);
    if (ok && start > 0)
        request.start = start - start % kHitsPerPage;
    const QString scope = query.queryItemValue(QStringLiteral("in"));
    for (int i = 0; i < 3; ++i) {
        if (scope == QLatin1String(kScopeItems[i]))
            request.scope = SearchFilters::Scope(i);
    }
    return request;
}

namespace {

QRegularExpression filterPattern(const QString &name) {
    return QRegularExpression(QStringLiteral("(^|\\s)%1:(\"[^\"]*\"|\\S*)").arg(name));
}

// `query` with its filter `name` set to `value` (taken out when `value` is empty).
QString withFilter(const QString &query, const QString &name, const QString &value) {
    QString changed = query;
    changed.remove(filterPattern(name));
    changed = changed.simplified();
    return value.isEmpty() ? changed : changed + u' ' + name + u':' + value;
}

// The links that narrow the search down or order it, each a query of its own.
QString filterLinks(const QUrl &page, const QString &query,
                    std::optional<SearchFilters::Scope> scope) {
    const struct {
        const char *label, *name, *value;
    } choices[] = {
        {"时间：", nullptr, nullptr},
        {"不限", "date", ""},
        {"今天", "date", "今天"},
        {"最近一周", "date", "最近一周"},
        {"最近一个月", "date", "最近一个月"},
        {"今年", "date", "今年"},
        {" · 类型：", nullptr, nullptr},
        {"全部", "kind", ""},
        {"网页", "kind", "htm"},
        {"文本", "kind", "txt"},
        {"章节", "kind", "chapter"},
        {"书", "kind", "epub"},
        {"PDF", "kind", "pdf"},
        {" · 顺序：", nullptr, nullptr},
        {"最相关的在前", "sort", ""},
        {"最新的在前", "sort", "date"},
    };
    const SearchFilters inForce = splitFilters(query).filters;
    QString html = QStringLiteral("<p class=\"m\">");
    for (const auto &choice : choices) {
        const QString label = QString::fromUtf8(choice.label);
        if (!choice.name) {
            html += escaped(label);
            continue;
        }
        // The choice in force is the one that would not change what the query asks for
        // (kind:章节 is kind:chapter, however many filters there are and in what order).
        const QString changed =
            withFilter(query, QLatin1String(choice.name), QString::fromUtf8(choice.value));
        html += (splitFilters(changed).filters == inForce
                     ? QStringLiteral("<b>%1</b>").arg(escaped(label))
                     : link(resultsAddress(page, {changed, 0, scope}), label)) +
                u' ';
    }
    return html + QStringLiteral("</p>\n");
}

// The switch between saved files, pages read and both.
QString scopeLinks(const QUrl &page, const ResultsRequest &request) {
    const SearchFilters::Scope inForce = request.scope.value_or(SearchFilters::Scope::Saved);
    const struct {
        const char *label;
        SearchFilters::Scope scope;
    } choices[] = {{"已保存", SearchFilters::Scope::Saved},
                   {"读过", SearchFilters::Scope::Read},
                   {"全部", SearchFilters::Scope::All}};
    QString html = QStringLiteral("<p class=\"m\">");
    for (const auto &choice : choices) {
        const QString label = QString::fromUtf8(choice.label);
        html += (choice.scope == inForce
                     ? QStringLiteral("<b>%1</b>").arg(escaped(label))
                     : link(resultsAddress(page, {request.query, 0, choice.scope}), label)) +
                u' ';
    }
    return html + QStringLiteral("</p>\n");
}

// The line that tells what the index holds, with the button that scans again.
QString statusHtml(const QUrl &action, const QString &query, const IndexStatus &status) {
    const QLocale numbers(QLocale::Chinese, QLocale::China);
    QString line;
    if (status.scanning) {
        line = status.toScan > 0
                   ? QStringLiteral("正在建立索引 %1/%2")
                         .arg(numbers.toString(status.scanned), numbers.toString(status.toScan))
                   : QStringLiteral("正在建立索引，正在清点文件…");
    } else if (status.documents >= 0) {
        line = QStringLiteral("索引里有 %1 个文件")
                   .arg(numbers.toString(status.documents - status.readPages));
        if (status.readPages > 0)
            line += QStringLiteral("和 %1 个读过的网页").arg(numbers.toString(status.readPages));
        line += status.lastScanEnded > 0
                    ? QStringLiteral("，上次扫描完成于 %1")
                          .arg(QDateTime::fromSecsSinceEpoch(status.lastScanEnded)
                                   .toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                    : QStringLiteral("，还没有扫描完保存文件夹");
    } else {
        line = QStringLiteral("正在打开索引…");
    }
    return QStringLiteral("<form class=\"m\" method=\"get\" action=\"%1\">%2 "
                          "<input type=\"hidden\" name=\"q\" value=\"%3\">"
                          "<input type=\"hidden\" name=\"%4\" value=\"1\">"
                          "<input type=\"submit\" value=\"重新扫描\"></form>\n")
        .arg(escaped(action.toString(QUrl::FullyEncoded)), escaped(line), escaped(query),
             QLatin1String(kRescanItem));
}

} // namespace

QUrl resultsAddress(const QUrl &page, const ResultsRequest &request) {
    QUrl url = page;
    QString query =
        QStringLiteral("q=") + QString::fromLatin1(QUrl::toPercentEncoding(request.query));
    if (request.start > 0)
        query += QStringLiteral("&start=") + QString::number(request.start);
    if (request.scope)
        query += QStringLiteral("&in=") + QLatin1String(kScopeItems[int(*request.scope)]);
    url.setQuery(query);
    return url;
}

QString resultsPageHtml(const QUrl &page, const ResultsRequest &request,
                        const SearchResults &results, const IndexStatus *status) {
    QUrl action = page;
    action.setQuery(QString());
    QString html =
        QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n"
                       "<meta http-equiv=\"Content-Security-Policy\" content=\"%1\">\n"
                       "<meta name=\"color-scheme\" content=\"light dark\">\n"
                       "<title>搜索已保存的网页</title>\n<style>")
            .arg(scriptPolicy()) +
        QStringLiteral("body{font-family:sans-serif;margin:1em 2em}li{margin-bottom:1em}"
                       ".m{color:#060;font-size:small}.s{color:#333}mark{background:#ff6}"
                       "@media(prefers-color-scheme:dark){body{background:#1f2023;color:#ddd}"
                       "a{color:#8ab4f8}a:visited{color:#c58af9}.m{color:#8c8}.s{color:#bbb}"
                       "mark{background:#665c00;color:#fff}}"
                       "</style></head><body>\n");
    html +=
        QStringLiteral("<form method=\"get\" action=\"%1\"><input id=\"q\" name=\"q\" size=\"50\" "
                       "value=\"%2\" autofocus> <input type=\"submit\" value=\"搜索\">"
                       "</form>\n")
            .arg(escaped(action.toString(QUrl::FullyEncoded)), escaped(request.query));
    if (status)
        html += statusHtml(action, request.query, *status);
    html += scopeLinks(page, request);
    if (!request.query.trimmed().isEmpty())
        html += filterLinks(page, request.query, request.scope);
    else
        html += QStringLiteral(
            "<p class=\"s\">词* 找以它开头的词，\"词组\" 找整个词组，-词 排除；也可以写 "
            "date:2026-01-01..2026-06-30（或 date:今天、date:最近一周）、site:example.cn、"
            "dir:新闻（保存文件夹里的文件夹）、kind:htm、kind:txt、kind:chapter（章节）、"
            "kind:epub（书）或 kind:pdf、sort:date（最新的在前）。</p>\n");
    if (!results.notice.isEmpty())
        html += QStringLiteral("<p class=\"s\">%1</p>\n").arg(escaped(results.notice));
    if (!results.ok && !results.error.isEmpty()) {
        html += QStringLiteral("<p>无法搜索：%1</p>\n").arg(escaped(results.error));
    } else if (!request.query.trimmed().isEmpty() && results.hits.isEmpty()) {
        html += QStringLiteral("<p>没有找到含“%1”的网页或文本。</p>\n").arg(escaped(request.query));
    } else if (!results.hits.isEmpty()) {
        html += QStringLiteral("<p>约 %1 个结果，第 %2–%3 个：</p>\n<ol start=\"%2\">\n")
                    .arg(results.estimated)
                    .arg(request.start + 1)
                    .arg(request.start + int(results.hits.size()));
        for (const SearchHit &hit : results.hits)
            html += hitHtml(hit);
        html += QStringLiteral("</ol>\n<p>");
        if (request.start > 0)
            html += link(resultsAddress(
                             page, {request.query, request.start - kHitsPerPage, request.scope}),
                         QStringLiteral("上一页")) +
                    u' ';
        if (request.start + int(results.hits.size()) < results.estimated &&
            results.hits.size() == kHitsPerPage)
            html += link(
                resultsAddress(page, {request.query, request.start + kHitsPerPage, request.scope}),
                QStringLiteral("下一页"));
        html += QStringLiteral("</p>\n");
    }
    html += QStringLiteral("<script>") + QLatin1String(kTypingScript) +
            QStringLiteral("</script>\n</body></html>\n");
    return html;
}

QString readPageHtml(const ReadPage &page) {
    if (page.address.isEmpty())
        return QString();
    // The text as lines, without the indents and runs of blank lines the markup left.
    QStringList lines;
    for (const QString &line : page.text.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() || (!lines.isEmpty() && !lines.constLast().isEmpty()))
            lines.append(trimmed);
    }
    const QUrl address(page.address);
    const QString title = page.title.isEmpty() ? page.address : page.title;
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n"
                          "<meta http-equiv=\"Content-Security-Policy\" content=\"script-src "
                          "'none'; object-src 'none'\">\n"
                          "<meta name=\"color-scheme\" content=\"light dark\">\n"
                          "<title>读过的文字：%1</title>\n<style>body{font-family:sans-serif;"
                          "margin:1em 2em}.m{color:#060;font-size:small}pre{white-space:pre-wrap;"
                          "font-family:inherit}</style></head><body>\n<h3>%2</h3>\n"
                          "<p class=\"m\">读于 %3 · %4</p>\n<pre>%5</pre>\n</body></html>\n")
        .arg(escaped(title),
             common::isWebAddress(address) || address.isLocalFile() ? link(address, title)
                                                                    : escaped(title),
             escaped(timeText(page.time)), sourceHtml(page.address),
             escaped(lines.join(u'\n').trimmed()));
}

} // namespace fulltext
