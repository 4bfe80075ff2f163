// The main window's history: recording what the tabs load, the page that shows it, and what
// the user decides about it.
#include "mainwindow.h"

#include "addresscompleter.h"
#include "historyrecorder.h"
#include "tabmanager.h"
#include "windowentries.h"

#include "browser/browserview.h"
#include "commands/dialogs.h"
#include "history/historyservice.h"
#include "history/historysettings.h"

#include <QAction>

namespace shell {

namespace {

constexpr char kRecordEntry[] = "recordhistory"; // the menu entry's key

} // namespace

void MainWindow::startHistory() {
    if (m_history)
        return;
    m_history =
        new history::HistoryService(m_folder.filePath(QStringLiteral("history.sqlite")), this);
    connect(m_history, &history::HistoryService::failed, this,
            [this](const QString &message) { showNotice(message); });
    historySettings();
    m_recorder = new HistoryRecorder(*m_tabs, *m_history, m_historySettings,
                                     m_folder.favouritesUrl(), m_history);
    m_recorder->setIndex(m_index);
    m_completer->setHistory(m_history);
    showRecording(m_historySettings->recording());
}

// "记录历史" carries a check mark while recording is on.
void MainWindow::showRecording(bool on) {
    if (QAction *entry = m_entries->action(QLatin1String(kRecordEntry))) {
        entry->setCheckable(true);
        entry->setChecked(on);
    }
}

history::HistorySettings &MainWindow::historySettings() {
    if (!m_historySettings)
        m_historySettings = std::make_shared<history::HistorySettings>(
            m_folder.filePath(QStringLiteral("history.ini")));
    return *m_historySettings;
}

void MainWindow::openHistory() {
    openProgramPage(QStringLiteral("history"));
}

void MainWindow::toggleHistoryRecording() {
    const bool on = !historySettings().recording();
    QString error;
    if (!historySettings().setRecording(on, &error))
        showNotice(QStringLiteral("无法写入 history.ini：") + error);
    showRecording(on);
    setPanelText(Panel::Counts,
                 on ? QStringLiteral("记录历史：开") : QStringLiteral("记录历史：关"));
}

void MainWindow::excludeCurrentSite() {
    browser::BrowserView *view = m_tabs->currentView();
    const QString host = view ? history::hostOf(view->url().toString()) : QString();
    if (host.isEmpty()) {
        setPanelText(Panel::Counts, QStringLiteral("当前网页不属于哪个网站"));
        return;
    }
    QString error;
    if (!historySettings().exclude(host, &error))
        showNotice(QStringLiteral("无法写入 history.ini：") + error);
    if (!m_history) {
        setPanelText(Panel::Counts, QStringLiteral("不再记录 %1").arg(host));
        return;
    }
    m_history->remove(history::HistoryService::Removal::Site, host, [this, host](int removed) {
        setPanelText(
            Panel::Counts,
            removed < 0
                ? QStringLiteral("无法从历史记录中删除 %1").arg(host)
                : QStringLiteral("不再记录 %1，已删除它的 %2 条历史记录").arg(host).arg(removed));
    });
}

} // namespace shell
