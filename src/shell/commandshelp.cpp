#include "commands.h"

#include "mainwindow.h"
#include "tabmanager.h"
#include "toolbar.h"

#include "browser/browserview.h"

// The help pages, the site searches and the favourites page.
namespace shell {

using browser::BrowserView;

void Commands::showHelpPage(const QString &fileName) {
    const QUrl address = QUrl::fromLocalFile(m_window.programFolder().filePath(fileName));
    TabManager &tabs = m_window.tabs();
    if (m_window.toolbar().isChecked(QStringLiteral("new"))) {
        tabs.opener().resetRepeatGuard();
        tabs.openInNewTab(address);
    } else if (BrowserView *view = tabs.currentView()) {
        view->navigate(address);
    }
    tabs.opener().resetRepeatGuard();
}

void Commands::openSiteSearch(const QUrl &url) {
    m_window.tabs().openInNewTab(url);
    m_window.tabs().selectNewestTabLater();
}

void Commands::openFavourites() {
    showHelpPage(QStringLiteral("link.htm"));
}

} // namespace shell
