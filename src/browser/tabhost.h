#pragma once

#include <QUrl>

namespace browser {

class BrowserView;

// The tabs as commands see them: positions count from 1, first tab first; a view number is
// the number in the tab's key ("WebPage" + number).
class TabHost {
public:
    virtual ~TabHost() = default;
    virtual BrowserView *currentView() const = 0;
    virtual int currentViewNumber() const = 0;
    virtual int tabCount() const = 0;
    virtual BrowserView *viewAtPosition(int position) const = 0;
    virtual int viewNumberAt(int position) const = 0;
    virtual void selectTab(int position) = 0;
    // Opens an address in a new tab by the new-tab rules; see TabManager::openInNewTab.
    virtual BrowserView *openInNewTab(const QUrl &url, bool skipThrottle = false,
                                      bool resetRepeatGuard = false) = 0;
    // Harvest opening, for commands that open many links at once: a new tab past the throttle
    // and the repeat guard, its page loading when its turn comes (a few load at a time).
    virtual BrowserView *openHarvested(const QUrl &url) = 0;
    // Reloads a view (after its file changed on disk).
    virtual void reloadView(BrowserView *view) = 0;
};

} // namespace browser
