#include "historystore.h"

#include "common/fileerror.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <limits>

namespace history {

namespace {

// SQLite's primary result codes the store acts on.
constexpr int kSqliteIoErr = 10;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteFull = 13;
constexpr int kSqliteNotADatabase = 26;

constexpr char kSchema[] =
    "CREATE TABLE IF NOT EXISTS pages("
    "  id INTEGER PRIMARY KEY, address TEXT NOT NULL UNIQUE, title TEXT NOT NULL DEFAULT '',"
    "  host TEXT NOT NULL DEFAULT '', visits INTEGER NOT NULL DEFAULT 0,"
    "  last_visit INTEGER NOT NULL DEFAULT 0);"
    "CREATE INDEX IF NOT EXISTS pages_host ON pages(host);"
    "CREATE INDEX IF NOT EXISTS pages_last ON pages(last_visit);"
    "CREATE TABLE IF NOT EXISTS visits("
    "  id INTEGER PRIMARY KEY, page INTEGER NOT NULL, time INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS visits_time ON visits(time);"
    "CREATE INDEX IF NOT EXISTS visits_page ON visits(page);";

int primaryCode(const QSqlError &error) {
    return error.nativeErrorCode().toInt() & 0xff;
}

QString newConnectionName() {
    static QAtomicInteger<int> counter;
    return QStringLiteral("lumaro-history-%1").arg(counter.fetchAndAddRelaxed(1));
}

// `text` made safe inside a LIKE pattern that escapes with '\'.
QString likeEscaped(QString text) {
    return text.replace(u'\\', QLatin1String("\\\\"))
        .replace(u'%', QLatin1String("\\%"))
        .replace(u'_', QLatin1String("\\_"));
}

// The rows of a query of (id, address, title, time).
QList<Visit> visitRows(QSqlQuery &query) {
    QList<Visit> rows;
    while (query.next())
        rows.append({query.value(0).toLongLong(), query.value(1).toString(),
                     query.value(2).toString(), query.value(3).toLongLong()});
    return rows;
}

// " AND ..." for every word found in the address or the title (columns of `table`, e.g. "p."),
// any letter case for Latin letters, LIKE's own signs taken as plain letters; the patterns
// are appended to `values`.
QString wordsCondition(const QStringList &words, const QString &table, QVariantList *values) {
    QString condition;
    for (const QString &word : words) {
        condition += QStringLiteral(" AND (%1address LIKE ? ESCAPE '\\' OR %1title LIKE ? ESCAPE "
                                    "'\\')")
                         .arg(table);
        const QString pattern = u'%' + likeEscaped(word) + u'%';
        *values << pattern << pattern;
    }
    return condition;
}

// A text for a column that holds no NULL: Qt binds a null string as NULL.
QString text(const QString &value) {
    return value.isNull() ? QStringLiteral("") : value;
}

// The file moved aside with its journal, which belongs to it: without them the new database
// starts clean.
QString moveAside(const QString &path) {
    const QString aside = common::moveAsideBroken(path);
    for (const char *suffix : {"-wal", "-shm"}) {
        if (!aside.isEmpty() && QFileInfo::exists(path + QLatin1String(suffix)))
            QFile::rename(path + QLatin1String(suffix), aside + QLatin1String(suffix));
    }
    return aside;
}

} // namespace

QString hostOf(const QString &address) {
    return QUrl(address).host().toLower();
}

HistoryStore::HistoryStore(const QString &connection)
    : m_connection(connection),
      m_db(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection)) {}

HistoryStore::~HistoryStore() {
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

std::unique_ptr<HistoryStore> HistoryStore::open(const QString &path, QString *error,
                                                 QString *movedAside) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::unique_ptr<HistoryStore> store(new HistoryStore(newConnectionName()));
        store->m_db.setDatabaseName(path);
        store->m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!store->m_db.open()) {
            *error = store->m_db.lastError().text();
            return nullptr;
        }
        QSqlQuery check(store->m_db);
        bool whole = check.exec(QStringLiteral("PRAGMA quick_check")) && check.next() &&
                     check.value(0).toString() == QLatin1String("ok");
        const int code = primaryCode(check.lastError());
        check.finish();
        if (!whole && code != kSqliteCorrupt && code != kSqliteNotADatabase &&
            check.lastError().isValid()) {
            *error = check.lastError().text(); // locked, unreadable: not a reason to move it
            return nullptr;
        }
        if (whole && store->exec(QStringLiteral("PRAGMA journal_mode=WAL")) &&
            store->exec(QStringLiteral("PRAGMA synchronous=NORMAL")) &&
            store->exec(QStringLiteral("PRAGMA secure_delete=ON"))) {
            bool made = store->m_db.transaction();
            for (const QString &statement : QString::fromLatin1(kSchema).split(u';')) {
                if (made && !statement.trimmed().isEmpty())
                    made = store->exec(statement);
            }
            if (made && store->m_db.commit())
                return store;
            *error = store->m_fault.message.isEmpty() ? store->m_db.lastError().text()
                                                      : store->m_fault.message;
            if (store->m_fault.kind != HistoryFault::Damaged)
                return nullptr;
        }
        store.reset();
        if (attempt > 0)
            break;
        const QString aside = moveAside(path);
        if (aside.isEmpty()) {
            *error = QStringLiteral("无法移开损坏的历史记录：") + path;
            return nullptr;
        }
        if (movedAside)
            *movedAside = aside;
    }
    if (error->isEmpty())
        *error = QStringLiteral("历史记录无法使用：") + path;
    return nullptr;
}

