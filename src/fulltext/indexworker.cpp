#include "indexworker.h"

#include "saveddocument.h"

#include <QDateTime>
#include <QDir>
#include <QMutexLocker>
#include <QTimer>
#include <QUrl>

namespace fulltext {

IndexWorker::IndexWorker(QString indexFolder, QString seenPath, std::atomic<bool> &stopping,
                         SharedIndexStatus &status)
    : m_indexFolder(std::move(indexFolder)), m_seenPath(std::move(seenPath)), m_stopping(stopping),
      m_status(status) {}

IndexWorker::~IndexWorker() = default;

bool IndexWorker::ensureOpen() {
    if (m_index)
        return true;
    QString error;
    QString movedAside;
    QDir().mkpath(QFileInfo(m_indexFolder).absolutePath());
    m_index = SavedIndex::open(m_indexFolder, &error, &movedAside);
    if (!m_index) {
        report(QStringLiteral("无法打开全文索引 %1：%2").arg(m_indexFolder, error));
        retryLater();
        return false;
    }
    if (!movedAside.isEmpty())
        Q_EMIT failed(QStringLiteral("全文索引已损坏，已移到 %1 并重新建立").arg(movedAside));
    m_status.documents = m_index->documentCount();
    m_status.readPages = m_index->readPageCount();
    m_status.lastScanEnded = m_index->lastScanEnded();
    return true;
}

void IndexWorker::noteIdle() {
    const int documents = m_index->documentCount();
    m_status.readPages = m_index->readPageCount();
    m_status.documents = documents;
    Q_EMIT idle(documents);
}

void IndexWorker::report(const QString &message) {
    // Said once, not at every try: the user has been told until the index works again.
    if (message == m_lastReport)
        return;
    m_lastReport = message;
    Q_EMIT failed(message);
}

void IndexWorker::retryLater() {
    if (m_stopping)
        return;
    if (!m_retry) {
        m_retry = new QTimer(this);
        m_retry->setSingleShot(true);
        connect(m_retry, &QTimer::timeout, this, [this] {
            if (!m_folders.isEmpty())
                scan(m_folders);
            takeFiles();
        });
    }
    m_retry->start(m_retryMs);
}

// True when the index met no fault. Otherwise it is closed, and moved aside when damaged
// (the next step makes it anew from the files), and the work is tried again later.
bool IndexWorker::healthy() {
    if (!m_index)
        return false;
    const IndexFault fault = m_index->fault();
    if (!fault) {
        m_lastReport.clear();
        return true;
    }
    m_index.reset();
    switch (fault.kind) {
    case IndexFault::Damaged:
        rebuild();
        break;
    case IndexFault::NoSpace:
        report(QStringLiteral("全文索引没有更新：磁盘已满"));
        retryLater();
        break;
    default:
        report(QStringLiteral("全文索引没有更新：") + fault.message);
        retryLater();
        break;
    }
    return false;
}

// The index must be closed.
void IndexWorker::rebuild() {
    const QString aside = SavedIndex::moveAside(m_indexFolder);
    if (aside.isEmpty()) {
        report(QStringLiteral("全文索引已损坏，无法移开：") + m_indexFolder);
        retryLater();
        return;
    }
    Q_EMIT failed(QStringLiteral("全文索引已损坏，已移到 %1 并重新建立").arg(aside));
    m_changedSinceCompaction = 0;
    if (!m_folders.isEmpty())
        QMetaObject::invokeMethod(
            this, [this] { scan(m_folders); }, Qt::QueuedConnection);
}

void IndexWorker::checkWhole() {
    m_index.reset(); // the check reads the files as they are on the disk
    if (!QFileInfo::exists(m_indexFolder) || SavedIndex::isWhole(m_indexFolder)) {
        if (ensureOpen())
            noteIdle();
        return;
    }
    rebuild();
}

bool IndexWorker::queueFile(const QString &path, const QString &address) {
    QMutexLocker lock(&m_mutex);
    // A file noted twice before its turn (written, then told where it came from) is read once.
    for (auto &[queued, from] : m_files) {
        if (queued == path) {
            if (!address.isEmpty())
                from = address;
            return false;
        }
    }
    m_files.append({path, address});
    return wake();
}

bool IndexWorker::wake() {
    const bool wake = !m_wakeSent;
    m_wakeSent = true;
    return wake;
}

namespace {

bool isOnHost(const QString &address, const QString &host) {
    const QString pageHost = QUrl(address).host().toLower();
    return host.isEmpty() || pageHost == host || pageHost.endsWith(u'.' + host);
}

} // namespace

bool IndexWorker::queueRead(const ReadPage &page) {
    QMutexLocker lock(&m_mutex);
    m_reads.append(page);
    return wake();
}

bool IndexWorker::queueReadRemoval(const QString &host, qint64 since, const QString &address) {
    QMutexLocker lock(&m_mutex);
    m_reads.removeIf([&](const ReadPage &page) {
        return address.isEmpty() ? isOnHost(page.address, host) && page.time >= since
                                 : page.address == address;
    });
    m_readRemovals.append({host.toLower(), since, address});
    return wake();
}

void IndexWorker::takeFiles() {
    QList<std::pair<QString, QString>> files;
    QList<ReadPage> reads;
    QList<ReadRemoval> removals;
    {
        QMutexLocker lock(&m_mutex);
        files.swap(m_files);
        reads.swap(m_reads);
        removals.swap(m_readRemovals);
        m_wakeSent = false;
    }
    if (files.isEmpty() && reads.isEmpty() && removals.isEmpty())
        return;
    const auto putBack = [&] {
        QMutexLocker lock(&m_mutex);
        m_files = files + m_files;
        // Pages read and removals keep their order: a removal asked for after a page was read
        // has already dropped it from the list.
        m_reads = reads + m_reads;
        m_readRemovals = removals + m_readRemovals;
    };
    if (!ensureOpen()) {
        putBack();
        return;
    }
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (const auto &[path, address] : std::as_const(files)) {
        if (m_stopping)
            break;
        if (!isIndexedFile(path))
            continue;
        // A file written again under the same name within a second keeps its size and mtime.
        m_index->indexFile(
            path, address.isEmpty() ? std::nullopt : std::optional<SavedSource>({address, now}),
            true);
    }
    for (const ReadPage &read : std::as_const(reads)) {
        if (read.html.isEmpty()) {
            m_index->indexReadPage(read);
            continue;
        }
        if (hasPasswordField(read.html))
            continue; // in the history, but what such a page shows is not kept
        ReadPage page = read;
        page.text = htmlBodyText(page.html);
        if (page.title.isEmpty())
            page.title = htmlTitle(page.html);
        page.html.clear();
        m_index->indexReadPage(page);
    }
    for (const ReadRemoval &removal : std::as_const(removals)) {
        if (removal.address.isEmpty())
            m_index->removeReadPages(removal.host, removal.since);
        else
            m_index->removeReadPage(removal.address);
    }
    m_index->commit();
    if (!healthy()) {
        putBack(); // read again once the index can be written
        return;
    }
    noteIdle();
}

void IndexWorker::scan(const QStringList &folders) {
    m_folders = folders;
    m_status.scanning = true;
    const struct Ended {
        SharedIndexStatus &status;
        ~Ended() { status.scanning = false; }
    } ended{m_status};
    if (!ensureOpen())
        return;
    const SavedIndex::Stats stats = m_index->updateFolders(
        folders, readSavedSources(m_seenPath), [this] { return bool(m_stopping); }, 50,
        [this](int done, int total) {
            m_status.toScan = total;
            m_status.scanned = done;
        });
    if (!healthy())
        return;
    m_status.lastScanEnded = m_index->lastScanEnded();
    // After many pages the index is packed: it takes half the room and answers faster.
    m_changedSinceCompaction += stats.added + stats.changed + stats.removed;
    if (!m_stopping && m_changedSinceCompaction >= kCompactAfter) {
        m_index.reset();
        QString error;
        if (!SavedIndex::compact(m_indexFolder, &error))
            report(QStringLiteral("无法整理全文索引：") + error);
        m_changedSinceCompaction = 0;
        if (!ensureOpen())
            return;
    }
    m_status.scanning = false; // before the window hears that the worker is idle
    Q_EMIT scanned(folders);
    noteIdle();
}

} // namespace fulltext
