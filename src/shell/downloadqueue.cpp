#include "downloadqueue.h"

#include "browser/browserview.h"

#include <QTimer>

namespace shell {

namespace {

constexpr int kPlaceKeptMs = 60 * 1000;

} // namespace

void DownloadQueue::download(browser::BrowserView *view, const QList<QUrl> &urls) {
    for (const QUrl &url : urls)
        m_waiting.append({view, url});
    startNext();
}

void DownloadQueue::ended(const QUrl &url) {
    if (m_running.removeOne(url))
        startNext();
}

void DownloadQueue::startNext() {
    while (m_running.size() < m_limit && !m_waiting.isEmpty()) {
        const Pending next = m_waiting.takeFirst();
        if (!next.view)
            continue;
        m_running.append(next.url);
        QTimer::singleShot(kPlaceKeptMs, this, [this, url = next.url] { ended(url); });
        next.view->download(next.url);
    }
}

} // namespace shell