bool HistoryStore::noteError(const QSqlError &error) {
    if (m_fault)
        return false;
    const int code = primaryCode(error);
    HistoryFault::Kind kind = HistoryFault::Failed;
    if (code == kSqliteCorrupt || code == kSqliteNotADatabase)
        kind = HistoryFault::Damaged;
    else if (code == kSqliteFull ||
             (code == kSqliteIoErr && common::diskNearlyFull(m_db.databaseName())))
        kind = HistoryFault::NoSpace;
    m_fault = {kind, error.text()};
    return false;
}

bool HistoryStore::run(QSqlQuery &query, const QString &sql, const QVariantList &values) {
    query.prepare(sql);
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec() || noteError(query.lastError());
}

bool HistoryStore::exec(const QString &statement) {
    QSqlQuery query(m_db);
    return query.exec(statement) || noteError(query.lastError());
}

void HistoryStore::limitPages(int pages) {
    exec(QStringLiteral("PRAGMA max_page_count=%1").arg(pages));
}

bool HistoryStore::recordVisit(const QString &address, const QString &title, qint64 time) {
    if (m_fault)
        return false;
    if (!m_db.transaction())
        return noteError(m_db.lastError());
    QSqlQuery page(m_db);
    page.prepare(QStringLiteral(
        "INSERT INTO pages(address, title, host, visits, last_visit) VALUES(?, ?, ?, 1, ?) "
        "ON CONFLICT(address) DO UPDATE SET visits = visits + 1, "
        "last_visit = max(last_visit, excluded.last_visit), "
        "title = CASE WHEN excluded.title <> '' THEN excluded.title ELSE title END"));
    page.addBindValue(address);
    page.addBindValue(text(title));
    page.addBindValue(text(hostOf(address)));
    page.addBindValue(time);
    QSqlQuery visit(m_db);
    visit.prepare(QStringLiteral("INSERT INTO visits(page, time) "
                                 "SELECT id, ? FROM pages WHERE address = ?"));
    visit.addBindValue(time);
    visit.addBindValue(address);
    if (page.exec() && visit.exec() && m_db.commit())
        return true;
    const QSqlError error = page.lastError().isValid()    ? page.lastError()
                            : visit.lastError().isValid() ? visit.lastError()
                                                          : m_db.lastError();
    m_db.rollback();
    return noteError(error);
}

bool HistoryStore::setTitle(const QString &address, const QString &title) {
    if (m_fault || title.isEmpty())
        return false;
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("UPDATE pages SET title = ? WHERE address = ?"));
    query.addBindValue(title);
    query.addBindValue(address);
    return query.exec() || noteError(query.lastError());
}

QList<Visit> HistoryStore::visits(const QString &words, qint64 before, int limit) {
    QString sql = QStringLiteral("SELECT v.id, p.address, p.title, v.time FROM visits v "
                                 "JOIN pages p ON p.id = v.page WHERE v.time < ?");
    QVariantList values{before > 0 ? before : std::numeric_limits<qint64>::max()};
    sql += wordsCondition(words.split(u' ', Qt::SkipEmptyParts), QStringLiteral("p."), &values);
    sql += QStringLiteral(" ORDER BY v.time DESC, v.id DESC LIMIT ?");
    values << limit;
    QSqlQuery query(m_db);
    if (!run(query, sql, values))
        return {};
    return visitRows(query);
}

QList<Visit> HistoryStore::pages(int limit) {
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT 0, address, title, last_visit FROM pages "
                                 "ORDER BY last_visit DESC, id DESC LIMIT ?"));
    query.addBindValue(limit);
    if (!query.exec()) {
        noteError(query.lastError());
        return {};
    }
    return visitRows(query);
}

int HistoryStore::visitCount() {
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM visits")) || !query.next())
        return noteError(query.lastError()), 0;
    return query.value(0).toInt();
}

