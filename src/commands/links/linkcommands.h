#pragma once

#include "commands/savesteps.h"
#include "common/ansifile.h"
#include "common/programfolder.h"
#include "links/favouriteswrite.h"
#include "links/linkscanner.h"

#include <functional>

namespace commands {

// The link commands: opening the links of a page, of the selection, of a file or folder by
// the hundred; the favourites page; href.txt and the directory page; e-mail harvesting.
class LinkCommands {
public:
    // `addPasteEntry` adds an entry (key and caption) to the paste button's menu; false when
    // the key is there already.
    LinkCommands(CommandContext &context, const common::ProgramFolder &folder,
                 std::function<bool(const QString &, const QString &)> addPasteEntry,
                 std::function<bool()> newTabToggle);

    // OpenAllWFromC, OpenPageA, OpenAllXFromC, OpenAllJFromC
    common::Task<> openPageLinks(links::LinkCommand command);
    common::Task<> openSelectedLinks(); // OpenSelectA
    common::Task<> openUrlsInFile();    // openFurl
    common::Task<> openFolderPages();   // OpenM
    void openHardWebPage();             // OpenHardWebPage
    void openFolderListing();           // OpenMkw

    common::Task<> saveToHref();          // SaveToHref
    void saveDirectoryPage();             // SaveSydz
    common::Task<> saveEmails();          // SaveE
    common::Task<> saveEmailsOfAllTabs(); // saveee: every tab, from the last, with 停止
    common::Task<> emailsToPasteMenu();   // SaveEtoM

    void saveCurrentToLink(); // SaveCurrentToLink
    void favouritesButton(browser::BrowserView *view, const QString &buttonName); // edit or delete

private:
    void openSingle(const QUrl &url);
    QString chooseFolder();
    void countOpened(int count);
    bool writeFavourites(const common::TextFileContent &read, const QString &changed,
                         links::favourites::Change change);

    CommandContext &m_context;
    common::ProgramFolder m_folder;
    SaveSteps m_steps;
    std::function<bool(const QString &, const QString &)> m_addPasteEntry;
    std::function<bool()> m_newTabToggle;
};

} // namespace commands
