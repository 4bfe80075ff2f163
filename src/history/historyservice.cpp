#include "historyservice.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace history {

// The service's side on its own thread: the store, the writes waiting, the retry.
class HistoryWorker : public QObject {
public:
    struct Write {
        QString address;
        QString title;
        qint64 time = 0; // 0: only the title changes
    };

    HistoryWorker(QString path, HistoryService *service)
        : m_path(std::move(path)), m_service(service) {}

    void add(Write write) {
        m_waiting.append(std::move(write));
        writeWaiting();
    }

    void writeWaiting() {
        if (m_waiting.isEmpty() || !ensureOpen())
            return;
        while (!m_waiting.isEmpty()) {
            const Write &write = m_waiting.constFirst();
            const bool done =
                write.time > 0 ? m_store->recordVisit(write.address, write.title, write.time)
                               : (m_store->setTitle(write.address, write.title), !m_store->fault());
            if (!done && !healthy())
                return;              // kept for the next try
            m_waiting.removeFirst(); // written, or not needed (a title for no page)
        }
        m_lastReport.clear();
    }

    // The store, opened when needed; null (said once, tried again later) when it cannot be.
    HistoryStore *ensureOpen() {
        if (m_store)
            return m_store.get();
        QString error, aside;
        m_store = HistoryStore::open(m_path, &error, &aside);
        if (!aside.isEmpty())
            say(QStringLiteral("历史记录已损坏，已移到 %1 并重新开始").arg(aside));
        if (!m_store) {
            say(QStringLiteral("无法打开历史记录 %1：%2").arg(m_path, error));
            retryLater();
            return nullptr;
        }
        if (m_limitPages > 0)
            m_store->limitPages(m_limitPages);
        return m_store.get();
    }

    // True when the store met no fault; otherwise it is closed (a damaged one is moved aside
    // at the next opening), the user told, and the writes tried again later.
    bool healthy() {
        if (!m_store || !m_store->fault())
            return bool(m_store);
        const HistoryFault fault = m_store->fault();
        m_store.reset();
        if (fault.kind == HistoryFault::NoSpace)
            say(QStringLiteral("历史记录没有写入：磁盘已满"));
        else if (fault.kind != HistoryFault::Damaged)
            say(QStringLiteral("历史记录没有写入：") + fault.message);
        if (fault.kind == HistoryFault::Damaged) {
            // The next opening checks the file and moves it aside.
            QMetaObject::invokeMethod(
                this, [this] { writeWaiting(); }, Qt::QueuedConnection);
        } else {
            retryLater();
        }
        return false;
    }

    void say(const QString &message) {
        if (message == m_lastReport)
            return;
        m_lastReport = message;
        QMetaObject::invokeMethod(
            m_service, [service = m_service, message] { Q_EMIT service->failed(message); });
    }

    void retryLater() {
        if (!m_retry) {
            m_retry = new QTimer(this);
            m_retry->setSingleShot(true);
            QObject::connect(m_retry, &QTimer::timeout, this, [this] { writeWaiting(); });
        }
        m_retry->start(m_retryMs);
    }

    QString m_path;
    HistoryService *m_service;
    std::unique_ptr<HistoryStore> m_store;
    QList<Write> m_waiting;
    QString m_lastReport;
    QTimer *m_retry = nullptr;
    int m_retryMs = 30000;
    int m_limitPages = 0;
};

HistoryService::HistoryService(QString databasePath, QObject *parent)
    : QObject(parent), m_path(std::move(databasePath)), m_worker(new HistoryWorker(m_path, this)) {
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("lumaro-history"));
    m_thread.start(QThread::LowPriority);
}

HistoryService::~HistoryService() {
    // Behind everything already asked for, which the thread does first.
    QMetaObject::invokeMethod(
        m_worker, [thread = &m_thread] { thread->quit(); }, Qt::QueuedConnection);
    m_thread.wait();
}

template <typename Work> void HistoryService::onWorker(Work work) {
    QMetaObject::invokeMethod(m_worker, std::move(work), Qt::QueuedConnection);
}

void HistoryService::record(const QString &address, const QString &title, qint64 time) {
    onWorker([worker = m_worker, address, title, time] { worker->add({address, title, time}); });
}

void HistoryService::setTitle(const QString &address, const QString &title) {
    onWorker([worker = m_worker, address, title] { worker->add({address, title, 0}); });
}

namespace {

// Calls `answer` with `value` on the window's thread, if `service` is still there.
template <typename Answer, typename Value>
void answerOnWindow(QPointer<HistoryService> service, Answer answer, Value value) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [service, answer = std::move(answer), value = std::move(value)] {
            if (service)
                answer(value);
        },
        Qt::QueuedConnection);
}

} // namespace

void HistoryService::suggest(const QString &typed, int limit,
                             std::function<void(const QList<Completion> &)> answer) {
    const int asked = ++*m_lastSuggestion;
    onWorker([worker = m_worker, self = QPointer<HistoryService>(this), typed, limit, asked,
              last = m_lastSuggestion, answer = std::move(answer)] {
        if (asked != *last)
            return; // the user has typed on
        QList<Completion> found;
        if (HistoryStore *store = worker->ensureOpen()) {
            found = store->suggest(typed, QDateTime::currentMSecsSinceEpoch(), limit);
            worker->healthy();
        }
        answerOnWindow(self, answer, found);
    });
}

void HistoryService::visits(const QString &words, qint64 before, int limit,
                            std::function<void(const QList<Visit> &)> answer) {
    onWorker([worker = m_worker, self = QPointer<HistoryService>(this), words, before, limit,
              answer = std::move(answer)] {
        QList<Visit> found;
        if (HistoryStore *store = worker->ensureOpen()) {
            found = store->visits(words, before, limit);
            worker->healthy();
        }
        answerOnWindow(self, answer, found);
    });
}

void HistoryService::remove(Removal what, const QVariant &value, std::function<void(int)> answer) {
    Q_EMIT removing(what, value);
    onWorker([worker = m_worker, self = QPointer<HistoryService>(this), what, value,
              answer = std::move(answer)] {
        int removed = -1;
        if (HistoryStore *store = worker->ensureOpen()) {
            switch (what) {
            case Removal::Visit:
                removed = store->removeVisit(value.toLongLong());
                break;
            case Removal::Site:
                removed = store->removeSite(value.toString());
                break;
            case Removal::Since:
                removed = store->removeSince(value.toLongLong());
                break;
            case Removal::All:
                removed = store->removeAll();
                break;
            case Removal::Page:
                removed = store->removePage(value.toString());
                break;
            }
            worker->healthy();
        }
        answerOnWindow(self, answer, removed);
    });
}

void HistoryService::whenWritten(std::function<void()> answer) {
    onWorker([self = QPointer<HistoryService>(this), answer = std::move(answer)] {
        answerOnWindow(
            self, [answer](bool) { answer(); }, true);
    });
}

void HistoryService::setRetryTime(int milliseconds) {
    onWorker([worker = m_worker, milliseconds] { worker->m_retryMs = milliseconds; });
}

void HistoryService::limitPages(int pages) {
    onWorker([worker = m_worker, pages] {
        worker->m_limitPages = pages;
        if (worker->m_store)
            worker->m_store->limitPages(pages);
    });
}

} // namespace history
