#pragma once

#include "historystore.h"

#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

namespace history {

class HistoryWorker;

// Keeps the history without making the window wait: a thread of its own owns the database and
// does every read and write in the order asked. A write that cannot be made (a full disk, a
// database that cannot be opened) is kept and tried again later, and said once; a damaged
// database is moved aside, said, and started anew. Answers come on the window's thread, unless
// the service is gone by then.
class HistoryService : public QObject {
    Q_OBJECT
public:
    explicit HistoryService(QString databasePath, QObject *parent = nullptr);
    // Writes what is still waiting (when it can) and stops the thread.
    ~HistoryService() override;

    void record(const QString &address, const QString &title,
                qint64 time = QDateTime::currentMSecsSinceEpoch());
    void setTitle(const QString &address, const QString &title);

    void visits(const QString &words, qint64 before, int limit,
                std::function<void(const QList<Visit> &)> answer);
    // Pages for the list under the address box (HistoryStore::suggest). One asked for while a
    // newer one waits gets no answer: only what the user typed last is looked up.
    void suggest(const QString &typed, int limit,
                 std::function<void(const QList<Completion> &)> answer);

    enum class Removal { Visit, Site, Since, All, Page };
    // `value`: the visit's id, the host, the time in ms (unused for All), the page's address.
    // `answer` gets how many visits went, -1 when the database could not be changed.
    void remove(Removal what, const QVariant &value, std::function<void(int removed)> answer);
    // Calls `answer` once every write asked for before has been made or has failed.
    void whenWritten(std::function<void()> answer);

    // How often writes are tried again while they cannot be made (30 s by default).
    void setRetryTime(int milliseconds);
    // For tests: the database may not grow past this many pages of 4 KB.
    void limitPages(int pages);
    QString databasePath() const { return m_path; }

Q_SIGNALS:
    // A message for the user (in Chinese), said once until writing works again.
    void failed(const QString &message);
    // Said when a removal is asked for, before it is made: what is kept elsewhere of the same
    // pages (their text in the index) goes with them.
    void removing(history::HistoryService::Removal what, const QVariant &value);

private:
    template <typename Work> void onWorker(Work work);

    QString m_path;
    std::shared_ptr<std::atomic<int>> m_lastSuggestion = std::make_shared<std::atomic<int>>(0);
    QThread m_thread;
    HistoryWorker *m_worker;
};

} // namespace history
