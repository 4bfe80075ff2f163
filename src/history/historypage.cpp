#include "historypage.h"

#include "common/urlrules.h"

#include <QLocale>
#include <QUrlQuery>

namespace history {

namespace {

QString escaped(const QString &text) {
    return text.toHtmlEscaped();
}

QString encoded(const QUrl &url) {
    return escaped(url.toString(QUrl::FullyEncoded));
}

// The page's address with `items` as its query, each value percent-encoded.
QUrl pageAddress(const QUrl &page, const QList<std::pair<QString, QString>> &items) {
    QUrl url = page;
    QStringList parts;
    for (const auto &[name, value] : items) {
        if (!value.isEmpty())
            parts.append(name + u'=' + QString::fromLatin1(QUrl::toPercentEncoding(value)));
    }
    url.setQuery(parts.join(u'&'));
    return url;
}

QString head(const QString &title) {
    return QStringLiteral(
               "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n"
               "<meta http-equiv=\"Content-Security-Policy\" content=\"script-src 'none'; "
               "object-src 'none'\">\n<meta name=\"color-scheme\" content=\"light dark\">\n"
               "<title>%1</title>\n<style>body{font-family:sans-serif;margin:1em 2em}"
               "ul{list-style:none;padding:0}li{margin:.3em 0}.t{color:#666;margin-right:1em}"
               ".h{color:#060;font-size:small;margin-left:1em}.x{font-size:small;margin-left:1em;"
               "color:#888}h2{font-size:medium;margin-top:1.5em;border-bottom:1px solid #ccc}"
               "@media(prefers-color-scheme:dark){body{background:#1f2023;color:#ddd}"
               "a{color:#8ab4f8}.h{color:#8c8}}</style></head><body>\n")
        .arg(escaped(title));
}

QString actionText(const HistoryRequest &request) {
    switch (request.action) {
    case HistoryRequest::Action::DeleteSite:
        return QStringLiteral("删除网站 %1 的全部历史记录").arg(request.target);
    case HistoryRequest::Action::ClearHour:
        return QStringLiteral("清除最近一小时的历史记录");
    case HistoryRequest::Action::ClearToday:
        return QStringLiteral("清除今天的历史记录");
    case HistoryRequest::Action::ClearAll:
        return QStringLiteral("清除全部历史记录");
    default:
        return QString();
    }
}

QString visitHtml(const QUrl &page, const HistoryRequest &request, const Visit &visit) {
    const QUrl address(visit.address);
    const QString title = visit.title.isEmpty() ? visit.address : visit.title;
    const bool linked = common::isWebAddress(address) || address.isLocalFile();
    QString html =
        QStringLiteral("<li><span class=\"t\">%1</span>")
            .arg(QDateTime::fromMSecsSinceEpoch(visit.time).toString(QStringLiteral("HH:mm")));
    html += linked ? QStringLiteral("<a href=\"%1\" title=\"%2\">%3</a>")
                         .arg(encoded(address), escaped(visit.address), escaped(title))
                   : escaped(title);
    const QString host = hostOf(visit.address);
    if (!host.isEmpty())
        html += QStringLiteral("<span class=\"h\">%1</span>").arg(escaped(host));
    html += QStringLiteral("<a class=\"x\" href=\"%1\">删除</a>")
                .arg(encoded(
                    pageAddress(page, {{QStringLiteral("q"), request.words},
                                       {QStringLiteral("delete"), QString::number(visit.id)}})));
    if (!host.isEmpty())
        html += QStringLiteral("<a class=\"x\" href=\"%1\">删除这个网站的记录</a>")
                    .arg(encoded(pageAddress(page, {{QStringLiteral("q"), request.words},
                                                    {QStringLiteral("site"), host}})));
    return html + QStringLiteral("</li>\n");
}

} // namespace

HistoryRequest historyRequest(const QUrl &address) {
    const QUrlQuery query(address);
    const auto item = [&query](const char *name) {
        QString value = query.queryItemValue(QLatin1String(name), QUrl::FullyEncoded);
        return QUrl::fromPercentEncoding(value.replace(u'+', u' ').toUtf8());
    };
    HistoryRequest request;
    request.words = item("q").simplified();
    request.before = qMax(0LL, item("before").toLongLong());
    request.confirmed = item("confirm") == u"1";
    bool ok = false;
    const int done = item("done").toInt(&ok);
    if (ok && done >= 0)
        request.removed = done;
    const QString clear = item("clear");
    if (!item("delete").isEmpty()) {
        request.target = item("delete");
        request.target.toLongLong(&ok);
        if (ok)
            request.action = HistoryRequest::Action::DeleteVisit;
    } else if (!item("site").isEmpty()) {
        request.action = HistoryRequest::Action::DeleteSite;
        request.target = item("site").toLower();
    } else if (clear == u"hour") {
        request.action = HistoryRequest::Action::ClearHour;
    } else if (clear == u"today") {
        request.action = HistoryRequest::Action::ClearToday;
    } else if (clear == u"all") {
        request.action = HistoryRequest::Action::ClearAll;
    }
    return request;
}

bool needsConfirmation(const HistoryRequest &request) {
    return request.action != HistoryRequest::Action::None &&
           request.action != HistoryRequest::Action::DeleteVisit;
}

qint64 clearFrom(HistoryRequest::Action action, const QDateTime &now) {
    switch (action) {
    case HistoryRequest::Action::ClearHour:
        return now.addSecs(-3600).toMSecsSinceEpoch();
    case HistoryRequest::Action::ClearToday:
        return QDateTime(now.date(), QTime(0, 0)).toMSecsSinceEpoch();
    default:
        return 0;
    }
}

QString historyPageHtml(const QUrl &page, const HistoryRequest &request, const QList<Visit> &visits,
                        const QDateTime &now) {
    QUrl action = page;
    action.setQuery(QString());
    QString html = head(QStringLiteral("历史记录"));
    html += QStringLiteral("<form method=\"get\" action=\"%1\"><input name=\"q\" size=\"50\" "
                           "value=\"%2\" placeholder=\"网址或标题里的字\" autofocus> "
                           "<input type=\"submit\" value=\"搜索历史记录\"></form>\n")
                .arg(encoded(action), escaped(request.words));
    html += QStringLiteral("<p class=\"x\">清除：");
    for (const auto &[clear, label] : {std::pair{"hour", "最近一小时"}, std::pair{"today", "今天"},
                                       std::pair{"all", "全部历史记录"}})
        html +=
            QStringLiteral("<a href=\"%1\">%2</a> ")
                .arg(encoded(pageAddress(page, {{QStringLiteral("clear"), QLatin1String(clear)}})),
                     QString::fromUtf8(label));
    html += QStringLiteral("</p>\n");
    if (request.removed >= 0)
        html += QStringLiteral("<p>已删除 %1 条历史记录。</p>\n").arg(request.removed);
    if (visits.isEmpty()) {
        html += request.words.isEmpty() ? QStringLiteral("<p>没有历史记录。</p>\n")
                                        : QStringLiteral("<p>历史记录里没有含“%1”的网页。</p>\n")
                                              .arg(escaped(request.words));
    }
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QDate day;
    const qsizetype shown = qMin(visits.size(), qsizetype(kVisitsPerPage));
    for (qsizetype i = 0; i < shown; ++i) {
        const Visit &visit = visits.at(i);
        const QDate date = QDateTime::fromMSecsSinceEpoch(visit.time).date();
        if (date != day) {
            if (day.isValid())
                html += QStringLiteral("</ul>\n");
            day = date;
            QString heading = chinese.toString(date, QStringLiteral("yyyy年M月d日 dddd"));
            if (date == now.date())
                heading += QStringLiteral("（今天）");
            else if (date == now.date().addDays(-1))
                heading += QStringLiteral("（昨天）");
            html += QStringLiteral("<h2>%1</h2>\n<ul>\n").arg(escaped(heading));
        }
        html += visitHtml(page, request, visit);
    }
    if (day.isValid())
        html += QStringLiteral("</ul>\n");
    if (visits.size() > kVisitsPerPage)
        html +=
            QStringLiteral("<p><a href=\"%1\">更早的记录</a></p>\n")
                .arg(encoded(pageAddress(page, {{QStringLiteral("q"), request.words},
                                                {QStringLiteral("before"),
                                                 QString::number(visits.at(shown - 1).time)}})));
    return html + QStringLiteral("</body></html>\n");
}

QString confirmationHtml(const QUrl &page, const HistoryRequest &request) {
    QUrl action = page;
    action.setQuery(QString());
    QString hidden;
    const QUrlQuery query(page);
    for (const auto &[name, value] : query.queryItems(QUrl::FullyDecoded))
        hidden += QStringLiteral("<input type=\"hidden\" name=\"%1\" value=\"%2\">")
                      .arg(escaped(name), escaped(value));
    return head(QStringLiteral("历史记录")) +
           QStringLiteral("<p>确定要%1吗？删除的记录不能恢复。</p>\n"
                          "<form method=\"get\" action=\"%2\">%3"
                          "<input type=\"hidden\" name=\"confirm\" value=\"1\">"
                          "<input type=\"submit\" value=\"删除\"> <a href=\"%4\">取消</a>"
                          "</form>\n</body></html>\n")
               .arg(escaped(actionText(request)), encoded(action), hidden,
                    encoded(pageAddress(page, {{QStringLiteral("q"), request.words}})));
}

QString afterDeletionHtml(const QUrl &page, const HistoryRequest &request, int removed) {
    if (removed < 0)
        return head(QStringLiteral("历史记录")) +
               QStringLiteral("<p>历史记录无法删除，请稍后再试。<a href=\"%1\">历史记录</a></p>\n"
                              "</body></html>\n")
                   .arg(encoded(pageAddress(page, {{QStringLiteral("q"), request.words}})));
    const QUrl next = pageAddress(page, {{QStringLiteral("q"), request.words},
                                         {QStringLiteral("done"), QString::number(removed)}});
    return head(QStringLiteral("历史记录")) +
           QStringLiteral("<meta http-equiv=\"refresh\" content=\"0; url=%1\">"
                          "<p>已删除。<a href=\"%1\">历史记录</a></p>\n</body></html>\n")
               .arg(encoded(next));
}

} // namespace history
