#pragma once

#include "browser/tabhost.h"
#include "commands/commandcontext.h"
#include "common/programfolder.h"

#include <QMainWindow>

#include <functional>

#include <memory>

class QComboBox;
class QAction;
class QCloseEvent;

namespace browser {
class ViewFactory;
}

namespace fulltext {
class IndexService;
}
namespace history {
class HistoryService;
class HistorySettings;
} // namespace history

namespace shell {

class Commands;
class SeenLinks;
class Downloads;
class DownloadList;
class DownloadsWindow;
class AddressCompleter;
class FindBar;
class HistoryRecorder;
class SessionKeeper;
class StatusBarPanels;
class TabMemoryKeeper;
class TabManager;
class Toolbar;
class WindowEntries;
class WindowUpdates;

// The main window: toolbar, address box, tab strip with the views, the status bar's panels
// and the menu bar "保存" (the entries from the command table). Start-up runs in the
// constructor.
class MainWindow : public QMainWindow, public commands::StatusPanels {
    Q_OBJECT
public:
    // `dialogs` may be null: Qt's own dialogs are used then.
    // `dialogs` and `clipboard` may be null: Qt's own dialogs and the system clipboard then.
    MainWindow(const common::ProgramFolder &folder, browser::ViewFactory &factory,
               commands::Dialogs *dialogs = nullptr, commands::Clipboard *clipboard = nullptr);
    ~MainWindow() override;

    const common::ProgramFolder &programFolder() const { return m_folder; }
    QString savePath() const { return m_savePath; }
    void setSavePath(const QString &folder);
    // Where the engine's downloads go (the desktop's download folder unless set).
    void setDownloadFolder(const QString &folder);

    TabManager &tabs() const { return *m_tabs; }
    Commands &commands() const { return *m_commands; }
    SeenLinks &seenLinks() const { return *m_seenLinks; }
    Toolbar &toolbar() const { return *m_toolbar; }
    commands::Dialogs &dialogs() const { return *m_dialogs; }
    commands::CommandContext &context() { return *m_context; }
    commands::Clipboard &clipboard() const { return *m_clipboard; }
    QComboBox &addressBox() const { return *m_addressBox; }
    FindBar &findBar() const { return *m_findBar; }

    // The status bar's panels; Panel::Address writes the address box at
    // once. The panels repaint at most ~10 times a second (WindowUpdates): panelText() is the
    // latest text at once, the label may show it up to 100 ms later.
    void setPanelText(commands::Panel panel, const QString &text) override;
    // Held for a while (StatusBarPanels::kNoticeMs): what s2 says meanwhile follows it.
    void showNotice(const QString &text) override;
    // The latest text of the panel with that widget name ("s1", "s2", "s4").
    QString panelText(const QString &widgetName) const;
    WindowEntries &entries() const { return *m_entries; }
    // Runs `action` as a command of its own (one command at a time); false, with a word in
    // s2, while another runs.
    bool runCommand(const QString &name, std::function<void()> action);

    // The text of the `displaypath` entry for a folder.
    static QString displayPathCaption(const QString &folder);

    void setSavePathFromDialog(); // SetSavePath
    // The address box's Enter: the address (or a search for the words) in a new tab, shown.
    void openAddress(const QString &address);
    // A row chosen from the list under the address box, in a new tab, shown.
    void openChosenAddress(const QString &address);
    // A new tab on the favourites page, shown (Ctrl+T).
    void openFavouritesTab();
    // A new tab on the page "搜索已保存的网页", shown (Ctrl+Shift+F).
    void openSavedSearch();
    // "定义提取文件名的方式": the rule on or off; the entry's caption says which.
    void toggleExtractionRule();
    void showDownloads(); // 下载列表, Ctrl+J
    // A new tab on the page "历史记录", shown (Ctrl+H).
    void openHistory();
    // Records every page the tabs load in the data folder's history.sqlite from now on.
    void startHistory();
    history::HistoryService *historyService() const { return m_history; }
    // "记录历史": recording of history (and of the text of pages read) off or on.
    void toggleHistoryRecording();
    // "不记录这个网站": the current page's site kept out of history and index from now on, and
    // what they hold of it removed.
    void excludeCurrentSite();
    // Keeps the full-text index of the save folder up to date from now on, in the
    // background: every page saved is indexed when written, the folder when it changes.
    void startIndexing();
    // The same once the first page has loaded (or a few seconds have passed without one): its
    // thread, the watch and the scan of the save folder take nothing from the first page.
    void startIndexingAfterFirstPage();
    DownloadList &downloadList() const { return *m_downloadList; }
    void focusAddressBox();   // Ctrl+L
    void switchTab(int step); // Ctrl+Tab, Ctrl+Shift+Tab
    void zoom(double factor); // the page's zoom times `factor`; 0 goes back to 100%
    SessionKeeper &session() const { return *m_session; }
    TabMemoryKeeper &tabMemory() const { return *m_tabMemory; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    using Panel = commands::Panel;
    void buildLayout();
    void openFavouritesPage();
    void startUp();
    void addStartupMenuEntries();
    void openDownloadedFile(const QString &path);
    void setAddressText(const QString &text);
    void showUpdate(const QString &key, const QString &text); // from m_updates
    // The address (or a search for the words) typed, in a new tab shown; false for no text.
    bool openInFront(const QString &typed, bool skipThrottle);
    // A new tab on the program's page `name`, shown; what is typed at once goes into it.
    void openProgramPage(const QString &name);
    void showRecording(bool on);

    common::ProgramFolder m_folder;
    browser::ViewFactory &m_factory;
    QString m_savePath;
    std::unique_ptr<commands::Dialogs> m_ownDialogs;
    commands::Dialogs *m_dialogs;
    std::unique_ptr<commands::Clipboard> m_ownClipboard;
    commands::Clipboard *m_clipboard;
    std::unique_ptr<commands::CommandContext> m_context;
    TabManager *m_tabs = nullptr;
    Commands *m_commands = nullptr;
    SeenLinks *m_seenLinks = nullptr; // the tabs as the commands reach them
    Downloads *m_downloads = nullptr;
    DownloadList *m_downloadList = nullptr;
    fulltext::IndexService *m_index = nullptr;    // none until startIndexing()
    history::HistoryService *m_history = nullptr; // none until startHistory()
    HistoryRecorder *m_recorder = nullptr;
    // The user's choices about the history (history.ini), read when first needed.
    history::HistorySettings &historySettings();
    std::shared_ptr<history::HistorySettings> m_historySettings;
    AddressCompleter *m_completer = nullptr;
    DownloadsWindow *m_downloadsWindow = nullptr; // made when first shown
    FindBar *m_findBar = nullptr;
    Toolbar *m_toolbar = nullptr;
    QComboBox *m_addressBox = nullptr;
    StatusBarPanels *m_panels = nullptr;
    WindowEntries *m_entries = nullptr;
    WindowUpdates *m_updates = nullptr; // panels, caption and the address box, coalesced
    SessionKeeper *m_session = nullptr;
    TabMemoryKeeper *m_tabMemory = nullptr;
};

} // namespace shell
