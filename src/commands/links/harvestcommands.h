#pragma once

#include "commands/savesteps.h"
#include "common/programfolder.h"
#include "links/linkscanner.h"

#include <QList>
#include <QUrl>

#include <functional>

namespace commands {

// The links of a page or of its selection put to use at once: added to the favourites page,
// opened in new tabs, or downloaded when they lead to files that are not pages; and the
// favourites page to and from other browsers' bookmark files.
class HarvestCommands {
public:
    // `download(view, urls)` downloads files into the default save folder, a few at a time.
    HarvestCommands(CommandContext &context, const common::ProgramFolder &folder,
                    std::function<void(browser::BrowserView *, const QList<QUrl> &)> download);

    // savetolink (OpenPageA's links), savexd (OpenAllX), savejd (OpenAllJ): every link the
    // command's scan finds goes into link.htm, its text as the comment, unless the file holds
    // its address already; the number added shows in s1.
    common::Task<> linksToFavourites(links::LinkCommand command);
    // opensallz (OpenSelectA's rules), opensallx (OpenAllX), opensallj (OpenAllJ): every link
    // whose text lies in the selection opens in a new tab; the number shows in s1.
    common::Task<> openSelectionLinks(links::LinkCommand command);
    // openallzip, opensallzip: the links to files that are not pages, of the page or of its
    // selection, downloaded into the default save folder; the number shows in s1.
    common::Task<> downloadFileLinks(bool selectionOnly);
    // importbookmarks: a bookmark file exported by Chromium or Firefox (bookmarks.html) into
    // link.htm, addresses it holds already skipped; the number added shows in s1.
    void importBookmarks();
    // exportbookmarks: link.htm as a bookmark file both browsers import.
    void exportBookmarks();

private:
    void count(int number);

    CommandContext &m_context;
    common::ProgramFolder m_folder;
    SaveSteps m_steps;
    std::function<void(browser::BrowserView *, const QList<QUrl> &)> m_download;
};

} // namespace commands
