// The main window's history: recording what the tabs load, and the page that shows it.
#include "mainwindow.h"

#include "historyrecorder.h"
#include "tabmanager.h"
#include "typeahead.h"

#include "common/urlrules.h"
#include "history/historyservice.h"

namespace shell {

void MainWindow::startHistory() {
    if (m_history)
        return;
    m_history =
        new history::HistoryService(m_folder.filePath(QStringLiteral("history.sqlite")), this);
    connect(m_history, &history::HistoryService::failed, this,
            [this](const QString &message) { showNotice(message); });
    new HistoryRecorder(*m_tabs, *m_history, m_folder.favouritesUrl(), m_history);
}

void MainWindow::openHistory() {
    browser::BrowserView *page =
        m_tabs->openInNewTab(common::programPageUrl(QStringLiteral("history")), true, true);
    m_tabs->bringToFront(page);
    TypeAhead::keep(page);
}

} // namespace shell
