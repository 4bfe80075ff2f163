#pragma once

#include "commands/commandcontext.h"
#include "common/programfolder.h"
#include "common/task.h"

#include <QObject>

#include <functional>

namespace commands {

// The save menu's file commands: the e-mail file and the save folder shown in a tab, a new
// save folder, the page source, the engine's whole-page save, printing to PDF and the
// plain-text dialog.
class FileCommands : public QObject {
public:
    // `savePathChanged` is told of the folder createFolder made the default save folder.
    FileCommands(CommandContext &context, const common::ProgramFolder &folder,
                 std::function<void(const QString &)> savePathChanged);

    void openEmailFile();          // openemail
    void openSaveFolder();         // displaypath
    void createFolder();           // createfolder
    common::Task<> viewSource();   // view_source
    common::Task<> saveFullPage(); // saveadd: one file, a folder of parts, or MHTML
    // "打印为PDF": the current page into a PDF file in the save folder, named after its title.
    void printToPdf();         // printpdf
    void showSaveTextDialog(); // savetxt1
    bool saveTextToFolder(const QString &title, const QString &content);

private:
    // Opens `url` in a new tab and shows it.
    void showInNewTab(const QUrl &url);

    CommandContext &m_context;
    common::ProgramFolder m_folder;
    std::function<void(const QString &)> m_savePathChanged;
};

} // namespace commands
