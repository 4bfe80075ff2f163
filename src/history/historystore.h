#pragma once

#include "addresscompletion.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <memory>

namespace history {

// One visit of a page: when, and the page's address and title (the latest known).
struct Visit {
    qint64 id = 0; // the visit's own number (0 for a page listed by its last visit)
    QString address;
    QString title;
    qint64 time = 0; // milliseconds since 1970
};

// What went wrong with the database, as far as the program acts on it.
struct HistoryFault {
    enum Kind {
        None,
        Damaged, // not a database, or one that fails its check: moved aside, made anew
        NoSpace, // the disk is full: nothing is lost, the write is tried again later
        Failed,  // anything else (rights, a lock held too long): tried again later
    };
    Kind kind = None;
    QString message; // SQLite's own words
    explicit operator bool() const { return kind != None; }
};

// The history database: every page visited (address, title, host, how many visits, the last)
// and every visit with its time. SQLite in WAL mode, each change its own transaction, so a kill
// at any moment loses at most the change under way. Used from one thread only.
class HistoryStore {
public:
    // Opens (creates) the database at `path`. One that cannot be read as a database, or fails
    // SQLite's quick check, is moved aside to "<name>.broken-<time>" (said in `movedAside`) and
    // made anew. Null with `error` set when it cannot be opened at all.
    static std::unique_ptr<HistoryStore> open(const QString &path, QString *error,
                                              QString *movedAside = nullptr);
    ~HistoryStore();

    // A visit of `address` at `time` (ms since 1970); an empty title keeps the one known.
    bool recordVisit(const QString &address, const QString &title, qint64 time);
    // The page's title came after its visit was recorded.
    bool setTitle(const QString &address, const QString &title);

    // Visits before `before` (ms; 0: now), newest first, at most `limit`; with `words`, only
    // those whose address or title holds every word (any letter case for Latin letters).
    QList<Visit> visits(const QString &words, qint64 before, int limit);
    // Pages by their last visit, newest first (one line each for lumaro-cli).
    QList<Visit> pages(int limit);
    int visitCount();

    // Each gives how many visits went, or -1 on a fault. Pages left without visits go too.
    int removeVisit(qint64 id);
    int removeSite(const QString &host); // the host and its subdomains
    int removeSince(qint64 time);
    int removeAll();
    int removePage(const QString &address); // every visit of the address

    // Pages whose address or title holds every word of `typed` (any letter case for Latin
    // letters), the most visited lately first (history::frecency at `now`), at most `limit`.
    QList<Completion> suggest(const QString &typed, qint64 now, int limit);

    // Visits brought from another browser; those already here (the same address at the same
    // millisecond) are not added twice. One transaction: all are added or none. Gives how many
    // were added, -1 on a fault.
    int importVisits(const QList<Visit> &visits);

    // The first error met since the store was opened; None while all went well.
    const HistoryFault &fault() const { return m_fault; }

    // For tests: the database may grow to this many pages of 4 KB and no further (SQLite then
    // answers as a full disk would).
    void limitPages(int pages);

private:
    explicit HistoryStore(const QString &connection);
    bool exec(const QString &statement);
    // Prepares `sql`, binds `values` and runs it; false (the error noted) when it fails.
    bool run(class QSqlQuery &query, const QString &sql, const QVariantList &values);
    bool noteError(const class QSqlError &error);
    int removeVisitsWhere(const QString &condition, const QVariantList &values);

    QString m_connection;
    QSqlDatabase m_db;
    HistoryFault m_fault;
};

// The host of an address as history keeps it (lower case, no "www." dropped): "" for a file.
QString hostOf(const QString &address);

} // namespace history
