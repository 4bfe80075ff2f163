#include "indexworker.h"

#include "saveddocument.h"

#include <QDateTime>
#include <QDir>
#include <QMutexLocker>

namespace fulltext {

IndexWorker::IndexWorker(QString indexFolder, QString seenPath, std::atomic<bool> &stopping)
    : m_indexFolder(std::move(indexFolder)), m_seenPath(std::move(seenPath)), m_stopping(stopping) {
}

IndexWorker::~IndexWorker() = default;

bool IndexWorker::ensureOpen() {
    if (m_index)
        return true;
    QString error;
    QString movedAside;
    QDir().mkpath(QFileInfo(m_indexFolder).absolutePath());
    m_index = SavedIndex::open(m_indexFolder, &error, &movedAside);
    if (!m_index) {
        Q_EMIT failed(QStringLiteral("无法打开全文索引 %1：%2").arg(m_indexFolder, error));
        return false;
    }
    if (!movedAside.isEmpty())
        Q_EMIT failed(QStringLiteral("全文索引已损坏，已移到 %1 并重新建立").arg(movedAside));
    return true;
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
    const bool wake = !m_wakeSent;
    m_wakeSent = true;
    return wake;
}

void IndexWorker::takeFiles() {
    QList<std::pair<QString, QString>> files;
    {
        QMutexLocker lock(&m_mutex);
        files.swap(m_files);
        m_wakeSent = false;
    }
    if (files.isEmpty() || !ensureOpen())
        return;
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
    QString error;
    if (!m_index->commit(&error))
        Q_EMIT failed(QStringLiteral("无法写入全文索引：") + error);
    Q_EMIT idle(m_index->documentCount());
}

void IndexWorker::scan(const QStringList &folders) {
    if (!ensureOpen())
        return;
    const SavedIndex::Stats stats = m_index->updateFolders(folders, readSavedSources(m_seenPath),
                                                           [this] { return bool(m_stopping); });
    // After many pages the index is packed: it takes half the room and answers faster.
    m_changedSinceCompaction += stats.added + stats.changed + stats.removed;
    if (!m_stopping && m_changedSinceCompaction >= kCompactAfter) {
        m_index.reset();
        QString error;
        if (!SavedIndex::compact(m_indexFolder, &error))
            Q_EMIT failed(QStringLiteral("无法整理全文索引：") + error);
        m_changedSinceCompaction = 0;
        if (!ensureOpen())
            return;
    }
    Q_EMIT scanned(folders);
    Q_EMIT idle(m_index->documentCount());
}

} // namespace fulltext
