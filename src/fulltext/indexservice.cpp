#include "indexservice.h"

#include "indexworker.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QSaveFile>
#include <QThreadPool>

namespace fulltext {

namespace {

// Folders watched under the save folder: enough for a series' chapters and a user's own
// sorting, not a whole tree of thousands.
constexpr int kMaxWatchedFolders = 200;

QString scopeFile(const QString &indexFolder) {
    return QDir::cleanPath(indexFolder) + QStringLiteral(".scope");
}

const char *const kScopeNames[] = {"all", "saved", "read"};

} // namespace

IndexService::IndexService(QString indexFolder, QString seenPath, QObject *parent)
    : QObject(parent), m_indexFolder(std::move(indexFolder)),
      m_worker(new IndexWorker(m_indexFolder, std::move(seenPath), m_stopping, m_status)),
      m_watcher(new QFileSystemWatcher(this)) {
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &IndexWorker::idle, this, [this](int documents) {
        m_checking = false;
        Q_EMIT idle(documents);
    });
    connect(m_worker, &IndexWorker::failed, this, &IndexService::failed);
    connect(m_worker, &IndexWorker::scanned, this, &IndexService::watchFolders);
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(2000);
    connect(&m_quiet, &QTimer::timeout, this, &IndexService::scanNow);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, &m_quiet,
            qOverload<>(&QTimer::start));
    QFile scope(scopeFile(m_indexFolder));
    if (scope.open(QIODevice::ReadOnly)) {
        const QByteArray name = scope.read(16).trimmed();
        for (int i = 0; i < 3; ++i) {
            if (name == kScopeNames[i])
                m_scope = SearchFilters::Scope(i);
        }
    }
    m_thread.setObjectName(QStringLiteral("lumaro-index"));
    m_thread.start(QThread::LowPriority);
}

IndexService::~IndexService() {
    m_stopping = true;
    m_thread.quit();
    m_thread.wait();
}

void IndexService::setSaveFolder(const QString &saveFolder) {
    if (saveFolder == m_saveFolder)
        return;
    m_saveFolder = saveFolder;
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    watchFolders({saveFolder});
    scanNow();
}

void IndexService::noteWritten(const QString &path, const QString &address) {
    wakeWorker(m_worker->queueFile(path, address));
}

// The worker takes what was queued at its next turn; it is woken once for all that comes
// before that.
void IndexService::wakeWorker(bool needed) {
    if (needed)
        QMetaObject::invokeMethod(m_worker, &IndexWorker::takeFiles, Qt::QueuedConnection);
}

void IndexService::scanNow() {
    if (m_saveFolder.isEmpty())
        return;
    m_status.scanning = true; // from now on, not only once the worker takes it up
    m_status.scanned = 0;
    m_status.toScan = 0;
    QMetaObject::invokeMethod(
        m_worker,
        [worker = m_worker, folders = QStringList{m_saveFolder}] { worker->scan(folders); },
        Qt::QueuedConnection);
}

// Watches the save folder and its subfolders (new ones appear after a scan).
void IndexService::watchFolders(const QStringList &folders) {
    if (!folders.contains(m_saveFolder) || !QFileInfo(m_saveFolder).isDir())
        return;
    QStringList wanted{m_saveFolder};
    QDirIterator it(m_saveFolder, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext() && wanted.size() < kMaxWatchedFolders)
        wanted.append(it.next());
    const QStringList watched = m_watcher->directories();
    QStringList added;
    for (const QString &folder : std::as_const(wanted)) {
        if (!watched.contains(folder))
            added.append(folder);
    }
    if (!added.isEmpty())
        m_watcher->addPaths(added);
}

void IndexService::setRetryTime(int milliseconds) {
    m_worker->setRetryTime(milliseconds);
}

void IndexService::checkIndex() {
    if (m_checking)
        return;
    m_checking = true; // until the worker is idle again
    QMetaObject::invokeMethod(m_worker, &IndexWorker::checkWhole, Qt::QueuedConnection);
}

void IndexService::noteRead(const ReadPage &page) {
    wakeWorker(m_worker->queueRead(page));
}

void IndexService::removeRead(const QString &host, qint64 since) {
    wakeWorker(m_worker->queueReadRemoval(host, since));
}

void IndexService::removeReadPage(const QString &address) {
    wakeWorker(m_worker->queueReadRemoval(QString(), 0, address));
}

void IndexService::setScope(SearchFilters::Scope scope) {
    if (scope == m_scope)
        return;
    m_scope = scope;
    QSaveFile file(scopeFile(m_indexFolder));
    // Not kept when it cannot be written: the switch works for this run all the same.
    if (file.open(QIODevice::WriteOnly))
        file.write(kScopeNames[int(scope)]) && file.flush() && file.commit();
}

// Runs `work` on the thread pool; `answer` gets its result on the window's thread, unless the
// service is gone by then (answered through the application object, which outlives the
// service; the pointer is checked on the window's thread, where the service is deleted).
template <typename Result, typename Work, typename Answer>
void IndexService::inPool(Work work, Answer answer) {
    QPointer<IndexService> self(this);
    QThreadPool::globalInstance()->start(
        [self, work = std::move(work), answer = std::move(answer)] {
            Result result = work();
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, answer, result = std::move(result)] {
                    if (self)
                        answer(self, result);
                },
                Qt::QueuedConnection);
        });
}

void IndexService::search(const QString &query, int offset, int limit,
                          std::function<void(const SearchResults &)> found,
                          const SearchFilters &extra) {
    inPool<SearchResults>(
        [folder = m_indexFolder, query, offset, limit, extra] {
            return searchIndexFolder(folder, query, offset, limit, extra);
        },
        [found = std::move(found)](IndexService *self, const SearchResults &results) {
            if (results.damaged)
                self->checkIndex();
            found(results);
        });
}

void IndexService::readPage(const QString &address, std::function<void(const ReadPage &)> found) {
    inPool<ReadPage>(
        [folder = m_indexFolder, address] { return readPageInIndex(folder, address); },
        [found = std::move(found)](IndexService *, const ReadPage &page) { found(page); });
}

} // namespace fulltext
