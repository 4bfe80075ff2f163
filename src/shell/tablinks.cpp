#include "tablinks.h"

#include "tabmanager.h"
#include "tabopener.h"

#include <QTimer>

namespace shell {

using browser::BrowserView;

TabLinks::TabLinks(TabManager &tabs) : QObject(&tabs), m_tabs(tabs) {}

void TabLinks::handleStatusText(const QString &text) {
    m_statusText = text;
    emit hoverTextChanged(text);
    if (!m_tabs.toggle(QStringLiteral("openi")) || text == m_lastHoverOpened ||
        !(text.startsWith(QLatin1String("http")) || text.startsWith(QLatin1String("file"))))
        return;
    for (BrowserView *view : m_tabs.viewsInTabOrder()) {
        if (view->url().toString() == text)
            return;
    }
    m_lastHoverOpened = text;
    // Opening a tab makes the engine report again: never inside its own callback.
    QTimer::singleShot(0, this,
                       [this, text] { m_tabs.opener().open(QUrl(text), {.skipThrottle = true}); });
}

bool TabLinks::acceptNavigation(BrowserView *view, const browser::NavigationRequest &request) {
    browser::NavigationPolicy::Context context;
    context.statusText = m_statusText;
    context.isMainFrame = request.isMainFrame;
    context.ownNavigation = request.ownNavigation;
    context.newToggleOn = m_tabs.toggle(QStringLiteral("new"));
    BrowserView *current = m_tabs.currentView();
    // Only what starts in the favourites page itself: a page loading behind it (its frames,
    // its own redirects) goes on where it is.
    context.currentIsFavourites =
        current && current == view && current->url() == m_tabs.favouritesUrl();
    if (m_policy.decide(context, m_tabs.now()) == browser::NavigationAction::Proceed)
        return true;
    const QUrl url = request.url;
    // A favourite clicked comes to the front; a link followed with "new" on stays behind.
    const bool show = context.currentIsFavourites;
    QTimer::singleShot(0, this, [this, url, show] {
        BrowserView *opened = m_tabs.opener().open(url);
        if (show)
            m_tabs.bringToFront(opened);
    });
    return false;
}

} // namespace shell
