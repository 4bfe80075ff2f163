#include "commandtable.h"

#include "commands.h"
#include "findbar.h"
#include "mainwindow.h"
#include "sitesearch.h"
#include "tabmanager.h"

#include "browser/browserview.h"

namespace shell {

namespace {

using E = CommandEntry;
using H = CommandEntry::Handler;
using K = ButtonFace::Kind;
using C = Commands;
using Choice = const MenuChoice &;
using links::LinkCommand;
using V = browser::BrowserView;

E button(const char *key, const char *tooltip, const char *glyph, unsigned colour, bool menu,
         const char *operation, H code) {
    return {key,
            Place::Button,
            "",
            tooltip,
            "",
            operation,
            code,
            E::Match::Exact,
            E::Turn::OneAtATime,
            {K::Action, menu, glyph, colour}};
}
E toggle(const char *key, const char *tooltip, const char *glyph, unsigned colour) {
    return {key,
            Place::Button,
            "",
            tooltip,
            "",
            "",
            {},
            E::Match::Exact,
            E::Turn::OneAtATime,
            {K::Toggle, false, glyph, colour}};
}
E gap(const char *key) {
    return {key,
            Place::Button,
            "",
            "",
            "",
            "",
            {},
            E::Match::Exact,
            E::Turn::OneAtATime,
            {K::Separator, false, "", 0}};
}
E entry(const char *in, const char *key, const char *caption, const char *operation, H code) {
    return {key, Place::ButtonMenu, in, caption, "", operation, code};
}
E line(const char *in, const char *key) {
    return {key, Place::ButtonMenu, in, "-", "", "", {}};
}
// Entries added while the program runs, to whichever menu: a key prefix and the name after it.
E prefix(const char *key, const char *operation, H code) {
    return {key, Place::ButtonMenu, "", "", "", operation, code, E::Match::Prefix};
}
E menu(const char *key, const char *caption) {
    return {key, Place::MenuBar, "", caption, "", "", {}};
}
E menuEntry(const char *in, const char *key, const char *caption, const char *shortcut,
            const char *operation, H code = {}, E::Turn turn = E::Turn::OneAtATime) {
    return {key, Place::MenuBar, in, caption, shortcut, operation, code, E::Match::Exact, turn};
}
E tabEntry(const char *key, const char *caption, const char *shortcut, const char *operation,
           H code) {
    return {key, Place::TabMenu, "", caption, shortcut, operation, code};
}
// A shortcut; without code of its own it runs the row of the same key elsewhere.
E keys(const char *key, const char *shortcut, const char *caption, const char *operation,
       H code = {}, E::Turn turn = E::Turn::Beside) {
    return {key, Place::KeysOnly, "", caption, shortcut, operation, code, E::Match::Exact, turn};
}

void onCurrentView(C &c, void (V::*action)()) {
    if (V *view = c.tabs().currentView())
        (view->*action)();
}

// The tab the tab menu was opened on (0 when it has closed since), or the current tab for a
// key handed over by another start.
int menuTab(C &c, Choice e) {
    return e.name.isEmpty() ? c.tabs().currentPosition() : c.tabs().positionOfKey(e.name);
}

} // namespace

const QList<CommandEntry> &commandTable() {
    static const QList<CommandEntry> table = {
        // The toolbar, left to right, each button with its menu.
        button("back", "后一个网页", "←", 0x2d6cdf, false, "Back",
               [](C &c, Choice) { onCurrentView(c, &V::goBack); }),
        button("pre", "前一个网页", "→", 0x2d6cdf, false, "Forward",
               [](C &c, Choice) { onCurrentView(c, &V::goForward); }),
        button("stop", "停止下载网页", "■", 0xc0392b, false, "Stop",
               [](C &c, Choice) { onCurrentView(c, &V::stop); }),
        button("refresh", "刷新网页", "↻", 0x27ae60, false, "Refresh",
               [](C &c, Choice) { onCurrentView(c, &V::reload); }),
        // The favourites page is the home page.
        button("home", "主页", "⌂", 0x8e44ad, false, "Home",
               [](C &c, Choice) {
                   if (V *view = c.tabs().currentView())
                       view->navigate(c.window().programFolder().favouritesUrl());
               }),
        toggle("new", "是否用新窗口打开网页", "新", 0xd35400),
        gap("fg1"),
        button("save", "保存当前网页(仅HTML，默认路径是程序所在路径)", "存", 0x1a5276, true,
               "OnlySave", [](C &c, Choice) { return c.pageSaver().onlySave(false); }),
        entry("save", "onlysave", "保存当前网页(仅HTML，默认保存路径是程序所在路径)", "OnlySave",
              [](C &c, Choice) { return c.pageSaver().onlySave(false); }),
        entry("save", "onlysave_x_j",
              "保存当前网页,把相对链接修改为绝对链接(仅HTML，默认路径是程序所在路径)", "OnlySaveXJ",
              [](C &c, Choice) { return c.pageSaver().onlySave(true); }),
        entry("save", "saveallo", "保存所有打开的网页(仅HTML，默认保存路径是程序所在路径)",
              "SaveAllW", [](C &c, Choice) { return c.pageSaver().saveAllW(false); }),
        entry("save", "saveallo_x_j",
              "保存所有打开的网页,把相对链接修改为绝对链接(仅HTML，默认路径是程序所在路径)",
              "SaveAllWXJ", [](C &c, Choice) { return c.pageSaver().saveAllW(true); }),
        entry("save", "savewhole", "保存完整网页（一个文件）", "SaveWhole",
              [](C &c, Choice) { return c.wholePageSaver().saveWhole(); }),
        entry("save", "saveallwhole", "保存所有打开的完整网页", "SaveAllWhole",
              [](C &c, Choice) { return c.wholePageSaver().saveAllWhole(); }),
        entry("save", "savetxt1", "打开【保存纯文本】对话框", "SaveTextDialog",
              [](C &c, Choice) { c.files().showSaveTextDialog(); }),
        entry("save", "beginsave", "开始保存（如果粘贴板里有文字变化就保存到默认文件夹）",
              "BeginSave", [](C &c, Choice) { c.toggleCapture(QStringLiteral("beginsave")); }),
        entry("save", "beginsave2",
              "开始保存（如果粘贴板里的文字小于20，就以此为文件名保存到默认文件夹）", "BeginSave2",
              [](C &c, Choice) { c.toggleCapture(QStringLiteral("beginsave2")); }),
        line("save", "fg4543"),
        entry("save", "savestext", "将当前网页中选中部分转文本保存", "SaveSelectText",
              [](C &c, Choice) { c.textSaver().saveSelectText(); }),
        entry("save", "savetext", "将当前网页转文本保存（保存链接文字）", "OnlySaveText",
              [](C &c, Choice) { return c.textSaver().onlySaveText(false); }),
        entry("save", "savetextnotlink", "将当前网页转文本保存（不保存链接文字）",
              "OnlySaveTextNotLink", [](C &c, Choice) { return c.textSaver().onlySaveText(true); }),
        entry("save", "savealltext", "将所有打开网页转文本保存（保存链接文字）", "SaveAllWText",
              [](C &c, Choice) { return c.textSaver().saveAllWText(false); }),
        entry("save", "savealltextnotlink", "将所有打开网页转文本保存（不保存链接文字）",
              "SaveAllWTextNotLink", [](C &c, Choice) { return c.textSaver().saveAllWText(true); }),
        line("save", "fg34212"),
        entry("save", "setsavepath", "设置默认保存路径", "SetSavePath",
              [](C &c, Choice) { c.window().setSavePathFromDialog(); }),
        entry("save", "createfolder", "在默认保存路径下创建文件夹，并以此作为默认保存路径",
              "CreateFolder", [](C &c, Choice) { c.files().createFolder(); }),
        line("save", "fg7315"),
        entry("save", "serialstart", "从当前网页开始连续保存下一章", "SerialStart",
              [](C &c, Choice) { c.serial().startFromCurrentPage(); }),
        entry("save", "serialstop", "停止连续保存", "SerialStop",
              [](C &c, Choice) { c.serial().stop(); }),
        entry("save", "serialresume", "继续上次的连续保存", "SerialResume",
              [](C &c, Choice) { c.serial().resume(); }),
        entry("save", "serialcontents", "从目录页保存全部章节", "SerialContents",
              [](C &c, Choice) { return c.serial().startFromContentsPage(); }),
        entry("save", "serialcheck", "检查新章节", "SerialCheck",
              [](C &c, Choice) { c.serial().checkForNewChapters(); }),
        entry("save", "serialbook", "合并成一本书", "SerialBook",
              [](C &c, Choice) { c.serial().makeBook(); }),
        // Added at start-up with the folder in its caption.
        entry("", "displaypath", "", "OpenSaveFolder",
              [](C &c, Choice) { c.files().openSaveFolder(); }),
        button("saveadd", "全保存当前网页", "全", 0x1a5276, false, "SaveAddFull",
               [](C &c, Choice) { return c.files().saveFullPage(); }),
        button("serial", "从当前网页开始连续保存下一章（自动打开并保存每一章，直到最后一章）", "续",
               0x1a5276, false, "SerialStart",
               [](C &c, Choice) { c.serial().startFromCurrentPage(); }),
        button("savee", "保存当前网页上的所有Email到email.txt", "@", 0x117a65, true, "SaveE",
               [](C &c, Choice) { return c.links().saveEmails(); }),
        entry("savee", "savece", "保存当前网页上的所有Email到email.txt", "SaveE",
              [](C &c, Choice) { return c.links().saveEmails(); }),
        entry("savee", "saveee", "保存所有打开网页上的Email到email.txt", "SaveEAllTabs",
              [](C &c, Choice) { return c.links().saveEmailsOfAllTabs(); }),
        entry("savee", "openemail", "打开email.txt", "OpenEmailFile",
              [](C &c, Choice) { c.files().openEmailFile(); }),
        line("savee", "fg3244"),
        entry("savee", "saveetom", "保存当前网页上的所有Email到粘贴按钮的子菜单里", "SaveEtoM",
              [](C &c, Choice) { return c.links().emailsToPasteMenu(); }),
        button("savectolink", "保存当前网页的地址到link.htm", "藏", 0xb7950b, true,
               "SaveCurrentToLink", [](C &c, Choice) { c.links().saveCurrentToLink(); }),
        entry("savectolink", "savehtol", "保存当前网页的地址到第一页收藏", "SaveCurrentToLink",
              [](C &c, Choice) { c.links().saveCurrentToLink(); }),
        entry("savectolink", "savehref", "保存当前网页上的所有链接到href.txt", "SaveToHref",
              [](C &c, Choice) { return c.links().saveToHref(); }),
        entry("savectolink", "savetolink", "保存当前网页上的所有链接到第一页收藏",
              "SaveLinksToFavourites",
              [](C &c, Choice) { return c.harvest().linksToFavourites(LinkCommand::OpenPageA); }),
        entry("savectolink", "savexd", "保存当前网页上的所有相对网址到第一页收藏",
              "SaveRelativeToFavourites",
              [](C &c, Choice) { return c.harvest().linksToFavourites(LinkCommand::OpenAllX); }),
        entry("savectolink", "savejd", "保存当前网页上的所有绝对网址到第一页收藏",
              "SaveAbsoluteToFavourites",
              [](C &c, Choice) { return c.harvest().linksToFavourites(LinkCommand::OpenAllJ); }),
        entry("savectolink", "savesydz", "保存所有打开网页的地址到一个网页上", "SaveSydz",
              [](C &c, Choice) { c.links().saveDirectoryPage(); }),
        line("savectolink", "fg2389"),
        entry("savectolink", "savehtom", "保存当前网页的地址到粘贴按钮的子菜单里",
              "AddressToPasteMenu", [](C &c, Choice) { c.pasteMenu().addressToMenu(); }),
        line("savectolink", "fg_bookmarks"),
        entry("savectolink", "importbookmarks", "导入书签", "ImportBookmarks",
              [](C &c, Choice) { c.harvest().importBookmarks(); }),
        entry("savectolink", "exportbookmarks", "导出书签", "ExportBookmarks",
              [](C &c, Choice) { c.harvest().exportBookmarks(); }),
        button("savegroup", "把当前所有打开网页的网址保存到组文件里", "组", 0x6c3483, true,
               "SaveGroup", [](C &c, Choice) { c.groups().saveGroup(); }),
        entry("savegroup", "save_group", "把当前所有打开网页的网址保存到组文件里", "SaveGroup",
              [](C &c, Choice) { c.groups().saveGroup(); }),
        gap("fg2"),
        button("openh", "打开硬盘上的网页", "盘", 0x5d6d7e, true, "OpenHardWebPage",
               [](C &c, Choice) { c.links().openHardWebPage(); }),
        entry("openh", "openhw", "打开硬盘上的网页", "OpenHardWebPage",
              [](C &c, Choice) { c.links().openHardWebPage(); }),
        entry("openh", "openm", "打开硬盘目录中的所有网页", "OpenM",
              [](C &c, Choice) { return c.links().openFolderPages(); }),
        entry("openh", "openfall", "打开普通文件中的所有网址", "OpenFurl",
              [](C &c, Choice) { return c.links().openUrlsInFile(); }),
        entry("openh", "openmkw", "打开硬盘目录查看文件", "OpenMkw",
              [](C &c, Choice) { c.links().openFolderListing(); }),
        button("openl", "打开link.htm", "★", 0xb7950b, false, "OpenLink",
               [](C &c, Choice) { c.openFavourites(); }),
        button("searchsaved", "搜索已保存的网页", "搜", 0x1a5276, false, "SearchSaved",
               [](C &c, Choice) { c.window().openSavedSearch(); }),
        button("opena", "打开当前网页上的所有网页", "开", 0x2e86c1, true, "OpenAllWFromC",
               [](C &c, Choice) { return c.links().openPageLinks(LinkCommand::OpenAllW); }),
        entry("opena", "openallw", "打开当前网页上的所有网页", "OpenAllWFromC",
              [](C &c, Choice) { return c.links().openPageLinks(LinkCommand::OpenAllW); }),
        entry("opena", "opencwpallwz", "打开当前网页上的所有网址", "OpenPageA",
              [](C &c, Choice) { return c.links().openPageLinks(LinkCommand::OpenPageA); }),
        entry("opena", "openallx", "打开当前网页上的所有的相对网页", "OpenAllXFromC",
              [](C &c, Choice) { return c.links().openPageLinks(LinkCommand::OpenAllX); }),
        entry("opena", "openallj", "打开当前网页上的所有的绝对网页", "OpenAllJFromC",
              [](C &c, Choice) { return c.links().openPageLinks(LinkCommand::OpenAllJ); }),
        entry("opena", "openallzip", "打开当前网页上的所有非网页链接", "DownloadPageFiles",
              [](C &c, Choice) { return c.harvest().downloadFileLinks(false); }),
        line("opena", "fg_onlynew"),
        entry("opena", "onlynew", "只打开新的链接", "OnlyNewLinks",
              [](C &c, Choice) { c.toggleOnlyNewLinks(); }),
        button("opens", "打开选中部分的所有网页", "选", 0x2e86c1, true, "OpenSelectA",
               [](C &c, Choice) { return c.links().openSelectedLinks(); }),
        entry("opens", "opensallp", "打开选中部分的所有网页", "OpenSelectA",
              [](C &c, Choice) { return c.links().openSelectedLinks(); }),
        entry(
            "opens", "opensallz", "打开选中部分的所有网址", "OpenSelectionLinks",
            [](C &c, Choice) { return c.harvest().openSelectionLinks(LinkCommand::OpenSelectA); }),
        entry("opens", "opensallx", "打开选中部分的所有相对网页", "OpenSelectionRelative",
              [](C &c, Choice) { return c.harvest().openSelectionLinks(LinkCommand::OpenAllX); }),
        entry("opens", "opensallj", "打开选中部分的所有绝对网页", "OpenSelectionAbsolute",
              [](C &c, Choice) { return c.harvest().openSelectionLinks(LinkCommand::OpenAllJ); }),
        entry("opens", "opensallzip", "打开选中部分的所有非网页链接", "DownloadSelectionFiles",
              [](C &c, Choice) { return c.harvest().downloadFileLinks(true); }),
        toggle("openi", "鼠标在链接上移动，即打开链接", "悬", 0xd35400),
        gap("fg3"),
        button("inputform", "添加填表模板", "填", 0x148f77, true, "SetInputForm",
               [](C &c, Choice) { c.showTemplateEditor(); }),
        entry("inputform", "addt", "添加填表模板", "SetInputForm",
              [](C &c, Choice) { c.showTemplateEditor(); }),
        button("copy", "拷贝选中的文本并添加到粘贴按钮的子菜单", "复", 0x566573, false,
               "CopyToPasteMenu", [](C &c, Choice) { c.pasteMenu().copyToMenu(); }),
        button("paste", "粘贴文本到具有焦点的文本框", "粘", 0x566573, true, "PasteClipboard",
               [](C &c, Choice) { return c.pasteMenu().pasteClipboard(); }),
        entry("paste", "deletealltool", "删除所有", "ClearPasteMenu",
              [](C &c, Choice) { c.pasteMenu().clear(); }),
        button("delete", "把选中的文字从当前网页上删除", "删", 0xc0392b, true, "DeleteSelect",
               [](C &c, Choice) { c.editing().deleteSelectFromFavourites(); }),
        entry("delete", "deleteselectfromc", "把选中的文字从当前网页上删除(只删除无链接的文字)",
              "DeleteSelectFromC", [](C &c, Choice) { return c.editing().deleteSelectFromPage(); }),
        entry("delete", "deleteselectfromc2", "把选中的文字从当前网页上删除(只删除有链接的文字)",
              "DeleteSelectFromC2",
              [](C &c, Choice) { return c.deletions().deleteLinksFromCurrentPage(); }),
        entry("delete", "deleteselectfromall",
              "把选中的文字从所有打开的网页上删除(只删除无链接的文字)", "DeleteSelectFromAll",
              [](C &c, Choice) { return c.deletions().deleteFromAllPages(false); }),
        entry("delete", "deleteselectfromall2",
              "把选中的文字从所有打开的网页上删除(只删除有链接的文字)", "DeleteSelectFromAll2",
              [](C &c, Choice) { return c.deletions().deleteFromAllPages(true); }),
        line("delete", "fg34567"),
        entry("delete", "deleteselect", "删除当前的网页", "DeleteThis",
              [](C &c, Choice) { c.tabs().closeCurrent(); }),
        entry("delete", "deletealls", "删除所有网页", "DeleteAll",
              [](C &c, Choice) { c.tabs().closeAllUnmarked(); }),
        entry("delete", "deletefromharddisk", "从硬盘上删除当前网页", "DeleteFromHard",
              [](C &c, Choice) { c.tabs().deleteCurrentFromDisk(); }),
        button("help", "帮助", "?", 0x2874a6, true, "HelpPage",
               [](C &c, Choice) { c.showHelpPage(QStringLiteral("help.html")); }),
        entry("help", "help", "帮助", "HelpPage", {}),
        entry("help", "origin", "Lumaro浏览器的来历", "Origin",
              [](C &c, Choice) { c.showHelpPage(QStringLiteral("Lumaro浏览器的来历.htm")); }),
        entry("help", "a_site", "Lumaro浏览器网站1", "SiteSearch1",
              [](C &c, Choice) { c.openSiteSearch(firstEngineSearchUrl()); }),
        entry("help", "a_site1", "Lumaro浏览器网站2", "SiteSearch2",
              [](C &c, Choice) { c.openSiteSearch(secondEngineSearchUrl()); }),

        // The menu bar: the same four saves as the save button's first entries.
        menu("menu_save", "保存"),
        menuEntry("menu_save", "onlysave", "保存当前网页(仅HTML，默认路径是程序所在路径)", "",
                  "OnlySave"),
        menuEntry("menu_save", "onlysave_x_j",
                  "保存当前网页,把相对链接修改为绝对链接(仅HTML，默认路径是程序所在路径)", "",
                  "OnlySaveXJ"),
        menuEntry("menu_save", "saveallo", "保存所有打开的网页(仅HTML，默认路径是程序所在路径)", "",
                  "SaveAllW"),
        menuEntry("menu_save", "saveallo_x_j",
                  "保存所有打开的网页,把相对链接修改为绝对链接(仅HTML，默认路径是程序所在路径)", "",
                  "SaveAllWXJ"),
        menuEntry("menu_save", "fg_menu_save", "-", "", ""),
        menuEntry("menu_save", "view_source", "查看当前网页的源代码", "", "view_source",
                  [](C &c, Choice) { return c.files().viewSource(); }),
        menuEntry("menu_save", "SetExtractFilename", "定义提取文件名的方式", "",
                  "SetExtractFilename", [](C &c, Choice) { c.window().toggleExtractionRule(); }),
        menuEntry("menu_save", "reopenClosed", "恢复关闭的网页", "Ctrl+Shift+T", "ReopenClosed"),
        menuEntry("menu_save", "printpdf", "打印为PDF", "Ctrl+P", "printpdf",
                  [](C &c, Choice) { c.files().printToPdf(); }),
        menuEntry(
            "menu_save", "downloads", "下载列表", "Ctrl+J", "Downloads",
            [](C &c, Choice) { c.window().showDownloads(); }, E::Turn::Beside),
        menuEntry(
            "menu_save", "history", "历史记录", "Ctrl+H", "History",
            [](C &c, Choice) { c.window().openHistory(); }, E::Turn::Beside),
        menuEntry("menu_save", "recordhistory", "记录历史", "", "RecordHistory",
                  [](C &c, Choice) { c.window().toggleHistoryRecording(); }),
        menuEntry("menu_save", "excludesite", "不记录这个网站", "", "ExcludeSite",
                  [](C &c, Choice) { c.window().excludeCurrentSite(); }),
        menuEntry(
            "menu_save", "menu_exit", "退出", "", "Exit", [](C &c, Choice) { c.window().close(); },
            E::Turn::Beside),

        // The tab menu acts on the tab it was opened on.
        tabEntry("deleteThis", "删除这个网页（双击也可）", "", "DeleteThis",
                 [](C &c, Choice e) {
                     if (const int tab = menuTab(c, e))
                         c.tabs().closeTab(tab);
                 }),
        tabEntry("deleteAll", "删除所有网页", "", "DeleteAll",
                 [](C &c, Choice) { c.tabs().closeAllUnmarked(); }),
        tabEntry("tab_tick", "给这个网页做标记（删除所有网页不删除它）", "", "MarkTab",
                 [](C &c, Choice e) {
                     if (const int tab = menuTab(c, e))
                         c.tabs().markTab(tab);
                 }),
        tabEntry("reopenClosed", "恢复关闭的网页", "Ctrl+Shift+T", "ReopenClosed",
                 [](C &c, Choice) { c.tabs().reopenClosed(); }),
        {"fg_tabmenu", Place::TabMenu, "", "-", "", "", {}},
        tabEntry("DeleteFromHard", "从硬盘上删除这个网页", "", "DeleteFromHard",
                 [](C &c, Choice e) {
                     if (const int tab = menuTab(c, e))
                         c.tabs().deleteFromDisk(tab);
                 }),

        // What a user of any browser expects from the keyboard.
        keys("focusaddress", "Ctrl+L", "转到地址栏", "FocusAddress",
             [](C &c, Choice) { c.window().focusAddressBox(); }),
        keys("deleteselect", "Ctrl+W", "", "DeleteThis"),
        keys(
            "newtab", "Ctrl+T", "新标签打开收藏页", "OpenLink",
            [](C &c, Choice) { c.window().openFavouritesTab(); }, E::Turn::OneAtATime),
        keys("onlysave", "Ctrl+S", "", "OnlySave"),
        keys("searchsaved", "Ctrl+Shift+F", "", "SearchSaved"),
        keys("nexttab", "Ctrl+Tab", "下一个网页", "NextTab",
             [](C &c, Choice) { c.window().switchTab(1); }),
        keys("previoustab", "Ctrl+Shift+Tab", "上一个网页", "PreviousTab",
             [](C &c, Choice) { c.window().switchTab(-1); }),
        keys("refresh", "F5", "", "Refresh"),
        keys("back", "Alt+Left", "", "Back"),
        keys("pre", "Alt+Right", "", "Forward"),
        keys("find", "Ctrl+F", "在网页中查找", "Find",
             [](C &c, Choice) { c.window().findBar().openFor(c.tabs().currentView()); }),
        keys("findnext", "F3", "查找下一个", "FindNext",
             [](C &c, Choice) { c.window().findBar().findNext(false); }),
        keys("findprevious", "Shift+F3", "查找上一个", "FindPrevious",
             [](C &c, Choice) { c.window().findBar().findNext(true); }),
        keys("zoomin", "Ctrl++; Ctrl+=", "放大", "ZoomIn",
             [](C &c, Choice) { c.window().zoom(1.1); }),
        keys("zoomout", "Ctrl+-", "缩小", "ZoomOut",
             [](C &c, Choice) { c.window().zoom(1 / 1.1); }),
        keys("zoomreset", "Ctrl+0", "原来大小", "ZoomReset",
             [](C &c, Choice) { c.window().zoom(0); }),

        // Entries added while the program runs: templates and groups.
        prefix("add_", "LoadTemplate", [](C &c, Choice e) { c.editing().loadTemplate(e.name); }),
        prefix("opengroup_", "OpenGroup",
               [](C &c, Choice e) { return c.editing().openGroup(e.name); }),
        prefix("all_", "FillTemplate",
               [](C &c, Choice e) { return c.editing().fillTemplate(e.name); }),
        prefix("delete_", "EditTemplate", [](C &c, Choice e) { c.editing().editTemplate(e.name); }),
        prefix("template_", "PasteTemplateItem",
               [](C &c, Choice e) { return c.editing().pasteTemplateItem(e.name); }),
        // Everything else: copied texts, e-mail addresses, entries without a command.
        {"", Place::ButtonMenu, "", "", "", "PasteIntoField",
         [](C &c, Choice e) { return c.pasteMenu().pasteIntoField(e.caption); },
         E::Match::Anything},
    };
    return table;
}

} // namespace shell
