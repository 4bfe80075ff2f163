#include "webenginepage.h"

#include "webengineview.h"

#include "browser/localpages.h"

namespace browser {

WebEnginePage::WebEnginePage(QWebEngineProfile *profile, WebEngineView *owner)
    : QWebEnginePage(profile, owner), m_owner(owner) {
    connect(this, &QWebEnginePage::loadFinished, this, [this] { m_leaving = false; });
}

bool WebEnginePage::acceptNavigationRequest(const QUrl &url, NavigationType type,
                                            bool isMainFrame) {
    // Clicks on the favourites page's buttons arrive as navigations to this private scheme.
    if (url.scheme() == QLatin1String("favcmd")) {
        if (isMainFrame) {
            m_refusedLeave = url; // the engine ends this "load" as failed: no failure to report
            m_owner->reportFavouritesCommand(url.path());
        }
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
    // Typed: load() by the program; history steps are not links the user followed either.
    const bool byProgram = type == NavigationTypeTyped || type == NavigationTypeBackForward ||
                           (isMainFrame && !m_ownNavigation.isEmpty() && url == m_ownNavigation);
    const bool redirect = type == NavigationTypeRedirect;
    if (isMainFrame)
        m_ownNavigation.clear();
    if (!mayLeave(url, isMainFrame, byProgram, redirect))
        return false;
    NavigationRequest request;
    request.url = url;
    request.isMainFrame = isMainFrame;
    // Server redirects continue a navigation already decided.
    request.ownNavigation = byProgram || redirect;
    return m_owner->decideNavigation(request);
}

// A page read from the disk goes out to the network only where the program or the user sends
// it. The engine's "redirect" also stands for a meta refresh or a script's navigation during
// the load: from a local page it goes on only while a navigation that was let out is under
// way (that navigation's server redirects).
bool WebEnginePage::mayLeave(const QUrl &url, bool isMainFrame, bool byProgram, bool redirect) {
    PageRequest request;
    request.fromLocalPage = isLocalDocument(this->url());
    request.target = url;
    request.kind = isMainFrame ? PageRequest::Kind::MainFrame : PageRequest::Kind::Frame;
    request.byUser = byProgram || (redirect ? m_leaving : m_owner->followsUserInput());
    const bool allowed = mayGoOn(request);
    if (!allowed && isMainFrame)
        m_refusedLeave = url;
    if (isMainFrame && !redirect)
        m_leaving = allowed && request.fromLocalPage && reachesOut(url);
    return allowed;
}

} // namespace browser
