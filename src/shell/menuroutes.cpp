#include "menuroutes.h"

#include "commands.h"
#include "mainwindow.h"
#include "sitesearch.h"
#include "tabmanager.h"

#include "browser/browserview.h"

namespace shell {

namespace {

using M = CommandRoute::Match;
using C = Commands;
using Choice = const MenuChoice &;
using links::LinkCommand;

void onCurrentView(Commands &commands, void (browser::BrowserView::*action)()) {
    if (browser::BrowserView *view = commands.tabs().currentView())
        (view->*action)();
}

} // namespace

const QList<CommandRoute> &menuRoutes() {
    static const QList<CommandRoute> routes = {
        // Help and site pages
        {"a_site", M::Exact, "SiteSearch1",
         [](C &c, Choice) { c.openSiteSearch(firstEngineSearchUrl()); }},
        {"a_site1", M::Exact, "SiteSearch2",
         [](C &c, Choice) { c.openSiteSearch(secondEngineSearchUrl()); }},
        {"help", M::Exact, "HelpPage",
         [](C &c, Choice) { c.showHelpPage(QStringLiteral("help.html")); }},
        {"origin", M::Exact, "Origin",
         [](C &c, Choice) { c.showHelpPage(QStringLiteral("Lumaro浏览器的来历.htm")); }},
        // Deleting, the paste menu, the template editor
        {"deleteselectfromc", M::Exact, "DeleteSelectFromC",
         [](C &c, Choice) { return c.editing().deleteSelectFromPage(); }},
        {"deleteselectfromc2", M::Exact, "DeleteSelectFromC2",
         [](C &c, Choice) { return c.deletions().deleteLinksFromCurrentPage(); }},
        {"deleteselectfromall", M::Exact, "DeleteSelectFromAll",
         [](C &c, Choice) { return c.deletions().deleteFromAllPages(false); }},
        {"deleteselectfromall2", M::Exact, "DeleteSelectFromAll2",
         [](C &c, Choice) { return c.deletions().deleteFromAllPages(true); }},
        {"deleteselect", M::Exact, "DeleteThis", [](C &c, Choice) { c.tabs().closeCurrent(); }},
        {"deletealls", M::Exact, "DeleteAll", [](C &c, Choice) { c.tabs().closeAllUnmarked(); }},
        {"deletefromharddisk", M::Exact, "DeleteFromHard",
         [](C &c, Choice) { c.tabs().deleteCurrentFromDisk(); }},
        {"deletealltool", M::Exact, "ClearPasteMenu", [](C &c, Choice) { c.clearPasteMenu(); }},
        {"addt", M::Exact, "SetInputForm", [](C &c, Choice) { c.showTemplateEditor(); }},
        // Opening links
        {"opensallp", M::Exact, "OpenSelectA",
         [](C &c, Choice) { return c.links().openSelectedLinks(); }},
        {"opensallz", M::Exact, "OpenSelectionLinks",
         [](C &c, Choice) { return c.harvest().openSelectionLinks(LinkCommand::OpenSelectA); }},
        {"opensallx", M::Exact, "OpenSelectionRelative",
         [](C &c, Choice) { return c.harvest().openSelectionLinks(LinkCommand::OpenAllX); }},
        {"opensallj", M::Exact, "OpenSelectionAbsolute",
         [](C &c, Choice) { return c.harvest().openSelectionLinks(LinkCommand::OpenAllJ); }},
        {"opensallzip", M::Exact, "DownloadSelectionFiles",
         [](C &c, Choice) { return c.harvest().downloadFileLinks(true); }},
        {"onlynew", M::Exact, "OnlyNewLinks", [](C &c, Choice) { c.toggleOnlyNewLinks(); }},
        {"openallw", M::Exact, "OpenAllWFromC",
         [](C &c, Choice) { return c.links().openPageLinks(LinkCommand::OpenAllW); }},
        {"opencwpallwz", M::Exact, "OpenPageA",
         [](C &c, Choice) { return c.links().openPageLinks(LinkCommand::OpenPageA); }},
        {"openallx", M::Exact, "OpenAllXFromC",
         [](C &c, Choice) { return c.links().openPageLinks(LinkCommand::OpenAllX); }},
        {"openallj", M::Exact, "OpenAllJFromC",
         [](C &c, Choice) { return c.links().openPageLinks(LinkCommand::OpenAllJ); }},
        {"openallzip", M::Exact, "DownloadPageFiles",
         [](C &c, Choice) { return c.harvest().downloadFileLinks(false); }},
        {"openhw", M::Exact, "OpenHardWebPage", [](C &c, Choice) { c.links().openHardWebPage(); }},
        {"openm", M::Exact, "OpenM", [](C &c, Choice) { return c.links().openFolderPages(); }},
        {"openfall", M::Exact, "OpenFurl", [](C &c, Choice) { return c.links().openUrlsInFile(); }},
        {"openmkw", M::Exact, "OpenMkw", [](C &c, Choice) { c.links().openFolderListing(); }},
        // Links to files, e-mail addresses, capture, saving, the save folder
        {"savehtol", M::Exact, "SaveCurrentToLink",
         [](C &c, Choice) { c.links().saveCurrentToLink(); }},
        {"savehref", M::Exact, "SaveToHref", [](C &c, Choice) { return c.links().saveToHref(); }},
        {"savetolink", M::Exact, "SaveLinksToFavourites",
         [](C &c, Choice) { return c.harvest().linksToFavourites(LinkCommand::OpenPageA); }},
        {"savexd", M::Exact, "SaveRelativeToFavourites",
         [](C &c, Choice) { return c.harvest().linksToFavourites(LinkCommand::OpenAllX); }},
        {"savejd", M::Exact, "SaveAbsoluteToFavourites",
         [](C &c, Choice) { return c.harvest().linksToFavourites(LinkCommand::OpenAllJ); }},
        {"savehtom", M::Exact, "AddressToPasteMenu", [](C &c, Choice) { c.addressToPasteMenu(); }},
        {"savesydz", M::Exact, "SaveSydz", [](C &c, Choice) { c.links().saveDirectoryPage(); }},
        {"savece", M::Exact, "SaveE", [](C &c, Choice) { return c.links().saveEmails(); }},
        {"saveee", M::Exact, "SaveEAllTabs", [](C &c, Choice) { return c.saveEmailsOfAllTabs(); }},
        {"openemail", M::Exact, "OpenEmailFile", [](C &c, Choice) { c.openEmailFile(); }},
        {"saveetom", M::Exact, "SaveEtoM",
         [](C &c, Choice) { return c.links().emailsToPasteMenu(); }},
        {"beginsave", M::Exact, "BeginSave",
         [](C &c, Choice) { c.toggleCapture(QStringLiteral("beginsave")); }},
        {"beginsave2", M::Exact, "BeginSave2",
         [](C &c, Choice) { c.toggleCapture(QStringLiteral("beginsave2")); }},
        {"savetxt1", M::Exact, "SaveTextDialog", [](C &c, Choice) { c.showSaveTextDialog(); }},
        {"onlysave", M::Exact, "OnlySave",
         [](C &c, Choice) { return c.pageSaver().onlySave(false); }},
        {"onlysave_x_j", M::Exact, "OnlySaveXJ",
         [](C &c, Choice) { return c.pageSaver().onlySave(true); }},
        {"saveallo", M::Exact, "SaveAllW",
         [](C &c, Choice) { return c.pageSaver().saveAllW(false); }},
        {"saveallo_x_j", M::Exact, "SaveAllWXJ",
         [](C &c, Choice) { return c.pageSaver().saveAllW(true); }},
        {"savetext", M::Exact, "OnlySaveText",
         [](C &c, Choice) { return c.textSaver().onlySaveText(false); }},
        {"savetextnotlink", M::Exact, "OnlySaveTextNotLink",
         [](C &c, Choice) { return c.textSaver().onlySaveText(true); }},
        {"savealltext", M::Exact, "SaveAllWText",
         [](C &c, Choice) { return c.textSaver().saveAllWText(false); }},
        {"savealltextnotlink", M::Exact, "SaveAllWTextNotLink",
         [](C &c, Choice) { return c.textSaver().saveAllWText(true); }},
        {"savestext", M::Exact, "SaveSelectText",
         [](C &c, Choice) { c.textSaver().saveSelectText(); }},
        // A serial saved chapter by chapter
        {"serialstart", M::Exact, "SerialStart",
         [](C &c, Choice) { c.serial().startFromCurrentPage(); }},
        {"serialstop", M::Exact, "SerialStop", [](C &c, Choice) { c.serial().stop(); }},
        {"serialresume", M::Exact, "SerialResume", [](C &c, Choice) { c.serial().resume(); }},
        {"serialbook", M::Exact, "SerialBook", [](C &c, Choice) { c.serial().makeBook(); }},
        {"setsavepath", M::Exact, "SetSavePath",
         [](C &c, Choice) { c.window().setSavePathFromDialog(); }},
        {"createfolder", M::Exact, "CreateFolder", [](C &c, Choice) { c.createFolder(); }},
        {"displaypath", M::Exact, "OpenSaveFolder", [](C &c, Choice) { c.openSaveFolder(); }},
        {"save_group", M::Exact, "SaveGroup", [](C &c, Choice) { c.groups().saveGroup(); }},
        // Entries added while the program runs: templates and groups
        {"add_", M::Prefix, "LoadTemplate",
         [](C &c, Choice e) { c.editing().loadTemplate(e.name); }},
        {"opengroup_", M::Prefix, "OpenGroup",
         [](C &c, Choice e) { return c.editing().openGroup(e.name); }},
        {"all_", M::Prefix, "FillTemplate",
         [](C &c, Choice e) { return c.editing().fillTemplate(e.name); }},
        {"delete_", M::Prefix, "EditTemplate",
         [](C &c, Choice e) { c.editing().editTemplate(e.name); }},
        {"template_", M::Prefix, "PasteTemplateItem",
         [](C &c, Choice e) { return c.editing().pasteTemplateItem(e.name); }},
        // Everything else: copied texts, e-mail addresses, entries without a command
        {"", M::Anything, "PasteIntoField",
         [](C &c, Choice e) { return c.pasteIntoField(e.caption); }},
    };
    return routes;
}

common::Task<> CommandRoute::run(Commands &commands, MenuChoice choice) const {
    if (m_waiting)
        co_await m_waiting(commands, choice);
    else
        m_now(commands, choice);
}

Route routeMenuKey(const QString &key) {
    for (const CommandRoute &route : menuRoutes()) {
        const QLatin1String text(route.key);
        switch (route.match) {
        case M::Exact:
            if (key == text)
                return {&route, QString()};
            break;
        case M::Prefix:
            if (key.startsWith(text))
                return {&route, key.mid(text.size())};
            break;
        case M::Anything:
            return {&route, QString()};
        }
    }
    Q_UNREACHABLE();
}

const CommandRoute *routeButtonKey(const QString &key) {
    using V = browser::BrowserView;
    static const QList<CommandRoute> buttons = {
        {"back", M::Exact, "Back", [](C &c, Choice) { onCurrentView(c, &V::goBack); }},
        {"pre", M::Exact, "Forward", [](C &c, Choice) { onCurrentView(c, &V::goForward); }},
        {"stop", M::Exact, "Stop", [](C &c, Choice) { onCurrentView(c, &V::stop); }},
        {"refresh", M::Exact, "Refresh", [](C &c, Choice) { onCurrentView(c, &V::reload); }},
        // The favourites page is the home page.
        {"home", M::Exact, "Home",
         [](C &c, Choice) {
             if (browser::BrowserView *view = c.window().tabs().currentView())
                 view->navigate(c.window().programFolder().favouritesUrl());
         }},
        {"save", M::Exact, "OnlySave", [](C &c, Choice) { return c.pageSaver().onlySave(false); }},
        {"saveadd", M::Exact, "SaveAddFull", [](C &c, Choice) { c.saveFullPage(); }},
        {"serial", M::Exact, "SerialStart",
         [](C &c, Choice) { c.serial().startFromCurrentPage(); }},
        {"savee", M::Exact, "SaveE", [](C &c, Choice) { return c.links().saveEmails(); }},
        {"savectolink", M::Exact, "SaveCurrentToLink",
         [](C &c, Choice) { c.links().saveCurrentToLink(); }},
        {"savegroup", M::Exact, "SaveGroup", [](C &c, Choice) { c.groups().saveGroup(); }},
        {"openh", M::Exact, "OpenHardWebPage", [](C &c, Choice) { c.links().openHardWebPage(); }},
        {"openl", M::Exact, "OpenLink", [](C &c, Choice) { c.openFavourites(); }},
        {"opena", M::Exact, "OpenAllWFromC",
         [](C &c, Choice) { return c.links().openPageLinks(LinkCommand::OpenAllW); }},
        {"opens", M::Exact, "OpenSelectA",
         [](C &c, Choice) { return c.links().openSelectedLinks(); }},
        {"inputform", M::Exact, "SetInputForm", [](C &c, Choice) { c.showTemplateEditor(); }},
        {"copy", M::Exact, "CopyToPasteMenu", [](C &c, Choice) { c.copyToPasteMenu(); }},
        {"paste", M::Exact, "PasteClipboard", [](C &c, Choice) { return c.pasteClipboard(); }},
        {"delete", M::Exact, "DeleteSelect",
         [](C &c, Choice) { c.editing().deleteSelectFromFavourites(); }},
        {"help", M::Exact, "HelpPage",
         [](C &c, Choice) { c.showHelpPage(QStringLiteral("help.html")); }},
    };
    for (const CommandRoute &route : buttons) {
        if (key == QLatin1String(route.key))
            return &route;
    }
    return nullptr;
}

} // namespace shell
