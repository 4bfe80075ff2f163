#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

// What narrows a search of the saved files down: when they were saved, where they came from,
// which folder holds them and what kind they are, and the order of the hits. Written in the
// query itself ("date:2026-01-01..2026-06-30 site:example.cn dir:新闻 kind:txt sort:date") or
// given by lumaro-cli's options.
namespace fulltext {

struct SearchFilters {
    QDateTime since;   // invalid: no lower bound
    QDateTime until;   // invalid: no upper bound (inclusive)
    QStringList sites; // hosts; a host finds its subdomains too
    QStringList dirs;  // folder names (lower case), or absolute folder paths
    QStringList kinds; // "htm", "txt", "chapter", "epub", "pdf"; "read" for pages read
    // Saved files, pages read, or both (the results page's switch, lumaro-cli's --kind).
    enum class Scope { All, Saved, Read };
    Scope scope = Scope::All;
    bool newestFirst = false;
    bool any() const {
        return since.isValid() || until.isValid() || !sites.isEmpty() || !dirs.isEmpty() ||
               !kinds.isEmpty() || scope != Scope::All;
    }
    friend bool operator==(const SearchFilters &, const SearchFilters &) = default;
};

struct FilteredQuery {
    QString words; // the query without its filters
    SearchFilters filters;
    QString error; // a filter that cannot be read, said in Chinese
};

// Takes the filters out of `query`. Dates are local days, both ends included:
// date:2026-01-01..2026-06-30, date:2026-01-01.., date:..2026-06-30, date:2026-03-08, and the
// words 今天, 最近一周, 最近一个月, 今年 counted from `today`. kind: takes htm/html/网页,
// txt/文本, chapter/章节, epub/书, pdf and read/读过. Values may be quoted: dir:"我的 文件夹".
FilteredQuery splitFilters(const QString &query, const QDate &today = QDate::currentDate());

// A date range from lumaro-cli's --since and --until (YYYY-MM-DD, either empty); false with
// `error` set when one cannot be read.
bool readDateRange(const QString &since, const QString &until, SearchFilters *filters,
                   QString *error);

// The index's boolean terms for a saved file: "H" + its source's host and each parent domain,
// "D" + each folder name in its path (lower case), "P" + each folder path.
QStringList filterTerms(const QString &path, const QString &sourceAddress);

} // namespace fulltext
