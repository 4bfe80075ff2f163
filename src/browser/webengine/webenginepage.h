#pragma once

#include <QUrl>
#include <QWebEnginePage>

#include <utility>

namespace browser {

class WebEngineView;

// The engine page of one view: hands navigation requests to the view's rules, turns the
// engine's own new windows into requests, and keeps script messages quiet. A local page's
// navigations out to the network go on only when the program or the user started them.
class WebEnginePage : public QWebEnginePage {
    Q_OBJECT
public:
    WebEnginePage(QWebEngineProfile *profile, WebEngineView *owner);

    // The next main-frame navigation to `url` is the program's own.
    void markOwnNavigation(const QUrl &url) { m_ownNavigation = url; }
    WebEngineView *owner() const { return m_owner; }
    // The address a local page tried to leave for on its own and was kept from, since the last
    // call; empty when none.
    QUrl takeRefusedLeave() { return std::exchange(m_refusedLeave, QUrl()); }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int,
                                  const QString &) override {}

private:
    bool mayLeave(const QUrl &url, bool isMainFrame, bool byProgram, bool redirect);

    WebEngineView *m_owner;
    QUrl m_ownNavigation;
    bool m_leaving = false; // a navigation from a local page out to the network is under way
    QUrl m_refusedLeave;
};

} // namespace browser
