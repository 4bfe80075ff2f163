#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

namespace common {

// Lets a few jobs run at a time: the others wait their turn and start in the order they were
// asked for. A job keeps its place until it is ended or its time limit passes (then it may go
// on, but the next one starts). A job whose owner is gone before its turn is counted over
// without starting. Counts run per batch: a job asked for while the queue is idle starts a new one.
class TurnQueue : public QObject {
    Q_OBJECT
public:
    using JobId = quint64;

    TurnQueue(int limit, int placeKeptMs, QObject *parent = nullptr);

    // Queues a job of `owner`; `start` runs when its turn comes, at once when a place is free.
    // The job's number is nextJob() before the call.
    JobId add(QObject *owner, std::function<void()> start);
    JobId nextJob() const { return m_nextId; }
    // The job is over (`ok` false: it failed); its place goes to the next. Nothing for a job
    // that is not running.
    void end(JobId job, bool ok = true);
    bool isRunning(JobId job) const { return m_running.contains(job); }
    // Drops the jobs still waiting (running ones go on); their numbers, first asked first.
    QList<JobId> stopWaiting();
    // How many may run at once, from the next start on.
    void setLimit(int limit) { m_limit = qMax(limit, 1); }

    int running() const { return int(m_running.size()); }
    int waiting() const { return int(m_waiting.size()); }
    int failed() const { return m_failed; } // of the batch's finished jobs

signals:
    // `finished` of the batch's `asked` jobs are over (dropped ones count as asked);
    // `running` run now, `waiting` wait. The batch is over when both are 0.
    void progressChanged(int finished, int asked, int running, int waiting);

private:
    struct Waiting {
        JobId id;
        QPointer<QObject> owner;
        std::function<void()> start;
    };
    void startNext();
    void reportProgress();

    int m_limit;
    int m_placeKeptMs;
    JobId m_nextId = 1;
    int m_asked = 0;
    int m_finished = 0;
    int m_failed = 0;
    bool m_starting = false; // inside startNext: a start that ends its job at once
    QList<JobId> m_running;
    QList<Waiting> m_waiting;
};

} // namespace common
