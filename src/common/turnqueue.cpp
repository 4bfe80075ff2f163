#include "turnqueue.h"

#include <QTimer>

namespace common {

TurnQueue::TurnQueue(int limit, int placeKeptMs, QObject *parent)
    : QObject(parent), m_limit(qMax(limit, 1)), m_placeKeptMs(placeKeptMs) {}

TurnQueue::JobId TurnQueue::add(QObject *owner, std::function<void()> start) {
    if (m_running.isEmpty() && m_waiting.isEmpty())
        m_asked = m_finished = m_failed = 0; // a new batch
    ++m_asked;
    const JobId id = m_nextId++;
    m_waiting.append({id, owner, std::move(start)});
    startNext();
    reportProgress();
    return id;
}

void TurnQueue::end(JobId job, bool ok) {
    if (!m_running.removeOne(job))
        return;
    ++m_finished;
    if (!ok)
        ++m_failed;
    if (m_starting)
        return; // the loop that started it goes on
    startNext();
    reportProgress();
}

QList<TurnQueue::JobId> TurnQueue::stopWaiting() {
    QList<JobId> stopped;
    for (const Waiting &job : std::exchange(m_waiting, {}))
        stopped.append(job.id);
    reportProgress();
    return stopped;
}

void TurnQueue::startNext() {
    m_starting = true;
    while (m_running.size() < m_limit && !m_waiting.isEmpty()) {
        const Waiting next = m_waiting.takeFirst();
        if (!next.owner) {
            ++m_finished;
            continue;
        }
        m_running.append(next.id);
        QTimer::singleShot(m_placeKeptMs, this, [this, id = next.id] { end(id); });
        next.start();
    }
    m_starting = false;
}

void TurnQueue::reportProgress() {
    emit progressChanged(m_finished, m_asked, running(), waiting());
}

} // namespace common
