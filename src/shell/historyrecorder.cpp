#include "historyrecorder.h"

#include "tabmanager.h"

#include "browser/browserview.h"
#include "fulltext/indexservice.h"
#include "history/historyservice.h"
#include "history/historysettings.h"

#include <QDateTime>
#include <QTimer>

namespace shell {

namespace {

// A tab that comes back to the address it showed within this time makes no new visit.
constexpr qint64 kSameVisitMs = 30 * 60 * 1000;
// A page that does not answer when its text is asked for is asked again this much later
// (times the attempt), at most this many times.
constexpr int kTextRetryMs = 500;
constexpr int kTextAttempts = 3;
constexpr qsizetype kMaxMarkupChars = 4 << 20;

} // namespace

HistoryRecorder::HistoryRecorder(TabManager &tabs, history::HistoryService &history,
                                 std::shared_ptr<const history::HistorySettings> settings,
                                 QUrl favourites, QObject *parent)
    : QObject(parent), m_tabs(tabs), m_history(history), m_settings(std::move(settings)),
      m_favourites(std::move(favourites)) {
    connect(&tabs, &TabManager::pageLoaded, this, &HistoryRecorder::loaded);
    connect(&tabs, &TabManager::pageTitleChanged, this, &HistoryRecorder::titleChanged);
    connect(&tabs, &TabManager::tabsChanged, this, &HistoryRecorder::currentMayHaveChanged);
    connect(&history, &history::HistoryService::removing, this, &HistoryRecorder::removing);
}

void HistoryRecorder::removing(history::HistoryService::Removal what, const QVariant &value) {
    using Removal = history::HistoryService::Removal;
    // A page read again today after its history went is taken again.
    m_textTaken.clear();
    if (!m_index)
        return;
    switch (what) {
    case Removal::Site:
        m_index->removeRead(value.toString());
        break;
    case Removal::Since:
        m_index->removeRead(QString(), value.toLongLong() / 1000);
        break;
    case Removal::All:
        m_index->removeRead(QString());
        break;
    case Removal::Page:
        m_index->removeReadPage(value.toString());
        break;
    case Removal::Visit:
        break; // one visit of many: the page's text stays while the page is in the history
    }
}

HistoryRecorder::~HistoryRecorder() = default;

bool HistoryRecorder::isRecorded(const QUrl &url, const QUrl &favourites) {
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("file"))
        return url.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery) !=
               favourites.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery);
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

void HistoryRecorder::loaded(browser::BrowserView *view, bool ok) {
    const QUrl url = view->url();
    const QString address = url.toString(QUrl::FullyEncoded);
    if (!ok || !isRecorded(url, m_favourites) || !m_settings->records(address))
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!m_last.contains(view))
        connect(view, &QObject::destroyed, this, [this, view] {
            m_last.remove(view);
            m_textWaiting.remove(view);
        });
    LastVisit &last = m_last[view];
    if (last.url == url && now - last.time < kSameVisitMs) {
        m_history.setTitle(address, view->title());
    } else {
        last = {url, now};
        m_history.record(address, view->title(), now);
    }
    if (!m_index || m_textTaken.value(address) == QDate::currentDate())
        return;
    if (view == m_tabs.currentView())
        takeTextSoon(view, url);
    else
        m_textWaiting.insert(view, url);
}

void HistoryRecorder::takeTextSoon(browser::BrowserView *view, const QUrl &url, int delayMs,
                                   int attempt) {
    // Never from inside the engine's signals: a script run from there may get no answer.
    QTimer::singleShot(delayMs, this,
                       [this, page = QPointer<browser::BrowserView>(view), url, attempt] {
                           if (page && page->url() == url)
                               takeText(page, url, attempt);
                       });
}

void HistoryRecorder::currentMayHaveChanged() {
    browser::BrowserView *view = m_tabs.currentView();
    const auto waiting = m_textWaiting.constFind(view);
    if (!view || waiting == m_textWaiting.cend())
        return;
    const QUrl url = *waiting;
    m_textWaiting.erase(waiting);
    takeTextSoon(view, url);
}

void HistoryRecorder::takeText(browser::BrowserView *view, const QUrl &url, int attempt) {
    const QString address = url.toString(QUrl::FullyEncoded);
    m_textTaken.insert(address, QDate::currentDate());
    QPointer<browser::BrowserView> page(view);
    view->readPage([this, page, url, address, attempt](const browser::PageRead &read) {
        // The page may have gone elsewhere meanwhile, or the user may have changed their mind.
        if (!page || page->url() != url || !m_index || !m_settings->records(address))
            return;
        if (read.status != browser::PageRead::Status::Read) {
            // A page just loaded may not answer yet (its scripts still starting): asked again
            // a little later, a few times.
            if (attempt < kTextAttempts)
                takeTextSoon(page, url, kTextRetryMs * (attempt + 1), attempt + 1);
            else
                m_textTaken.remove(address); // taken at its next visit
            return;
        }
        fulltext::ReadPage text;
        text.address = address;
        text.title = page->title();
        text.time = QDateTime::currentSecsSinceEpoch();
        // The text kept is 200 KB at most: a huge page's markup past this is never needed.
        text.html = read.html.left(kMaxMarkupChars);
        m_index->noteRead(text);
    });
}

void HistoryRecorder::titleChanged(browser::BrowserView *view) {
    const auto last = m_last.constFind(view);
    if (last != m_last.cend() && last->url == view->url())
        m_history.setTitle(last->url.toString(QUrl::FullyEncoded), view->title());
}

} // namespace shell
