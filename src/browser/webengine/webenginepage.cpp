#include "webenginepage.h"

#include "webengineview.h"

namespace browser {

WebEnginePage::WebEnginePage(QWebEngineProfile *profile, WebEngineView *owner)
    : QWebEnginePage(profile, owner), m_owner(owner) {}

bool WebEnginePage::acceptNavigationRequest(const QUrl &url, NavigationType type,
                                            bool isMainFrame) {
    // Clicks on the favourites page's buttons arrive as navigations to this private scheme.
    if (url.scheme() == QLatin1String("favcmd")) {
        if (isMainFrame)
            m_owner->reportFavouritesCommand(url.path());
        return false;
    }
    // A reload is never sent elsewhere, whatever the rules: let it go on without asking them.
    // A discarded page comes back through a reload, while the engine is still putting it
    // together; asking the rules then read the half-made page and crashed the program.
    if (type == NavigationTypeReload) {
        if (isMainFrame)
            m_ownNavigation.clear();
        return true;
    }
    NavigationRequest request;
    request.url = url;
    request.isMainFrame = isMainFrame;
    // Typed: load() by the program; reloads, history steps and server redirects are not
    // links the user followed.
    request.ownNavigation = type == NavigationTypeTyped || type == NavigationTypeRedirect ||
                            type == NavigationTypeBackForward ||
                            (isMainFrame && !m_ownNavigation.isEmpty() && url == m_ownNavigation);
    if (isMainFrame)
        m_ownNavigation.clear();
    return m_owner->decideNavigation(request);
}

} // namespace browser
