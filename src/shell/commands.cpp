#include "commands.h"

#include "dialogs.h"
#include "mainwindow.h"
#include "sitesearch.h"
#include "tabmanager.h"
#include "toolbar.h"

#include "browser/browserview.h"
#include "common/ansifile.h"
#include "common/textsearch.h"
#include "saving/filenaming.h"
#include "saving/overwritecheck.h"

#include <QDir>
#include <QScopeGuard>

namespace shell {

using browser::BrowserView;

namespace {

const QString kPaste = QStringLiteral("paste");

} // namespace

Commands::Commands(MainWindow &window)
    : QObject(&window), m_window(window), m_pageSaver(window.context(), m_rule),
      m_textSaver(window.context()),
      m_links(
          window.context(), window.programFolder(),
          [&window](const QString &key, const QString &caption) {
              return window.toolbar().addMenuEntry(QStringLiteral("paste"), key, caption);
          },
          [&window] { return window.toolbar().isChecked(QStringLiteral("new")); }),
      m_editing(window.context(), window.programFolder(),
                [&window](const QString &button, const QString &key, const QString &caption) {
                    return window.toolbar().addMenuEntry(button, key, caption);
                }),
      m_capture(window.context(),
                window.programFolder().filePath(QStringLiteral("savetemplate/savetext.htm")),
                [this] { return m_running; }),
      m_serial(window.context()) {
    m_changeTimer.setInterval(1000);
    m_titleTimer.setInterval(1000);
    connect(&m_changeTimer, &QTimer::timeout, this, [this] { m_capture.changeTick(); });
    connect(&m_titleTimer, &QTimer::timeout, this, [this] { m_capture.titleTick(); });
    connect(
        &window.tabs(), &TabManager::favouritesCommand, this,
        [this](BrowserView *view, const QString &name) { m_links.favouritesButton(view, name); });
    connect(&window.tabs(), &TabManager::nextChapterLinkChosen, &m_serial,
            &serial::SerialChain::useLinkAsNextChapter);
}

void Commands::runMenuEntry(const QString &key, const QString &caption) {
    const Route route = routeMenuKey(key);
    run(route.operation, route.argument, caption);
}

void Commands::runButton(const QString &key) {
    run(routeButtonKey(key));
}

void Commands::run(Operation operation, const QString &argument, const QString &caption) {
    // Capture ticks that come while a command waits for the engine leave the clipboard alone.
    const bool wasRunning = m_running;
    m_running = true;
    const auto done = qScopeGuard([this, wasRunning] { m_running = wasRunning; });
    TabManager &tabs = m_window.tabs();
    BrowserView *view = tabs.currentView();
    switch (operation) {
    case Operation::None:
        return;
    case Operation::PasteIntoField:
        pasteIntoField(caption);
        return;
    case Operation::Placeholder:
        m_window.dialogs().message(QString(), argument, Dialogs::Buttons::Ok);
        return;
    case Operation::HelpPage:
        showHelpPage(QStringLiteral("help.html"));
        return;
    case Operation::Origin:
        showHelpPage(QStringLiteral("Lumaro浏览器的来历.htm"));
        return;
    case Operation::SiteSearch1:
        openSiteSearch(firstEngineSearchUrl());
        return;
    case Operation::SiteSearch2:
        openSiteSearch(secondEngineSearchUrl());
        return;
    case Operation::DeleteThis:
        tabs.closeCurrent();
        return;
    case Operation::DeleteAll:
        tabs.closeAllUnmarked();
        return;
    case Operation::DeleteFromHard:
        tabs.deleteCurrentFromDisk();
        return;
    case Operation::Back:
        if (view)
            view->goBack();
        return;
    case Operation::Forward:
        if (view)
            view->goForward();
        return;
    case Operation::Stop:
        if (view)
            view->stop();
        return;
    case Operation::Refresh:
        if (view)
            view->reload();
        return;
    case Operation::Home:
        if (view)
            view->goHome();
        return;
    case Operation::SaveAddFull:
        saveFullPage();
        return;
    case Operation::SaveTextDialog:
        showSaveTextDialog();
        return;
    case Operation::SetSavePath:
        m_window.setSavePathFromDialog();
        return;
    case Operation::CreateFolder:
        createFolder();
        return;
    case Operation::SaveEAllTabs:
        for (int position = tabs.tabCount(); position >= 1; --position) {
            tabs.selectTab(position);
            run(Operation::SaveE);
        }
        return;
    case Operation::OpenEmailFile:
        openEmailFile();
        return;
    case Operation::OpenLink:
        openFavourites();
        return;
    case Operation::ClearPasteMenu:
        clearPasteMenu();
        return;
    case Operation::CopyToPasteMenu:
        copyToPasteMenu();
        return;
    case Operation::PasteClipboard:
        pasteClipboard();
        return;
    case Operation::OnlySave:
        m_pageSaver.onlySave(false);
        return;
    case Operation::OnlySaveXJ:
        m_pageSaver.onlySave(true);
        return;
    case Operation::SaveAllW:
        m_pageSaver.saveAllW();
        return;
    case Operation::SaveSelectText:
        m_textSaver.saveSelectText();
        return;
    case Operation::OnlySaveText:
        m_textSaver.onlySaveText(false);
        return;
    case Operation::OnlySaveTextNotLink:
        m_textSaver.onlySaveText(true);
        return;
    case Operation::SaveAllWText:
        m_textSaver.saveAllWText(false);
        return;
    case Operation::SaveAllWTextNotLink:
        m_textSaver.saveAllWText(true);
        return;
    case Operation::SaveE:
        m_links.saveEmails();
        return;
    case Operation::SaveEtoM:
        m_links.emailsToPasteMenu();
        return;
    case Operation::SaveCurrentToLink:
        m_links.saveCurrentToLink();
        return;
    case Operation::SaveToHref:
        m_links.saveToHref();
        return;
    case Operation::SaveSydz:
        m_links.saveDirectoryPage();
        return;
    case Operation::OpenHardWebPage:
        m_links.openHardWebPage();
        return;
    case Operation::OpenM:
        m_links.openFolderPages();
        return;
    case Operation::OpenFurl:
        m_links.openUrlsInFile();
        return;
    case Operation::OpenMkw:
        m_links.openFolderListing();
        return;
    case Operation::OpenAllWFromC:
        m_links.openPageLinks(links::LinkCommand::OpenAllW);
        return;
    case Operation::OpenPageA:
        m_links.openPageLinks(links::LinkCommand::OpenPageA);
        return;
    case Operation::OpenAllXFromC:
        m_links.openPageLinks(links::LinkCommand::OpenAllX);
        return;
    case Operation::OpenAllJFromC:
        m_links.openPageLinks(links::LinkCommand::OpenAllJ);
        return;
    case Operation::OpenSelectA:
        m_links.openSelectedLinks();
        return;
    case Operation::BeginSave:
        toggleCapture(QStringLiteral("beginsave"));
        return;
    case Operation::BeginSave2:
        toggleCapture(QStringLiteral("beginsave2"));
        return;
    case Operation::DeleteSelectFromC:
        m_editing.deleteSelectFromPage();
        return;
    case Operation::DeleteSelect:
        m_editing.deleteSelectFromFavourites();
        return;
    case Operation::SetInputForm:
        showTemplateEditor();
        return;
    case Operation::LoadTemplate:
        m_editing.loadTemplate(argument);
        return;
    case Operation::FillTemplate:
        m_editing.fillTemplate(argument);
        return;
    case Operation::EditTemplate:
        m_editing.editTemplate(argument);
        return;
    case Operation::PasteTemplateItem:
        m_editing.pasteTemplateItem(argument);
        return;
    case Operation::OpenGroup:
        m_editing.openGroup(argument);
        return;
    case Operation::SerialStart:
        m_serial.startFromCurrentPage();
        return;
    case Operation::SerialStop:
        m_serial.stop();
        return;
    case Operation::SerialResume:
        m_serial.resume();
        return;
    case Operation::SerialBook:
        m_serial.makeBook();
        return;
    }
}

void Commands::toggleCapture(const QString &entryKey) {
    const bool change = entryKey == QLatin1String("beginsave");
    QTimer &timer = change ? m_changeTimer : m_titleTimer;
    Toolbar &toolbar = m_window.toolbar();
    const QString save = QStringLiteral("save");
    // The caption shows the state; the timer is the state (a desktop theme may decorate
    // captions with shortcut letters).
    if (!timer.isActive()) {
        timer.start();
        toolbar.setMenuEntryCaption(save, entryKey, QStringLiteral("停止保存"));
        return;
    }
    timer.stop();
    toolbar.setMenuEntryCaption(
        save, entryKey,
        change ? QStringLiteral("开始保存【粘贴板里得文字一有变化，就会被保存到默认文件夹】")
               : QStringLiteral(
                     "开始保存【如果粘贴板里的文字小于20，就以此为文件名保存到默认文件夹】"));
}

bool Commands::isCapturing(const QString &entryKey) const {
    return (entryKey == QLatin1String("beginsave") ? m_changeTimer : m_titleTimer).isActive();
}

void Commands::showTemplateEditor() {
    m_window.dialogs().editTemplate(
        [this](const QString &name, const QList<editing::TemplateItem> &items) {
            return m_editing.saveTemplate(name, items);
        });
}

QString Commands::copySelection(BrowserView *view) {
    return saving::SaveSteps(m_window.context()).copySelectionText(view);
}

bool Commands::toggleExtractionRule() {
    if (m_rule.enabled) {
        m_rule.enabled = false; // the markers stay for the next time
        return false;
    }
    const auto markers = m_window.dialogs().askExtractionMarkers();
    if (!markers)
        return false;
    m_rule = {true, markers->first, markers->second};
    return true;
}

void Commands::showHelpPage(const QString &fileName) {
    const QUrl address = QUrl::fromLocalFile(m_window.programFolder().filePath(fileName));
    TabManager &tabs = m_window.tabs();
    if (m_window.toolbar().isChecked(QStringLiteral("new"))) {
        tabs.newWindowState().lastNewWindowUrl = QStringLiteral("1");
        tabs.openInNewTab(address);
    } else if (BrowserView *view = tabs.currentView()) {
        view->navigate(address);
    }
    tabs.newWindowState().lastNewWindowUrl = QStringLiteral("1");
}

void Commands::openSiteSearch(const QUrl &url) {
    m_window.tabs().openInNewTab(url);
    m_window.tabs().selectNewestTabLater();
}

void Commands::openFavourites() {
    showHelpPage(QStringLiteral("link.htm"));
}

void Commands::copyToPasteMenu() {
    BrowserView *view = m_window.tabs().currentView();
    QString text = copySelection(view);
    if (text.isEmpty() && view)
        text = common::trimSpaces(view->url().toString());
    if (!text.isEmpty())
        m_window.toolbar().addMenuEntry(kPaste, text, text);
}

void Commands::pasteClipboard() {
    BrowserView *view = m_window.tabs().currentView();
    if (view && browser::isTextFieldType(view->focusedElementType()))
        view->appendToFocusedElement(m_window.clipboard().text());
}

void Commands::pasteIntoField(const QString &caption) {
    BrowserView *view = m_window.tabs().currentView();
    if (view && browser::isTextFieldType(view->focusedElementType()))
        view->appendToFocusedElement(caption);
}

void Commands::clearPasteMenu() {
    Toolbar &toolbar = m_window.toolbar();
    toolbar.clearMenu(kPaste);
    toolbar.addMenuEntry(kPaste, QStringLiteral("deletealltool"), QStringLiteral("删除所有"));
}

void Commands::openEmailFile() {
    m_window.dialogs().openWithSystem(
        m_window.programFolder().filePath(QStringLiteral("email.txt")));
}

void Commands::createFolder() {
    Dialogs &dialogs = m_window.dialogs();
    const std::optional<QString> answer = dialogs.inputText(
        QStringLiteral("填写信息"), QStringLiteral("要创建文件夹名称:"), QString());
    if (!answer || answer->isEmpty())
        return;
    const QString name = *answer;
    // The name makes one folder inside the default save folder, never a path elsewhere.
    if (name.contains(u'/') || name.contains(u'\\') || name == QLatin1String(".") ||
        name == QLatin1String("..")) {
        dialogs.message(QStringLiteral("信息"),
                        QStringLiteral("文件夹名称不能包含“/”或“\\”，也不能是“.”或“..”！"),
                        Dialogs::Buttons::Ok);
        return;
    }
    const QString path = QDir::cleanPath(m_window.savePath() + u'/' + name);
    const QDir parent(m_window.savePath());
    if (QFileInfo::exists(path)) {
        dialogs.message(QStringLiteral("信息"), QStringLiteral("已经有此文件夹！"),
                        Dialogs::Buttons::Ok);
        return;
    }
    if (!parent.mkdir(name)) {
        dialogs.message(
            QStringLiteral("信息"),
            QStringLiteral("无法创建文件夹 %1（默认保存路径不存在或没有写入权限）").arg(path),
            Dialogs::Buttons::Ok);
        return;
    }
    m_window.setSavePath(path);
    QString error;
    if (!m_window.programFolder().writeSavePath(path, &error))
        dialogs.message(shell::kNoticeCaption,
                        QStringLiteral("无法写入 savepath.ini：%1").arg(error),
                        Dialogs::Buttons::Ok);
    m_window.toolbar().setMenuEntryCaption(QStringLiteral("save"), QStringLiteral("displaypath"),
                                           MainWindow::displayPathCaption(path));
}

bool Commands::warnIfBusy(BrowserView *view) {
    if (!view || !view->isBusy())
        return false;
    m_window.dialogs().message(shell::kNoticeCaption, QStringLiteral("还没有下载完!"),
                               Dialogs::Buttons::Ok);
    return true;
}

void Commands::viewSource() {
    BrowserView *view = m_window.tabs().currentView();
    if (!view)
        return;
    warnIfBusy(view);
    m_window.dialogs().showSource(
        QStringLiteral("查看源代码：必须从这里找定义提取文件名的HTML标签"),
        QStringLiteral("<HTML>") + view->html() + QStringLiteral("</HTML>"));
}

void Commands::saveFullPage() {
    BrowserView *view = m_window.tabs().currentView();
    if (!view)
        return;
    QString name = saving::correctName(view->title());
    if (name.isEmpty())
        name = QStringLiteral("page");
    const QString path = m_window.dialogs().chooseSaveFile(
        QStringLiteral("全保存当前网页"), saving::makeSavePath(m_window.savePath(), name, ".htm"),
        QStringLiteral("网页 (*.htm *.html)"));
    if (!path.isEmpty())
        view->savePageAs(path);
}

void Commands::showSaveTextDialog() {
    m_window.dialogs().showSaveTextDialog([this](const QString &title, const QString &content) {
        return saveTextToFolder(title, content);
    });
}

bool Commands::saveTextToFolder(const QString &title, const QString &content) {
    Dialogs &dialogs = m_window.dialogs();
    const QString name = saving::fitFileName(saving::correctName(title.trimmed()), ".txt");
    if (name.isEmpty()) {
        dialogs.message(shell::kNoticeCaption, QStringLiteral("请填写文章标题，它将作为文件名！"),
                        Dialogs::Buttons::Ok);
        return false;
    }
    const QString path = saving::makeSavePath(m_window.savePath(), name, QStringLiteral(".txt"));
    if (!saving::existingFileName(m_window.savePath(), name + QStringLiteral(".txt")).isEmpty() &&
        dialogs.message(QString(), QStringLiteral("已经存在同样名字的文件，是否要覆盖？"),
                        Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return false;
    QString error;
    if (!common::writeTextFile(path, content + QStringLiteral("\r\n"),
                               common::FileEncoding::Gb18030, &error)) {
        dialogs.message(shell::kNoticeCaption, QStringLiteral("无法保存 %1：%2").arg(path, error),
                        Dialogs::Buttons::Ok);
        return false;
    }
    m_window.setPanelText(QStringLiteral("s2"), QStringLiteral("该网页已经保存到") + path);
    return true;
}

} // namespace shell
