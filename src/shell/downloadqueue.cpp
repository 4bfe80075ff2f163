#include "downloadqueue.h"

#include "browser/browserview.h"

#include <QSet>

namespace shell {

namespace {

constexpr int kPlaceKeptMs = 60 * 1000;

} // namespace

DownloadQueue::DownloadQueue(int limit, QObject *parent)
    : QObject(parent), m_turns(limit, kPlaceKeptMs) {
    connect(&m_turns, &common::TurnQueue::progressChanged, this, &DownloadQueue::progressChanged);
}

void DownloadQueue::download(browser::BrowserView *view, const QList<QUrl> &urls) {
    if (m_turns.running() == 0 && m_turns.waiting() == 0)
        m_jobs.clear(); // what timed out or lost its tab in the last batch
    for (const QUrl &url : urls) {
        m_jobs.append({m_turns.nextJob(), url});
        // The queue starts a job only while its view is there.
        m_turns.add(view, [view, url] { view->download(url); });
    }
}

void DownloadQueue::ended(const QUrl &url) {
    for (qsizetype i = 0; i < m_jobs.size(); ++i) {
        const common::TurnQueue::JobId id = m_jobs[i].id;
        if (m_jobs[i].url == url && m_turns.isRunning(id)) {
            m_jobs.removeAt(i);
            m_turns.end(id);
            return;
        }
    }
}

QList<QUrl> DownloadQueue::stopWaiting() {
    const QList<common::TurnQueue::JobId> dropped = m_turns.stopWaiting();
    const QSet<common::TurnQueue::JobId> droppedSet(dropped.cbegin(), dropped.cend());
    QList<QUrl> stopped;
    QList<Job> kept;
    for (const Job &job : std::as_const(m_jobs)) {
        if (droppedSet.contains(job.id))
            stopped.append(job.url);
        else
            kept.append(job);
    }
    m_jobs = kept;
    return stopped;
}

} // namespace shell
