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
using Choice = MenuChoice;
using common::Task;
using links::LinkCommand;

Task<> onCurrentView(Commands &commands, void (browser::BrowserView::*action)()) {
    if (browser::BrowserView *view = commands.tabs().currentView())
        (view->*action)();
    co_return;
}

} // namespace

const QList<CommandRoute> &menuRoutes() {
    static const QList<CommandRoute> routes = {
        // Help and site pages
        {"a_site", M::Exact, "SiteSearch1",
         [](C &c, Choice) -> Task<> {
             c.openSiteSearch(firstEngineSearchUrl());
             co_return;
         }},
        {"a_site1", M::Exact, "SiteSearch2",
         [](C &c, Choice) -> Task<> {
             c.openSiteSearch(secondEngineSearchUrl());
             co_return;
         }},
        {"help", M::Exact, "HelpPage",
         [](C &c, Choice) -> Task<> {
             c.showHelpPage(QStringLiteral("help.html"));
             co_return;
         }},
        {"origin", M::Exact, "Origin",
         [](C &c, Choice) -> Task<> {
             c.showHelpPage(QStringLiteral("Lumaro浏览器的来历.htm"));
             co_return;
         }},
        // Deleting, the paste menu, the template editor
        {"deleteselectfromc", M::Exact, "DeleteSelectFromC",
         [](C &c, Choice) { return c.editing().deleteSelectFromPage(); }},
        {"deleteselectfromc2", M::Exact, "DeleteSelectFromC2",
         [](C &c, Choice) { return c.deletions().deleteLinksFromCurrentPage(); }},
        {"deleteselectfromall", M::Exact, "DeleteSelectFromAll",
         [](C &c, Choice) { return c.deletions().deleteFromAllPages(false); }},
        {"deleteselectfromall2", M::Exact, "DeleteSelectFromAll2",
         [](C &c, Choice) { return c.deletions().deleteFromAllPages(true); }},
        {"deleteselect", M::Exact, "DeleteThis",
         [](C &c, Choice) -> Task<> {
             c.tabs().closeCurrent();
             co_return;
         }},
        {"deletealls", M::Exact, "DeleteAll",
         [](C &c, Choice) -> Task<> {
             c.tabs().closeAllUnmarked();
             co_return;
         }},
        {"deletefromharddisk", M::Exact, "DeleteFromHard",
         [](C &c, Choice) -> Task<> {
             c.tabs().deleteCurrentFromDisk();
             co_return;
         }},
        {"deletealltool", M::Exact, "ClearPasteMenu",
         [](C &c, Choice) -> Task<> {
             c.clearPasteMenu();
             co_return;
         }},
        {"addt", M::Exact, "SetInputForm",
         [](C &c, Choice) -> Task<> {
             c.showTemplateEditor();
             co_return;
         }},
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
        {"onlynew", M::Exact, "OnlyNewLinks",
         [](C &c, Choice) -> Task<> {
             c.toggleOnlyNewLinks();
             co_return;
         }},
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
        {"openhw", M::Exact, "OpenHardWebPage",
         [](C &c, Choice) -> Task<> {
             c.links().openHardWebPage();
             co_return;
         }},
        {"openm", M::Exact, "OpenM", [](C &c, Choice) { return c.links().openFolderPages(); }},
        {"openfall", M::Exact, "OpenFurl", [](C &c, Choice) { return c.links().openUrlsInFile(); }},
        {"openmkw", M::Exact, "OpenMkw",
         [](C &c, Choice) -> Task<> {
             c.links().openFolderListing();
             co_return;
         }},
        // Links to files, e-mail addresses, capture, saving, the save folder
        {"savehtol", M::Exact, "SaveCurrentToLink",
         [](C &c, Choice) -> Task<> {
             c.links().saveCurrentToLink();
             co_return;
         }},
        {"savehref", M::Exact, "SaveToHref", [](C &c, Choice) { return c.links().saveToHref(); }},
        {"savetolink", M::Exact, "SaveLinksToFavourites",
         [](C &c, Choice) { return c.harvest().linksToFavourites(LinkCommand::OpenPageA); }},
        {"savexd", M::Exact, "SaveRelativeToFavourites",
         [](C &c, Choice) { return c.harvest().linksToFavourites(LinkCommand::OpenAllX); }},
        {"savejd", M::Exact, "SaveAbsoluteToFavourites",
         [](C &c, Choice) { return c.harvest().linksToFavourites(LinkCommand::OpenAllJ); }},
        {"savehtom", M::Exact, "AddressToPasteMenu",
         [](C &c, Choice) -> Task<> {
             c.addressToPasteMenu();
             co_return;
         }},
        {"savesydz", M::Exact, "SaveSydz",
         [](C &c, Choice) -> Task<> {
             c.links().saveDirectoryPage();
             co_return;
         }},
        {"savece", M::Exact, "SaveE", [](C &c, Choice) { return c.links().saveEmails(); }},
        {"saveee", M::Exact, "SaveEAllTabs", [](C &c, Choice) { return c.saveEmailsOfAllTabs(); }},
        {"openemail", M::Exact, "OpenEmailFile",
         [](C &c, Choice) -> Task<> {
             c.openEmailFile();
             co_return;
         }},
        {"saveetom", M::Exact, "SaveEtoM",
         [](C &c, Choice) { return c.links().emailsToPasteMenu(); }},
        {"beginsave", M::Exact, "BeginSave",
         [](C &c, Choice) -> Task<> {
             c.toggleCapture(QStringLiteral("beginsave"));
             co_return;
         }},
        {"beginsave2", M::Exact, "BeginSave2",
         [](C &c, Choice) -> Task<> {
             c.toggleCapture(QStringLiteral("beginsave2"));
             co_return;
         }},
        {"savetxt1", M::Exact, "SaveTextDialog",
         [](C &c, Choice) -> Task<> {
             c.showSaveTextDialog();
             co_return;
         }},
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
         [](C &c, Choice) -> Task<> {
             c.textSaver().saveSelectText();
             co_return;
         }},
        // A serial saved chapter by chapter
        {"serialstart", M::Exact, "SerialStart",
         [](C &c, Choice) -> Task<> {
             c.serial().startFromCurrentPage();
             co_return;
         }},
        {"serialstop", M::Exact, "SerialStop",
         [](C &c, Choice) -> Task<> {
             c.serial().stop();
             co_return;
         }},
        {"serialresume", M::Exact, "SerialResume",
         [](C &c, Choice) -> Task<> {
             c.serial().resume();
             co_return;
         }},
        {"serialbook", M::Exact, "SerialBook",
         [](C &c, Choice) -> Task<> {
             c.serial().makeBook();
             co_return;
         }},
        {"setsavepath", M::Exact, "SetSavePath",
         [](C &c, Choice) -> Task<> {
             c.window().setSavePathFromDialog();
             co_return;
         }},
        {"createfolder", M::Exact, "CreateFolder",
         [](C &c, Choice) -> Task<> {
             c.createFolder();
             co_return;
         }},
        {"displaypath", M::Exact, "OpenSaveFolder",
         [](C &c, Choice) -> Task<> {
             c.openSaveFolder();
             co_return;
         }},
        {"save_group", M::Exact, "SaveGroup",
         [](C &c, Choice) -> Task<> {
             c.groups().saveGroup();
             co_return;
         }},
        // Entries added while the program runs: templates and groups
        {"add_", M::Prefix, "LoadTemplate",
         [](C &c, Choice e) -> Task<> {
             c.editing().loadTemplate(e.name);
             co_return;
         }},
        {"opengroup_", M::Prefix, "OpenGroup",
         [](C &c, Choice e) { return c.editing().openGroup(e.name); }},
        {"all_", M::Prefix, "FillTemplate",
         [](C &c, Choice e) { return c.editing().fillTemplate(e.name); }},
        {"delete_", M::Prefix, "EditTemplate",
         [](C &c, Choice e) -> Task<> {
             c.editing().editTemplate(e.name);
             co_return;
         }},
        {"template_", M::Prefix, "PasteTemplateItem",
         [](C &c, Choice e) { return c.editing().pasteTemplateItem(e.name); }},
        // Everything else: copied texts, e-mail addresses, entries without a command
        {"", M::Anything, "PasteIntoField",
         [](C &c, Choice e) { return c.pasteIntoField(e.caption); }},
    };
    return routes;
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
        {"back", M::Exact, "Back", [](C &c, Choice) { return onCurrentView(c, &V::goBack); }},
        {"pre", M::Exact, "Forward", [](C &c, Choice) { return onCurrentView(c, &V::goForward); }},
        {"stop", M::Exact, "Stop", [](C &c, Choice) { return onCurrentView(c, &V::stop); }},
        {"refresh", M::Exact, "Refresh", [](C &c, Choice) { return onCurrentView(c, &V::reload); }},
        // The favourites page is the home page.
        {"home", M::Exact, "Home",
         [](C &c, Choice) -> Task<> {
             if (browser::BrowserView *view = c.window().tabs().currentView())
                 view->navigate(c.window().programFolder().favouritesUrl());
             co_return;
         }},
        {"save", M::Exact, "OnlySave", [](C &c, Choice) { return c.pageSaver().onlySave(false); }},
        {"saveadd", M::Exact, "SaveAddFull",
         [](C &c, Choice) -> Task<> {
             c.saveFullPage();
             co_return;
         }},
        {"serial", M::Exact, "SerialStart",
         [](C &c, Choice) -> Task<> {
             c.serial().startFromCurrentPage();
             co_return;
         }},
        {"savee", M::Exact, "SaveE", [](C &c, Choice) { return c.links().saveEmails(); }},
        {"savectolink", M::Exact, "SaveCurrentToLink",
         [](C &c, Choice) -> Task<> {
             c.links().saveCurrentToLink();
             co_return;
         }},
        {"savegroup", M::Exact, "SaveGroup",
         [](C &c, Choice) -> Task<> {
             c.groups().saveGroup();
             co_return;
         }},
        {"openh", M::Exact, "OpenHardWebPage",
         [](C &c, Choice) -> Task<> {
             c.links().openHardWebPage();
             co_return;
         }},
        {"openl", M::Exact, "OpenLink",
         [](C &c, Choice) -> Task<> {
             c.openFavourites();
             co_return;
         }},
        {"opena", M::Exact, "OpenAllWFromC",
         [](C &c, Choice) { return c.links().openPageLinks(LinkCommand::OpenAllW); }},
        {"opens", M::Exact, "OpenSelectA",
         [](C &c, Choice) { return c.links().openSelectedLinks(); }},
        {"inputform", M::Exact, "SetInputForm",
         [](C &c, Choice) -> Task<> {
             c.showTemplateEditor();
             co_return;
         }},
        {"copy", M::Exact, "CopyToPasteMenu",
         [](C &c, Choice) -> Task<> {
             c.copyToPasteMenu();
             co_return;
         }},
        {"paste", M::Exact, "PasteClipboard", [](C &c, Choice) { return c.pasteClipboard(); }},
        {"delete", M::Exact, "DeleteSelect",
         [](C &c, Choice) -> Task<> {
             c.editing().deleteSelectFromFavourites();
             co_return;
         }},
        {"help", M::Exact, "HelpPage",
         [](C &c, Choice) -> Task<> {
             c.showHelpPage(QStringLiteral("help.html"));
             co_return;
         }},
    };
    for (const CommandRoute &route : buttons) {
        if (key == QLatin1String(route.key))
            return &route;
    }
    return nullptr;
}

} // namespace shell
