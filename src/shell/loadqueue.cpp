#include "loadqueue.h"

#include "browser/browserview.h"

namespace shell {

namespace {

constexpr int kPlaceKeptMs = 20 * 1000;

} // namespace

LoadQueue::LoadQueue(int limit, QObject *parent) : QObject(parent), m_turns(limit, kPlaceKeptMs) {
    connect(&m_turns, &common::TurnQueue::progressChanged, this, &LoadQueue::progressChanged);
}

void LoadQueue::navigate(browser::BrowserView *view, const QUrl &url) {
    if (m_turns.running() == 0 && m_turns.waiting() == 0)
        m_waiting.clear(); // what a closed tab left of the last batch
    // The tab shows the address it waits for; its turn clears it.
    view->setQueuedAddress(url);
    const common::TurnQueue::JobId job = m_turns.nextJob();
    m_waiting.insert(job, {view, url});
    m_turns.add(view, [this, job, view, url] { start(job, view, url); });
}

QList<LoadQueue::Pending> LoadQueue::stopWaiting() {
    QList<Pending> stopped;
    for (common::TurnQueue::JobId job : m_turns.stopWaiting()) {
        const Pending pending = m_waiting.take(job);
        if (pending.view)
            pending.view->setQueuedAddress({});
        stopped.append(pending);
    }
    return stopped;
}

void LoadQueue::start(common::TurnQueue::JobId job, browser::BrowserView *view, const QUrl &url) {
    m_waiting.remove(job);
    view->setQueuedAddress({});
    connect(
        view, &browser::BrowserView::documentComplete, this,
        [this, job](const QUrl &, bool ok) { m_turns.end(job, ok); }, Qt::SingleShotConnection);
    connect(
        view, &QObject::destroyed, this, [this, job] { m_turns.end(job); },
        Qt::SingleShotConnection);
    view->navigate(url);
}

} // namespace shell
