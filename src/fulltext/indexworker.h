#pragma once

#include "indexstatus.h"
#include "savedindex.h"

#include <QMutex>
#include <QObject>
#include <QStringList>

class QTimer;

#include <atomic>
#include <memory>

namespace fulltext {

// The part of IndexService that runs on its own thread: it owns the writable index and does
// every read of files and every write of the index. Work comes as queued calls; files noted
// while it is busy wait in a list and are taken together, with one commit.
class IndexWorker : public QObject {
    Q_OBJECT
public:
    // `status` is kept up to date for the window's thread to read.
    IndexWorker(QString indexFolder, QString seenPath, std::atomic<bool> &stopping,
                SharedIndexStatus &status);
    ~IndexWorker() override;

    // Called from any thread: files to index at the next chance, with the address each was
    // saved from (may be empty). Gives true when the worker must be woken up (takeFiles).
    bool queueFile(const QString &path, const QString &address);
    // The same for a page read, and for taking pages read out (of `host`, every host when
    // empty, read since `since`, 0 for always): a page read that waits is dropped at once.
    bool queueRead(const ReadPage &page);
    // With an `address`, only the page read there goes.
    bool queueReadRemoval(const QString &host, qint64 since, const QString &address = {});
    // How often the index is tried again while it cannot be written. Set before any work.
    void setRetryTime(int milliseconds) { m_retryMs = milliseconds; }

public Q_SLOTS:
    void takeFiles();
    void scan(const QStringList &folders);
    // A search could not read the index: reads all of it, and makes it anew when damaged.
    void checkWhole();

Q_SIGNALS:
    void idle(int documents);
    void failed(const QString &message);
    void scanned(const QStringList &folders);

private:
    bool ensureOpen();
    bool healthy();
    void rebuild();
    void report(const QString &message);
    void retryLater();
    void noteIdle();
    bool wake(); // with m_mutex held

    QString m_indexFolder;
    QString m_seenPath;
    std::atomic<bool> &m_stopping;
    SharedIndexStatus &m_status;
    std::unique_ptr<SavedIndex> m_index;
    QStringList m_folders;     // what the last scan was asked for
    QString m_lastReport;      // what the user was last told, until the index works again
    QTimer *m_retry = nullptr; // tries again while the index cannot be written
    std::atomic<int> m_retryMs{30000};
    // Pages added, changed or taken out by scans since the index was last packed.
    static constexpr int kCompactAfter = 200;
    int m_changedSinceCompaction = 0;
    QMutex m_mutex; // guards the two below
    QList<std::pair<QString, QString>> m_files;
    QList<ReadPage> m_reads;
    struct ReadRemoval {
        QString host;
        qint64 since = 0;
        QString address;
    };
    QList<ReadRemoval> m_readRemovals;
    bool m_wakeSent = false;
};

} // namespace fulltext
