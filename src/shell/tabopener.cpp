#include "tabopener.h"

#include "loadqueue.h"
#include "tabmanager.h"

#include "browser/browserview.h"

namespace shell {

using browser::BrowserView;

namespace {

bool isBlank(const QString &address) {
    return address == QLatin1String("about:blank");
}

} // namespace

BrowserView *TabOpener::requestTab(const QString &address, bool skipThrottle) {
    if (!m_state.allowNewTab(address, m_tabs.now(), skipThrottle))
        return nullptr;
    return m_tabs.addBackgroundTab();
}

bool TabOpener::openForPage(const QUrl &url) {
    // The page names the address it wants; the hovered link may be another (window.open).
    const QString address = url.toString();
    BrowserView *view = requestTab(address, false);
    if (view && !isBlank(address))
        view->navigate(QUrl(address));
    return view != nullptr;
}

BrowserView *TabOpener::open(const QUrl &url, NewTabOptions options) {
    requestTab(url.toString(), options.skipThrottle);
    BrowserView *newest = m_tabs.viewAt(m_tabs.viewCount() - 1);
    if (newest && !isBlank(url.toString()))
        newest->navigate(url);
    if (options.resetRepeatGuard)
        resetRepeatGuard();
    return newest;
}

BrowserView *TabOpener::openHarvested(const QUrl &url) {
    // A refused request would send the link into the newest existing tab, replacing its page.
    resetRepeatGuard();
    BrowserView *view =
        open(QUrl(QStringLiteral("about:blank")), {.skipThrottle = true, .resetRepeatGuard = true});
    if (view && !url.isEmpty() && !isBlank(url.toString()))
        m_tabs.loadQueue().navigate(view, url);
    return view;
}

} // namespace shell
