#pragma once

#include "browser/tabpolicy.h"

#include <QUrl>

namespace browser {
class BrowserView;
}

namespace shell {

class TabManager;

// How the program asks for a new tab.
struct NewTabOptions {
    bool skipThrottle = false;     // lifts the 0.7 s throttle
    bool resetRepeatGuard = false; // afterwards any address passes the repeat guard again
};

// Opens new tabs under the repeat guard and the throttle (browser::NewWindowState). A tab made
// is a background tab after the last one; a refused request makes none.
class TabOpener {
public:
    explicit TabOpener(TabManager &tabs) : m_tabs(tabs) {}

    // A page asked for a new window onto `url`: the tab made for it navigates there at once,
    // unless the address is about:blank. True when a tab was made.
    bool openForPage(const QUrl &url);
    // The program's way: a tab is asked for without navigation, then the newest view
    // (TabManager::viewCount() - 1) is navigated to `url` unless it is about:blank, so a
    // refused request sends the address into the newest tab. Returns that view (null when the
    // newest view was closed).
    browser::BrowserView *open(const QUrl &url, NewTabOptions options = {});
    // A harvested link: a new tab past both guards, its page loading when the load queue gives
    // it a turn. Returns the tab's view.
    browser::BrowserView *openHarvested(const QUrl &url);
    // Lets the next request past the repeat guard whatever its address.
    void resetRepeatGuard() { m_state.forgetLastNewWindow(); }

    browser::NewWindowState &state() { return m_state; }

private:
    browser::BrowserView *requestTab(const QString &address, bool skipThrottle);

    TabManager &m_tabs;
    browser::NewWindowState m_state;
};

} // namespace shell
