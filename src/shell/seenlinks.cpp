#include "seenlinks.h"

#include "tabmanager.h"

#include <QDateTime>
#include <QTimer>

#include <memory>

namespace shell {

using commands::Panel;

SeenLinks::SeenLinks(TabManager &tabs, const QString &recordPath, commands::StatusPanels &panels,
                     std::function<QString()> savePath)
    : QObject(&tabs), m_tabs(tabs), m_record(recordPath), m_panels(panels),
      m_savePath(std::move(savePath)) {
    // A record that cannot be read or rebuilt leaves the program without it, never stopped.
    m_record.load();
    m_writeTimer.setSingleShot(true);
    m_writeTimer.setInterval(1000);
    connect(&m_writeTimer, &QTimer::timeout, this, &SeenLinks::writeOpened);
    connect(&tabs, &TabManager::addressChanged, this, &SeenLinks::showSaved);
}

SeenLinks::~SeenLinks() {
    writeOpened();
}

browser::BrowserView *SeenLinks::openHarvested(const QUrl &url) {
    const QString address = url.toString();
    if (m_skipped == 0)
        QTimer::singleShot(0, this, &SeenLinks::reportSkipped); // once the batch has returned
    if (m_onlyNew && !address.isEmpty() && m_record.seen(address)) {
        ++m_skipped;
        return nullptr;
    }
    browser::BrowserView *view = m_tabs.openHarvested(url);
    if (view && !address.isEmpty())
        recordWhenOpened(view, address);
    return view;
}

// An address counts as opened when its page has loaded, not when its tab is queued: a batch
// stopped halfway leaves the rest for the next "只打开新的链接".
void SeenLinks::recordWhenOpened(browser::BrowserView *view, const QString &address) {
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(view, &browser::BrowserView::documentComplete, this,
                          [this, view, address, connection](const QUrl &, bool ok) {
                              if (!view->queuedAddress().isEmpty())
                                  return; // not its turn yet
                              disconnect(*connection);
                              if (!ok)
                                  return;
                              m_opened.append(address);
                              if (!m_writeTimer.isActive())
                                  m_writeTimer.start();
                          });
}

// Few writes for a whole batch: what loaded in the last second is appended at once.
void SeenLinks::writeOpened() {
    if (m_opened.isEmpty())
        return;
    m_record.recordOpened(m_opened, QDateTime::currentSecsSinceEpoch());
    m_opened.clear();
}

void SeenLinks::reportSkipped() {
    if (m_skipped > 0)
        m_panels.setPanelText(Panel::Message,
                              QStringLiteral("跳过%1个打开过或保存过的链接").arg(m_skipped));
    m_skipped = 0;
}

void SeenLinks::noteSaved(const QUrl &url, const QString &fileName) {
    m_record.recordSaved(url.toString(), m_savePath(), fileName,
                         QDateTime::currentSecsSinceEpoch());
}

void SeenLinks::showSaved(const QString &address) {
    if (const auto saved = m_record.savedIn(address, m_savePath()))
        m_panels.setPanelText(Panel::Message, QStringLiteral("已保存过：") + saved->fileName);
}

browser::BrowserView *SeenLinks::currentView() const {
    return m_tabs.currentView();
}
int SeenLinks::currentViewNumber() const {
    return m_tabs.currentViewNumber();
}
int SeenLinks::tabCount() const {
    return m_tabs.tabCount();
}
browser::BrowserView *SeenLinks::viewAtPosition(int position) const {
    return m_tabs.viewAtPosition(position);
}
int SeenLinks::viewNumberAt(int position) const {
    return m_tabs.viewNumberAt(position);
}
void SeenLinks::selectTab(int position) {
    m_tabs.selectTab(position);
}
browser::BrowserView *SeenLinks::openInNewTab(const QUrl &url, bool skipThrottle,
                                              bool resetRepeatGuard) {
    return m_tabs.openInNewTab(url, skipThrottle, resetRepeatGuard);
}
void SeenLinks::reloadView(browser::BrowserView *view) {
    m_tabs.reloadView(view);
}

} // namespace shell
