#pragma once

#include "browser/browserview.h"
#include "browser/tabpolicy.h"

#include <QObject>
#include <QString>

namespace shell {

class TabManager;

// Where the pages' links go. The engine's status text (the hovered link) is kept for the
// before-navigation rules (browser::NavigationPolicy): with the "new" toggle on a followed link
// opens in a background tab, and a favourite clicked on the favourites page in a tab shown at
// once. With the "openi" toggle, each newly hovered link that no tab shows opens in a tab.
class TabLinks : public QObject, public browser::NavigationHandler {
    Q_OBJECT
public:
    explicit TabLinks(TabManager &tabs);

    void handleStatusText(const QString &text);
    QString statusText() const { return m_statusText; }
    browser::NavigationPolicy &policy() { return m_policy; }

    bool acceptNavigation(browser::BrowserView *view,
                          const browser::NavigationRequest &request) override;

signals:
    void hoverTextChanged(const QString &text);

private:
    TabManager &m_tabs;
    QString m_statusText;
    QString m_lastHoverOpened;
    browser::NavigationPolicy m_policy;
};

} // namespace shell
