// The main window's downloads: the folder they go to, their list window, and opening a
// finished one.
#include "mainwindow.h"

#include "downloadlist.h"
#include "downloads.h"
#include "downloadswindow.h"
#include "tabmanager.h"

#include "browser/browserview.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace shell {

void MainWindow::setDownloadFolder(const QString &folder) {
    m_downloads->setFolder(folder);
}

void MainWindow::showDownloads() {
    if (!m_downloadsWindow) {
        DownloadsWindow::Actions actions;
        actions.openFile = [this](const QString &path) { openDownloadedFile(path); };
        actions.openFolder = [this](const QString &folder) {
            m_tabs->bringToFront(m_tabs->openInNewTab(QUrl::fromLocalFile(folder), true, true));
        };
        actions.retry = [this](const QUrl &url) {
            if (browser::BrowserView *view = m_tabs->currentView())
                view->download(url);
        };
        actions.asksWhereToSave = [this] { return m_downloads->asksWhereToSave(); };
        actions.setAsksWhereToSave = [this](bool ask) { m_downloads->setAsksWhereToSave(ask); };
        m_downloadsWindow = new DownloadsWindow(*m_downloadList, std::move(actions), this);
    }
    m_downloadsWindow->show();
    m_downloadsWindow->raise();
    m_downloadsWindow->activateWindow();
}

// What the engine shows opens in a tab; anything else goes to the desktop's program for it.
void MainWindow::openDownloadedFile(const QString &path) {
    static const QStringList shown = {"htm", "html", "xhtml", "mht", "mhtml", "txt", "pdf",
                                      "png", "jpg",  "jpeg",  "gif", "webp",  "svg", "bmp"};
    const QUrl url = QUrl::fromLocalFile(path);
    if (shown.contains(QFileInfo(path).suffix().toLower()))
        m_tabs->bringToFront(m_tabs->openInNewTab(url, true, true));
    else
        QDesktopServices::openUrl(url);
}

} // namespace shell
