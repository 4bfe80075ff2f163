#pragma once

#include "menuroutes.h"

#include "editing/editingcommands.h"
#include "links/linkcommands.h"
#include "saving/pagesaver.h"
#include "serial/serialchain.h"
#include "text/clipboardcapture.h"
#include "text/textsaver.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace browser {
class BrowserView;
}

namespace shell {

class MainWindow;

// Runs what the toolbar's buttons and drop-down entries ask for: the dispatch, and the small
// operations of the shell itself (help and site pages, copy and paste, the paste menu, the
// default save folder, the page source, the plain-text dialog).
class Commands : public QObject {
    Q_OBJECT
public:
    explicit Commands(MainWindow &window);

    // A drop-down entry was chosen.
    void runMenuEntry(const QString &key, const QString &caption);
    // A button itself was clicked.
    void runButton(const QString &key);
    void run(Operation operation, const QString &argument = {}, const QString &caption = {});

    // The selected text of a view, through the clipboard: the clipboard is emptied, the
    // selection copied onto it and read back, trimmed of spaces. What was on the clipboard
    // before is gone, as when the user copies.
    QString copySelection(browser::BrowserView *view);

    // The menu entry "定义提取文件名的方式": turns the file-name extraction rule off, or asks
    // for its markers and turns it on. Returns whether it is on.
    bool toggleExtractionRule();
    const saving::ExtractionRule &extractionRule() const { return m_rule; }

    // Operations of the shell.
    void showHelpPage(const QString &fileName); // HelpPage, Origin
    void openSiteSearch(const QUrl &url);
    void openFavourites();  // OpenLink
    void copyToPasteMenu(); // copy
    void pasteClipboard();  // paste
    void pasteIntoField(const QString &caption);
    void clearPasteMenu();     // deletealltool
    void openEmailFile();      // openemail
    void createFolder();       // createfolder
    void viewSource();         // view_source
    void saveFullPage();       // saveadd
    void showSaveTextDialog(); // savetxt1
    bool saveTextToFolder(const QString &title, const QString &content);
    links::LinkCommands &links() { return m_links; }
    text::ClipboardCapture &capture() { return m_capture; }
    // The two capture modes, started and stopped by their menu entries.
    void toggleCapture(const QString &entryKey);
    bool isCapturing(const QString &entryKey) const;
    void showTemplateEditor(); // addt

private:
    bool warnIfBusy(browser::BrowserView *view);

    MainWindow &m_window;
    saving::ExtractionRule m_rule;
    saving::PageSaver m_pageSaver;
    text::TextSaver m_textSaver;
    links::LinkCommands m_links;
    editing::EditingCommands m_editing;
    text::ClipboardCapture m_capture;
    serial::SerialChain m_serial;
    QTimer m_changeTimer;   // Timer1
    QTimer m_titleTimer;    // Timer2
    bool m_running = false; // a command is at work
};

} // namespace shell
