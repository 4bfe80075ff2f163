#pragma once

#include "downloadqueue.h"

#include "commands/commandrunner.h"
#include "commands/editing/editingcommands.h"
#include "commands/editing/groupsaver.h"
#include "commands/editing/pagedeletions.h"
#include "commands/editing/pastemenu.h"
#include "commands/links/harvestcommands.h"
#include "commands/links/linkcommands.h"
#include "commands/save/clipboardcapture.h"
#include "commands/save/filecommands.h"
#include "commands/save/pagesaver.h"
#include "commands/save/textsaver.h"
#include "commands/save/wholepagesaver.h"
#include "commands/serial/serialchain.h"

#include <QObject>
#include <QString>

namespace browser {
class BrowserView;
}

namespace shell {

class MainWindow;
class TabManager;
struct CommandEntry;
struct MenuChoice;

// Runs what the window's entries ask for (the rows of the command table, commandtable.cpp,
// say which key runs what; the commands themselves are in commands/), and the few that only
// change the window: help and site pages (commandshelp.cpp), the capture and link toggles.
class Commands : public QObject {
    Q_OBJECT
public:
    explicit Commands(MainWindow &window);

    // A drop-down entry was chosen. Refused, with a word in s2, while another command runs.
    void runMenuEntry(const QString &key, const QString &caption = {});
    // A button itself was clicked; refused the same way.
    void runButton(const QString &key);
    // The command of a key of the menu bar, the tab menu or a shortcut (commandForKey).
    void runKey(const QString &key, const MenuChoice &choice);
    void runKey(const QString &key);
    // Runs `job` as a command named `name`, or tells in s2 what runs instead; true when it ran.
    bool runNow(const QString &name, commands::CommandRunner::Job job);
    // A key handed over by another start: it runs when its turn comes, and `done` is told
    // then. False, and nothing queued, for a key no entry has.
    bool enqueueMenuKey(const QString &key, std::function<void()> done);
    // Whether a row of the command table, or an entry added since, has the key.
    bool knowsKey(const QString &key) const;
    commands::CommandRunner &runner() { return m_runner; }

    MainWindow &window() const { return m_window; }
    TabManager &tabs() const;
    commands::PageSaver &pageSaver() { return m_pageSaver; }
    commands::WholePageSaver &wholePageSaver() { return m_wholePageSaver; }
    commands::SerialChain &serial() { return m_serial; }
    commands::TextSaver &textSaver() { return m_textSaver; }
    commands::LinkCommands &links() { return m_links; }
    commands::EditingCommands &editing() { return m_editing; }
    commands::HarvestCommands &harvest() { return m_harvest; }
    commands::GroupSaver &groups() { return m_groups; }
    commands::PageDeletions &deletions() { return m_deletions; }
    DownloadQueue &downloadQueue() { return m_downloadQueue; }
    commands::ClipboardCapture &capture() { return m_capture; }
    commands::FileCommands &files() { return m_files; }
    commands::PasteMenu &pasteMenu() { return m_pasteMenu; }

    // The menu entry "定义提取文件名的方式": turns the file-name extraction rule off, or asks
    // for its markers and turns it on. Returns whether it is on.
    bool toggleExtractionRule();
    const commands::ExtractionRule &extractionRule() const { return m_rule; }

    // Operations of the shell.
    void showHelpPage(const QString &fileName); // HelpPage, Origin
    void openSiteSearch(const QUrl &url);
    void openFavourites(); // OpenLink
    // The two capture modes, started and stopped by their menu entries.
    void toggleCapture(const QString &entryKey);
    bool isCapturing(const QString &entryKey) const;
    void showTemplateEditor(); // addt
    void toggleOnlyNewLinks(); // onlynew: batches skip links opened or saved before

private:
    void run(const CommandEntry &row, const MenuChoice &choice);
    // The s2 line while `running` keeps another command from starting.
    void tellBusy();

    MainWindow &m_window;
    commands::CommandRunner m_runner;
    bool m_handingOver = false;               // a handed-over key's entry is being chosen
    commands::CommandRunner::Job m_handedJob; // the command it started
    commands::ExtractionRule m_rule;
    commands::PageSaver m_pageSaver;
    commands::WholePageSaver m_wholePageSaver;
    commands::TextSaver m_textSaver;
    commands::LinkCommands m_links;
    commands::EditingCommands m_editing;
    DownloadQueue m_downloadQueue;
    commands::HarvestCommands m_harvest;
    commands::GroupSaver m_groups;
    commands::PageDeletions m_deletions;
    commands::ClipboardCapture m_capture;
    commands::SerialChain m_serial;
    commands::FileCommands m_files;
    commands::PasteMenu m_pasteMenu;
};

} // namespace shell
