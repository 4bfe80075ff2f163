#include "seenlinks.h"

#include "tabmanager.h"

#include <QDateTime>
#include <QTimer>

namespace shell {

SeenLinks::SeenLinks(TabManager &tabs, const QString &recordPath, browser::StatusPanels &panels,
                     std::function<QString()> savePath)
    : QObject(&tabs), m_tabs(tabs), m_record(recordPath), m_panels(panels),
      m_savePath(std::move(savePath)) {
    // A record that cannot be read or rebuilt leaves the program without it, never stopped.
    m_record.load();
    connect(&tabs, &TabManager::addressChanged, this, &SeenLinks::showSaved);
}

browser::BrowserView *SeenLinks::openHarvested(const QUrl &url) {
    const QString address = url.toString();
    if (m_opened.isEmpty() && m_skipped == 0)
        QTimer::singleShot(0, this, &SeenLinks::flush); // once the batch has returned
    if (m_onlyNew && !address.isEmpty() && m_record.seen(address)) {
        ++m_skipped;
        return nullptr;
    }
    m_opened.append(address);
    return m_tabs.openHarvested(url);
}

// One write for the whole batch: the record is appended to once.
void SeenLinks::flush() {
    m_record.recordOpened(m_opened, QDateTime::currentSecsSinceEpoch());
    m_opened.clear();
    if (m_skipped > 0)
        m_panels.setPanelText(QStringLiteral("s2"),
                              QStringLiteral("跳过%1个打开过或保存过的链接").arg(m_skipped));
    m_skipped = 0;
}

void SeenLinks::noteSaved(const QUrl &url, const QString &fileName) {
    m_record.recordSaved(url.toString(), m_savePath(), fileName,
                         QDateTime::currentSecsSinceEpoch());
}

void SeenLinks::showSaved(const QString &address) {
    if (const auto saved = m_record.savedIn(address, m_savePath()))
        m_panels.setPanelText(QStringLiteral("s2"), QStringLiteral("已保存过：") + saved->fileName);
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