// Takes out the visits that meet `condition` (on the visits table, with `values` bound), and
// the pages left without one; the others' counts and last visits follow.
int HistoryStore::removeVisitsWhere(const QString &condition, const QVariantList &values) {
    if (m_fault)
        return -1;
    if (!m_db.transaction())
        return noteError(m_db.lastError()), -1;
    const auto run = [this](const QString &sql, const QVariantList &bound) {
        QSqlQuery query(m_db);
        query.prepare(sql);
        for (const QVariant &value : bound)
            query.addBindValue(value);
        if (!query.exec()) {
            noteError(query.lastError());
            return -1;
        }
        return query.numRowsAffected();
    };
    int removed = -1;
    if (run(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS touched(page INTEGER PRIMARY KEY)"),
            {}) >= 0 &&
        run(QStringLiteral("DELETE FROM touched"), {}) >= 0 &&
        run(QStringLiteral("INSERT OR IGNORE INTO touched SELECT page FROM visits WHERE ") +
                condition,
            values) >= 0 &&
        (removed = run(QStringLiteral("DELETE FROM visits WHERE ") + condition, values)) >= 0 &&
        run(QStringLiteral("DELETE FROM pages WHERE id IN touched AND NOT EXISTS "
                           "(SELECT 1 FROM visits WHERE page = pages.id)"),
            {}) >= 0 &&
        run(QStringLiteral("UPDATE pages SET "
                           "visits = (SELECT count(*) FROM visits WHERE page = pages.id), "
                           "last_visit = (SELECT max(time) FROM visits WHERE page = pages.id) "
                           "WHERE id IN touched"),
            {}) >= 0 &&
        m_db.commit()) {
        // What was taken out leaves the journal too, not only the database.
        exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        return removed;
    }
    if (!m_fault)
        noteError(m_db.lastError());
    m_db.rollback();
    return -1;
}

int HistoryStore::removeVisit(qint64 id) {
    return removeVisitsWhere(QStringLiteral("id = ?"), {id});
}

int HistoryStore::removeSite(const QString &host) {
    const QString site = host.toLower();
    return removeVisitsWhere(
        QStringLiteral("page IN (SELECT id FROM pages WHERE host = ? OR "
                       "(length(host) > length(?) AND substr(host, -length(?) - 1) = '.' || ?))"),
        {site, site, site, site});
}

int HistoryStore::removeSince(qint64 time) {
    return removeVisitsWhere(QStringLiteral("time >= ?"), {time});
}

int HistoryStore::removeAll() {
    return removeVisitsWhere(QStringLiteral("1"), {});
}

int HistoryStore::removePage(const QString &address) {
    return removeVisitsWhere(QStringLiteral("page IN (SELECT id FROM pages WHERE address = ?)"),
                             {address});
}

QList<Completion> HistoryStore::suggest(const QString &typed, qint64 now, int limit) {
    const QStringList words = completionWords(typed);
    if (m_fault || words.isEmpty())
        return {};
    // history::frecency in SQL: visits weighed by the age of the last visit.
    constexpr qint64 kDay = 24 * 60 * 60 * 1000;
    QVariantList values;
    QString sql = QStringLiteral("SELECT address, title FROM pages WHERE 1") +
                  wordsCondition(words, QString(), &values);
    sql += QStringLiteral(" ORDER BY visits * CASE WHEN last_visit >= ? THEN 100 "
                          "WHEN last_visit >= ? THEN 70 WHEN last_visit >= ? THEN 50 "
                          "WHEN last_visit >= ? THEN 30 ELSE 10 END DESC, last_visit DESC LIMIT ?");
    values << now - 4 * kDay << now - 14 * kDay << now - 31 * kDay << now - 90 * kDay << limit;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!run(query, sql, values))
        return {};
    QList<Completion> rows;
    while (query.next())
        rows.append(
            {Completion::Kind::History, query.value(0).toString(), query.value(1).toString()});
    return rows;
}

int HistoryStore::importVisits(const QList<Visit> &visits) {
    if (m_fault)
        return -1;
    if (!m_db.transaction())
        return noteError(m_db.lastError()), -1;
    QSqlQuery page(m_db);
    page.prepare(QStringLiteral(
        "INSERT INTO pages(address, title, host, visits, last_visit) VALUES(?, ?, ?, 0, ?) "
        "ON CONFLICT(address) DO UPDATE SET "
        "title = CASE WHEN title = '' THEN excluded.title ELSE title END"));
    QSqlQuery visit(m_db);
    visit.prepare(QStringLiteral(
        "INSERT INTO visits(page, time) SELECT id, ? FROM pages WHERE address = ? AND NOT EXISTS "
        "(SELECT 1 FROM visits v WHERE v.page = pages.id AND v.time = ?)"));
    int added = 0;
    bool ok = true;
    for (const Visit &one : visits) {
        page.addBindValue(one.address);
        page.addBindValue(text(one.title));
        page.addBindValue(text(hostOf(one.address)));
        page.addBindValue(one.time);
        visit.addBindValue(one.time);
        visit.addBindValue(one.address);
        visit.addBindValue(one.time);
        if (!page.exec()) {
            ok = noteError(page.lastError());
            break;
        }
        if (!visit.exec()) {
            ok = noteError(visit.lastError());
            break;
        }
        added += visit.numRowsAffected();
    }
    QSqlQuery counts(m_db);
    if (ok &&
        counts.exec(QStringLiteral(
            "UPDATE pages SET visits = (SELECT count(*) FROM visits WHERE page = pages.id), "
            "last_visit = (SELECT max(time) FROM visits WHERE page = pages.id)")) &&
        m_db.commit())
        return added;
    if (ok)
        noteError(counts.lastError().isValid() ? counts.lastError() : m_db.lastError());
    m_db.rollback();
    return -1;
}

} // namespace history
