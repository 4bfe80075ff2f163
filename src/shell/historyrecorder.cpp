#include "historyrecorder.h"

#include "tabmanager.h"

#include "browser/browserview.h"
#include "history/historyservice.h"

#include <QDateTime>

namespace shell {

namespace {

// A tab that comes back to the address it showed within this time makes no new visit.
constexpr qint64 kSameVisitMs = 30 * 60 * 1000;

} // namespace

HistoryRecorder::HistoryRecorder(TabManager &tabs, history::HistoryService &history,
                                 QUrl favourites, QObject *parent)
    : QObject(parent), m_history(history), m_favourites(std::move(favourites)) {
    connect(&tabs, &TabManager::pageLoaded, this, &HistoryRecorder::loaded);
    connect(&tabs, &TabManager::pageTitleChanged, this, &HistoryRecorder::titleChanged);
}

bool HistoryRecorder::isRecorded(const QUrl &url, const QUrl &favourites) {
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("file"))
        return url.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery) !=
               favourites.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery);
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

void HistoryRecorder::loaded(browser::BrowserView *view, bool ok) {
    const QUrl url = view->url();
    if (!ok || !isRecorded(url, m_favourites))
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!m_last.contains(view))
        connect(view, &QObject::destroyed, this, [this, view] { m_last.remove(view); });
    LastVisit &last = m_last[view];
    if (last.url == url && now - last.time < kSameVisitMs) {
        m_history.setTitle(url.toString(QUrl::FullyEncoded), view->title());
        return;
    }
    last = {url, now};
    m_history.record(url.toString(QUrl::FullyEncoded), view->title(), now);
}

void HistoryRecorder::titleChanged(browser::BrowserView *view) {
    const auto last = m_last.constFind(view);
    if (last != m_last.cend() && last->url == view->url())
        m_history.setTitle(last->url.toString(QUrl::FullyEncoded), view->title());
}

} // namespace shell
