#include "loadqueue.h"

#include "browser/browserview.h"

#include <QTimer>

namespace shell {

void LoadQueue::navigate(browser::BrowserView *view, const QUrl &url) {
    if (m_loading.size() < m_limit)
        start(view, url);
    else
        m_waiting.append({view, url});
}

void LoadQueue::start(browser::BrowserView *view, const QUrl &url) {
    m_loading.append(view);
    auto release = [this, view] { finished(view); };
    connect(view, &browser::BrowserView::documentComplete, this, release, Qt::SingleShotConnection);
    connect(view, &QObject::destroyed, this, release, Qt::SingleShotConnection);
    QTimer::singleShot(20000, view, release);
    view->navigate(url);
}

void LoadQueue::finished(browser::BrowserView *view) {
    if (!m_loading.removeOne(view))
        return;
    disconnect(view, nullptr, this, nullptr);
    while (!m_waiting.isEmpty() && m_loading.size() < m_limit) {
        const Pending next = m_waiting.takeFirst();
        if (next.view)
            start(next.view, next.url);
    }
}

} // namespace shell
