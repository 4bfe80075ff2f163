#pragma once

#include "indexstatus.h"
#include "savedsearch.h"

#include <QObject>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <functional>

class QFileSystemWatcher;

namespace fulltext {

class IndexWorker;

// Keeps the full-text index of the save folder up to date without ever making the window
// wait: a thread of its own reads the files and writes the index. A file the program writes
// is indexed as soon as it is noted; the save folder is scanned at start and again, after a
// quiet moment, whenever the folder or one of its subfolders changes (files added, changed,
// moved or deleted by anyone). Searches run on the thread pool and answer with a signal.
class IndexService : public QObject {
    Q_OBJECT
public:
    // `indexFolder` is the data folder's index/, `seenPath` its seen.txt.
    IndexService(QString indexFolder, QString seenPath, QObject *parent = nullptr);
    // Asks the worker to stop after the file at hand and waits for that.
    ~IndexService() override;

    // Starts watching and scanning `saveFolder`; again with another folder when the save
    // folder changes.
    void setSaveFolder(const QString &saveFolder);
    // The program wrote `path` (saved from `address`, if known): index it now.
    void noteWritten(const QString &path, const QString &address = QString());
    // A page the user read: its text goes into the index (once a day per address).
    void noteRead(const ReadPage &page);
    // Takes pages read out of the index: those of `host` and its subdomains (every host when
    // empty) read at or after `since` (seconds since 1970; 0 for any time).
    void removeRead(const QString &host, qint64 since = 0);
    void removeReadPage(const QString &address);
    // Searches; `found` is called on this object's thread with the results, unless the
    // service is gone by then. A search that finds the index damaged has it checked and,
    // when it is, made anew from the files. `extra` narrows it down as the query's filters do.
    void search(const QString &query, int offset, int limit,
                std::function<void(const SearchResults &)> found, const SearchFilters &extra = {});
    // The page read at `address` as the index keeps it (an empty address when it holds none).
    void readPage(const QString &address, std::function<void(const ReadPage &)> found);

    // What the results page searches (its switch 已保存 / 读过 / 全部), kept in a file beside
    // the index so that it is the same after a restart.
    SearchFilters::Scope scope() const { return m_scope; }
    void setScope(SearchFilters::Scope scope);

    // Scans the save folder again now (files changed while the program was not told).
    void rescan() { scanNow(); }
    // How many documents the index holds, when the last scan ended, how far a running one is.
    IndexStatus status() const { return m_status.load(); }

    // How long the folder must stay quiet before it is scanned (2 s by default).
    void setQuietTime(int milliseconds) { m_quiet.setInterval(milliseconds); }
    // How often the index is tried again while it cannot be written (30 s by default).
    void setRetryTime(int milliseconds);
    QString indexFolder() const { return m_indexFolder; }

Q_SIGNALS:
    // The worker has nothing left to do; the index holds `documents` files.
    void idle(int documents);
    // A message for the user (in Chinese): the index cannot be opened or written, or was
    // broken and is being made anew.
    void failed(const QString &message);

private:
    void scanNow();
    void wakeWorker(bool needed);
    void checkIndex();
    void watchFolders(const QStringList &folders);

    template <typename Result, typename Work, typename Answer>
    void inPool(Work work, Answer answer);

    QString m_indexFolder;
    QString m_saveFolder;
    SearchFilters::Scope m_scope = SearchFilters::Scope::Saved;
    std::atomic<bool> m_stopping{false};
    SharedIndexStatus m_status;
    QThread m_thread;
    IndexWorker *m_worker; // lives on m_thread
    QFileSystemWatcher *m_watcher;
    QTimer m_quiet;
    bool m_checking = false; // the worker was asked to check the index and has not answered
};

} // namespace fulltext
