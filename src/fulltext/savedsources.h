#pragma once

#include <QHash>
#include <QString>

namespace fulltext {

// Where a saved file came from, as seen.txt (links::SeenRecord) recorded it.
struct SavedSource {
    QString address; // the page's address; untrusted text from a data file
    qint64 time = 0; // seconds since 1970 when it was saved
};

// The "S" records of a seen.txt, keyed by the clean absolute path of the saved file
// (savedSourceKey): the last record of a file wins. Lines that do not read as a record are
// skipped; a missing file gives an empty table.
// Example: "S\t1700000000\thttp://a.cn/\t/home/u/save\tx.htm" gives
// {"/home/u/save/x.htm": {"http://a.cn/", 1700000000}}.
QHash<QString, SavedSource> readSavedSources(const QString &seenPath);

// The key a saved file is looked up by in that table.
QString savedSourceKey(const QString &path);

} // namespace fulltext
