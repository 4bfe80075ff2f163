#include "searchfilters.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace fulltext {

namespace {

QDate readDate(const QString &text) {
    return QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
}

QDateTime startOf(const QDate &day) {
    return day.startOfDay();
}

QDateTime endOf(const QDate &day) {
    return day.endOfDay();
}

// A date filter's value; false when it cannot be read.
bool readDateFilter(const QString &value, const QDate &today, SearchFilters *filters) {
    if (value == u"今天") {
        filters->since = startOf(today);
        filters->until = endOf(today);
        return true;
    }
    if (value == u"最近一周" || value == u"最近一个月") {
        filters->since = startOf(value.size() == 4 ? today.addDays(-6) : today.addMonths(-1));
        filters->until = endOf(today);
        return true;
    }
    if (value == u"今年") {
        filters->since = startOf(QDate(today.year(), 1, 1));
        filters->until = endOf(today);
        return true;
    }
    const qsizetype dots = value.indexOf(QLatin1StringView(".."));
    const QString from = dots < 0 ? value : value.left(dots);
    const QString to = dots < 0 ? value : value.mid(dots + 2);
    if (from.isEmpty() && to.isEmpty())
        return false;
    if (!from.isEmpty()) {
        const QDate day = readDate(from);
        if (!day.isValid())
            return false;
        filters->since = startOf(day);
    }
    if (!to.isEmpty()) {
        const QDate day = readDate(to);
        if (!day.isValid())
            return false;
        filters->until = endOf(day);
    }
    return true;
}

QString cleanFolder(const QString &path) {
    QString clean = QDir::cleanPath(path);
    while (clean.size() > 1 && clean.endsWith(u'/'))
        clean.chop(1);
    return clean;
}

} // namespace

FilteredQuery splitFilters(const QString &query, const QDate &today) {
    static const QRegularExpression filter(
        QStringLiteral("(?:^|(?<=\\s))(date|site|dir|kind|sort):(\"[^\"]*\"|\\S*)"),
        QRegularExpression::CaseInsensitiveOption);
    FilteredQuery out;
    qsizetype done = 0;
    for (auto it = filter.globalMatch(query); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        out.words += QStringView(query).sliced(done, match.capturedStart() - done);
        done = match.capturedEnd();
        const QString name = match.captured(1).toLower();
        QString value = match.captured(2);
        if (value.startsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        value = value.trimmed();
        SearchFilters &f = out.filters;
        bool read = !value.isEmpty();
        if (name == u"date") {
            read = read && readDateFilter(value, today, &f);
        } else if (name == u"site") {
            const QString host = QUrl::fromUserInput(value).host().toLower();
            read = read && !host.isEmpty();
            if (read)
                f.sites.append(host);
        } else if (name == u"dir") {
            f.dirs.append(value.contains(u'/') ? cleanFolder(value) : value.toLower());
        } else if (name == u"kind") {
            const QString kind = value.toLower();
            if (kind == u"htm" || kind == u"html" || kind == u"网页")
                f.kinds.append(QStringLiteral("htm"));
            else if (kind == u"txt" || kind == u"文本")
                f.kinds.append(QStringLiteral("txt"));
            else if (kind == u"epub" || kind == u"书")
                f.kinds.append(QStringLiteral("epub"));
            else if (kind == u"pdf")
                f.kinds.append(QStringLiteral("pdf"));
            else if (kind == u"chapter" || kind == u"章节")
                f.kinds.append(QStringLiteral("chapter"));
            else if (kind == u"read" || kind == u"读过")
                f.kinds.append(QStringLiteral("read"));
            else
                read = false;
        } else if (name == u"sort") {
            const QString order = value.toLower();
            read = order == u"date" || order == u"relevance" || order == u"时间";
            f.newestFirst = order != u"relevance";
        }
        if (!read && out.error.isEmpty())
            out.error =
                QStringLiteral(
                    "看不懂“%1”：日期写成 date:2026-01-01..2026-06-30，"
                    "类型写成 kind:htm、txt、chapter、epub、pdf 或 read，顺序写成 sort:date")
                    .arg(match.captured(0));
    }
    out.words += QStringView(query).sliced(done);
    out.words = out.words.simplified();
    return out;
}

bool readDateRange(const QString &since, const QString &until, SearchFilters *filters,
                   QString *error) {
    if (since.isEmpty() && until.isEmpty())
        return true;
    if (readDateFilter(since + QStringLiteral("..") + until, QDate::currentDate(), filters))
        return true;
    *error = QStringLiteral("日期要写成 YYYY-MM-DD：%1").arg(since.isEmpty() ? until : since);
    return false;
}

QStringList filterTerms(const QString &path, const QString &sourceAddress) {
    QStringList terms;
    const QString host = QUrl(sourceAddress).host().toLower();
    if (!host.isEmpty()) {
        QStringList labels = host.split(u'.');
        // The host and each parent domain but the last label alone ("cn").
        for (qsizetype i = 0; i < labels.size() - 1 || i == 0; ++i)
            terms.append(u'H' + labels.mid(i).join(u'.'));
    }
    if (path.isEmpty())
        return terms;
    QString folder = cleanFolder(QFileInfo(path).absolutePath());
    while (folder.size() > 1) {
        terms.append(u'P' + folder);
        const QString name = folder.section(u'/', -1).toLower();
        if (!name.isEmpty())
            terms.append(u'D' + name);
        folder = cleanFolder(folder.section(u'/', 0, -2));
        if (folder.isEmpty())
            break;
    }
    return terms;
}

} // namespace fulltext
