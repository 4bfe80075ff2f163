#include "downloadqueue.h"

#include "browser/browserview.h"

#include <QTimer>

#include <utility>

namespace shell {

namespace {

constexpr int kPlaceKeptMs = 60 * 1000;

} // namespace

void DownloadQueue::download(browser::BrowserView *view, const QList<QUrl> &urls) {
    if (m_running.isEmpty() && m_waiting.isEmpty())
        m_asked = m_finished = 0; // a new batch
    m_asked += int(urls.size());
    for (const QUrl &url : urls)
        m_waiting.append({view, url});
    startNext();
    reportProgress();
}

void DownloadQueue::ended(const QUrl &url) {
    if (!m_running.removeOne(url))
        return;
    ++m_finished;
    startNext();
    reportProgress();
}

QList<QUrl> DownloadQueue::stopWaiting() {
    QList<QUrl> stopped;
    for (const Pending &pending : std::exchange(m_waiting, {}))
        stopped.append(pending.url);
    reportProgress();
    return stopped;
}

void DownloadQueue::reportProgress() {
    emit progressChanged(m_finished, m_asked, int(m_running.size()), int(m_waiting.size()));
}

void DownloadQueue::startNext() {
    while (m_running.size() < m_limit && !m_waiting.isEmpty()) {
        const Pending next = m_waiting.takeFirst();
        if (!next.view) {
            ++m_finished; // its tab was closed before its turn
            continue;
        }
        m_running.append(next.url);
        QTimer::singleShot(kPlaceKeptMs, this, [this, url = next.url] { ended(url); });
        next.view->download(next.url);
    }
}

} // namespace shell
