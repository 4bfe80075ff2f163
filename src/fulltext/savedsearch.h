#pragma once

#include "savedindex.h"
#include "searchfilters.h"

#include <QList>
#include <QString>

namespace Xapian {
class Database;
}

namespace fulltext {

// One saved file found by a search.
struct SearchHit {
    QString path;
    QString title;
    QString kind;     // "htm", "txt", "epub" or "pdf"
    QString source;   // the address it was saved from; empty when unknown
    qint64 saved = 0; // seconds since 1970
    // A piece of the text around the words found, as plain text (not HTML), each whole word
    // asked for between kMarkStart and kMarkEnd.
    QString snippet;
    qint64 size = 0; // of the file, in bytes, when it was indexed
};

inline constexpr QChar kMarkStart = QChar(0xE000);
inline constexpr QChar kMarkEnd = QChar(0xE001);

// Queries are cut off here: a longer one took half a minute to parse, and no one types it.
inline constexpr qsizetype kMaxQueryChars = 1000;

struct SearchResults {
    bool ok = false;
    QString error;
    QList<SearchHit> hits;      // best first
    int estimated = 0;          // about how many documents match in all
    bool damaged = false;       // the index could not be read as one: it is checked, made anew
    QString notice = QString(); // what the user should know (a prefix cut short)
};

// A word ending in "*" finds every word it begins (bookmark* finds bookmarks), up to this
// many of them, the most frequent first; SearchResults::notice says when there were more.
inline constexpr int kMaxPrefixWords = 200;

// Searches the index with what a user types: words must all be found (Chinese without a
// dictionary, as overlapping pairs of characters; English stemmed), word* every word it
// begins (kMaxPrefixWords at most), "..." finds a phrase,
// -word leaves out documents holding it, OR/AND/NOT work in capitals, title:word looks in
// titles only. Documents holding the words as typed, side by side, come first, then those
// whose title holds them. `offset` and `limit` choose the page of hits. A query longer than
// kMaxQueryChars is refused with a message.
// Example: searchIndex(db, "天气 预报", 0, 20).
// Filters in the query (see searchfilters.h: date:, site:, dir:, kind:, sort:date) narrow the
// hits down and order them; `extra` adds more (lumaro-cli's options).
SearchResults searchIndex(const Xapian::Database &db, const QString &query, int offset, int limit,
                          const SearchFilters &extra = {});

// The same on the index in `folder`, opened for reading.
SearchResults searchIndexFolder(const QString &folder, const QString &query, int offset, int limit,
                                const SearchFilters &extra = {});

// The page read at `address` as the index in `folder` keeps it; an empty address when the index
// holds no such page (or cannot be read).
ReadPage readPageInIndex(const QString &folder, const QString &address);

// Keeps the marks of a snippet only on whole words of the query: Chinese is found a
// character pair at a time, so for "编号" Xapian also marks the 号 of 引号.
// Example: "[编号]与引[号]" for words {编号} gives "[编号]与引号".
QString markWholeWords(const QString &snippet, const QStringList &words);

} // namespace fulltext
