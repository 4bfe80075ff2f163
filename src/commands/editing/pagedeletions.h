#pragma once

#include "commands/savesteps.h"
#include "common/programfolder.h"

namespace commands {

// Deleting the selected text from pages beyond the current one's plain text: links whose
// text is the selection (deleteselectfromc2), and either kind from every open page
// (deleteselectfromall, deleteselectfromall2). Pages change in memory only; the favourites
// page is changed by its own commands only.
class PageDeletions {
public:
    PageDeletions(CommandContext &context, const common::ProgramFolder &folder)
        : m_context(context), m_folder(folder), m_steps(context) {}

    common::Task<> deleteLinksFromCurrentPage();   // deleteselectfromc2
    common::Task<> deleteFromAllPages(bool links); // deleteselectfromall, deleteselectfromall2

private:
    QString selectionOfCurrentPage();
    // Sets the page again only when something was removed; true then.
    common::Task<bool> changePage(QPointer<browser::BrowserView> view, QString selection,
                                  bool links);

    CommandContext &m_context;
    common::ProgramFolder m_folder;
    SaveSteps m_steps;
};

} // namespace commands
