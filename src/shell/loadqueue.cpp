#include "loadqueue.h"

#include "browser/browserview.h"

#include <QTimer>

namespace shell {

void LoadQueue::navigate(browser::BrowserView *view, const QUrl &url) {
    if (m_loading.isEmpty() && m_waiting.isEmpty())
        m_asked = m_finished = m_failed = 0; // a new batch
    ++m_asked;
    if (m_loading.size() < m_limit)
        start(view, url);
    else {
        view->setQueuedAddress(url);
        m_waiting.append({view, url});
    }
    reportProgress();
}

QList<LoadQueue::Pending> LoadQueue::stopWaiting() {
    const QList<Pending> stopped = std::exchange(m_waiting, {});
    for (const Pending &pending : stopped) {
        if (pending.view)
            pending.view->setQueuedAddress({});
    }
    reportProgress();
    return stopped;
}

void LoadQueue::reportProgress() {
    emit progressChanged(m_finished, m_asked, m_loading.size(), m_waiting.size());
}

void LoadQueue::start(browser::BrowserView *view, const QUrl &url) {
    view->setQueuedAddress({});
    m_loading.append(view);
    auto release = [this, view] { finished(view); };
    connect(
        view, &browser::BrowserView::documentComplete, this,
        [this, view](const QUrl &, bool ok) { finished(view, ok); }, Qt::SingleShotConnection);
    connect(view, &QObject::destroyed, this, release, Qt::SingleShotConnection);
    QTimer::singleShot(20000, view, release);
    view->navigate(url);
}

void LoadQueue::finished(browser::BrowserView *view, bool ok) {
    if (!m_loading.removeOne(view))
        return;
    disconnect(view, nullptr, this, nullptr);
    ++m_finished;
    if (!ok)
        ++m_failed;
    while (!m_waiting.isEmpty() && m_loading.size() < m_limit) {
        const Pending next = m_waiting.takeFirst();
        if (next.view)
            start(next.view, next.url);
        else
            ++m_finished; // its tab was closed before its turn
    }
    reportProgress();
}

} // namespace shell
