#include "browserimport.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>

namespace history {

namespace {

// Chromium counts microseconds from 1601-01-01, Firefox from 1970-01-01.
constexpr qint64 kChromiumEpochOffsetMs = 11644473600000;
// Longer fields are no page's own; they are cut (a title) or the visit left out (an address).
constexpr qsizetype kMaxAddressChars = 8192;
constexpr qsizetype kMaxTitleChars = 1024;

bool isKept(const QString &address) {
    const QString scheme = QUrl(address).scheme();
    return address.size() <= kMaxAddressChars &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
            scheme == QLatin1String("file"));
}

// Reads the copy at `path`; the connection is gone when it returns.
OtherHistory readCopy(const QString &path) {
    static QAtomicInteger<int> counter;
    const QString connection =
        QStringLiteral("lumaro-import-%1").arg(counter.fetchAndAddRelaxed(1));
    OtherHistory read;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        // The copy is opened for writing: its journal is moved into it as SQLite opens it.
        if (!db.open()) {
            read.error = QStringLiteral("无法打开：") + db.lastError().text();
        } else {
            const QStringList tables = db.tables();
            QString sql;
            qint64 offsetMs = 0;
            if (tables.contains(QStringLiteral("moz_places")) &&
                tables.contains(QStringLiteral("moz_historyvisits"))) {
                read.browser = QStringLiteral("Firefox");
                sql = QStringLiteral("SELECT p.url, p.title, v.visit_date FROM moz_historyvisits v "
                                     "JOIN moz_places p ON p.id = v.place_id "
                                     "ORDER BY v.visit_date DESC LIMIT %1");
            } else if (tables.contains(QStringLiteral("urls")) &&
                       tables.contains(QStringLiteral("visits"))) {
                read.browser = QStringLiteral("Chromium");
                sql = QStringLiteral("SELECT u.url, u.title, v.visit_time FROM visits v "
                                     "JOIN urls u ON u.id = v.url "
                                     "ORDER BY v.visit_time DESC LIMIT %1");
                offsetMs = kChromiumEpochOffsetMs;
            } else {
                read.error =
                    QStringLiteral("不是 Firefox 的 places.sqlite，也不是 Chromium 的 History");
            }
            if (!sql.isEmpty()) {
                QSqlQuery query(db);
                query.setForwardOnly(true);
                if (!query.exec(sql.arg(kMaxImportedVisits))) {
                    read.error = QStringLiteral("无法读取：") + query.lastError().text();
                    read.browser.clear();
                }
                while (query.next()) {
                    const QString address = query.value(0).toString();
                    const qint64 time = query.value(2).toLongLong() / 1000 - offsetMs;
                    if (isKept(address) && time > 0)
                        read.visits.append(
                            {0, address, query.value(1).toString().left(kMaxTitleChars), time});
                }
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return read;
}

} // namespace

OtherHistory readOtherBrowserHistory(const QString &path) {
    if (!QFileInfo(path).isFile())
        return {{}, {}, QStringLiteral("没有这个文件：") + path};
    QTemporaryDir copyFolder;
    if (!copyFolder.isValid())
        return {{}, {}, QStringLiteral("无法建立临时文件夹：") + copyFolder.errorString()};
    const QString copy = copyFolder.filePath(QStringLiteral("history-copy.sqlite"));
    if (!QFile::copy(path, copy))
        return {{}, {}, QStringLiteral("无法复制 %1").arg(path)};
    // What the browser has written but not yet moved into the file itself.
    for (const char *journal : {"-wal", "-journal"}) {
        if (QFileInfo::exists(path + QLatin1String(journal)))
            QFile::copy(path + QLatin1String(journal), copy + QLatin1String(journal));
    }
    return readCopy(copy);
}

} // namespace history
