#include "linkcommands.h"

#include "browser/browserview.h"
#include "browser/bulkopen.h"
#include "commands/batchrun.h"
#include "common/ansifile.h"
#include "common/textsearch.h"
#include "links/directorypage.h"
#include "links/emailscanner.h"
#include "links/favouritesfile.h"
#include "links/selectionlinks.h"
#include "saving/filenaming.h"
#include "saving/overwritecheck.h"

#include <QDate>
#include <QDir>

namespace commands {

LinkCommands::LinkCommands(CommandContext &context, const common::ProgramFolder &folder,
                           std::function<bool(const QString &, const QString &)> addPasteEntry,
                           std::function<bool()> newTabToggle)
    : m_context(context), m_folder(folder), m_steps(context),
      m_addPasteEntry(std::move(addPasteEntry)), m_newTabToggle(std::move(newTabToggle)) {}

void LinkCommands::countOpened(int count) {
    m_context.panels.setPanelText(Panel::Counts, QString::number(count));
}

common::Task<> LinkCommands::openPageLinks(links::LinkCommand command) {
    const auto shown = co_await m_steps.readShownPage(SaveSteps::Markup::ForScanners);
    if (!shown)
        co_return;
    QList<QUrl> urls;
    for (const links::HarvestedLink &link :
         scanLinks(shown->page.html, shown->url.toString(QUrl::FullyEncoded), command,
                   shown->page.charset))
        urls.append(QUrl(link.url));
    const bool counted = command != links::LinkCommand::OpenPageA;
    co_await browser::openHarvestedInTurns(m_context.tabs, urls, [this, counted](int count) {
        if (counted)
            countOpened(count);
    });
}

common::Task<> LinkCommands::openSelectedLinks() {
    const auto shown =
        co_await m_steps.readSelectedPage(SaveSteps::Markup::ForScanners, kSelectLinksFirst);
    if (!shown)
        co_return;
    QList<QUrl> urls;
    for (const QString &url :
         links::selectedLinks(shown->page.html, shown->url.toString(QUrl::FullyEncoded),
                              shown->selection, shown->page.charset))
        urls.append(QUrl(url));
    co_await browser::openHarvestedInTurns(m_context.tabs, urls,
                                           [this](int count) { countOpened(count); });
}

common::Task<> LinkCommands::openUrlsInFile() {
    const QString path = m_context.dialogs.chooseFile(QStringLiteral("打开文件"), m_folder.path(),
                                                      QStringLiteral("所有文件 (*)"));
    const common::TextFileContent file =
        path.isEmpty() ? common::TextFileContent{} : common::readTextFile(path);
    if (file.text.isEmpty()) {
        m_context.dialogs.message(kNoticeCaption, QStringLiteral("此文件无内容！"),
                                  Dialogs::Buttons::Ok);
        co_return;
    }
    QList<QUrl> urls;
    for (const QString &url : links::urlsInText(file.text))
        urls.append(QUrl(url));
    co_await browser::openHarvestedInTurns(m_context.tabs, urls);
}

// The folder browser; a cancel shows in the address box.
QString LinkCommands::chooseFolder() {
    const QString folder =
        m_context.dialogs.chooseFolder(QStringLiteral("选择文件夹"), m_context.savePath());
    if (folder.isEmpty())
        m_context.panels.setPanelText(Panel::Address, QStringLiteral("Dialog was cancelled"));
    return folder;
}

common::Task<> LinkCommands::openFolderPages() {
    const QString folder = chooseFolder();
    if (folder.isEmpty())
        co_return;
    const QStringList files =
        QDir(folder).entryList({QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files,
                               QDir::Name | QDir::IgnoreCase);
    QList<QUrl> urls;
    for (const QString &file : files) {
        // The name is opened in lower case, as the folder listing gives it on a system whose
        // file names ignore case; here the file must still be found under its own name.
        const QString lower = file.toLower();
        const QString name = QFileInfo::exists(QDir(folder).filePath(lower)) ? lower : file;
        urls.append(QUrl::fromLocalFile(QDir(folder).filePath(name)));
    }
    co_await browser::openHarvestedInTurns(m_context.tabs, urls);
}

void LinkCommands::openSingle(const QUrl &url) {
    if (m_newTabToggle()) {
        m_context.tabs.openInNewTab(url);
    } else if (browser::BrowserView *view = m_context.tabs.currentView()) {
        view->navigate(url);
    }
}

void LinkCommands::openHardWebPage() {
    const QString path = m_context.dialogs.chooseFile(QStringLiteral("打开文件"), m_folder.path(),
                                                      QStringLiteral("所有文件 (*)"));
    if (!path.isEmpty())
        openSingle(QUrl::fromLocalFile(path.trimmed()));
}

void LinkCommands::openFolderListing() {
    const QString folder = chooseFolder();
    if (folder.isEmpty())
        return;
    openSingle(QUrl::fromLocalFile(folder));
}

common::Task<> LinkCommands::saveToHref() {
    const auto shown = co_await m_steps.readShownPage(SaveSteps::Markup::ForScanners);
    if (!shown)
        co_return;
    const QString lines = links::hrefFileLines(
        links::scanLinks(shown->page.html, shown->url.toString(QUrl::FullyEncoded),
                         links::LinkCommand::SaveToHref, shown->page.charset));
    QString error;
    if (!common::appendTextFile(m_folder.filePath(QStringLiteral("href.txt")), lines, &error))
        m_context.dialogs.message(kNoticeCaption,
                                  QStringLiteral("无法写入 href.txt：%1").arg(error),
                                  Dialogs::Buttons::Ok);
}

void LinkCommands::saveDirectoryPage() {
    const QString suggested =
        QStringLiteral("20") + QDate::currentDate().toString(QStringLiteral("yy-M-d"));
    const auto answer = m_context.dialogs.inputText(
        QStringLiteral("信息输入"), QStringLiteral("请输入目录网页的名字："), suggested);
    const QString name = saving::correctName(answer ? answer->trimmed() : QString());
    if (name.isEmpty()) {
        m_context.dialogs.message(kNoticeCaption, QStringLiteral("请输入目录网页的名字！"),
                                  Dialogs::Buttons::Ok);
        return;
    }
    const QString fileName = m_steps.confirmOverwrite(name, QStringLiteral(".htm"));
    if (fileName.isEmpty())
        return;
    QList<links::DirectoryEntry> entries;
    browser::TabHost &tabs = m_context.tabs;
    for (int position = tabs.tabCount(); position >= 2; --position) {
        browser::BrowserView *view = tabs.viewAtPosition(position);
        if (!view)
            continue;
        const QString selection = m_steps.copySelectionText(view);
        // Written encoded, so that the directory page leads to the same address whatever
        // character set it is read in.
        entries.append(
            {view->url().toString(QUrl::FullyEncoded),
             selection.isEmpty() ? view->title() : saving::correctNameHaveSpace(selection)});
    }
    QString error;
    const QString path = m_steps.pathOf(fileName);
    if (!common::writeTextFile(path, links::directoryPage(entries), common::FileEncoding::Gb18030,
                               &error)) {
        m_context.dialogs.message(kNoticeCaption,
                                  QStringLiteral("无法保存文件 %1：%2").arg(path, error),
                                  Dialogs::Buttons::Ok);
        return;
    }
    m_context.panels.setPanelText(Panel::Message,
                                  QStringLiteral("已经保存到") + m_context.savePath());
}

common::Task<> LinkCommands::saveEmails() {
    const auto shown = co_await m_steps.readShownPage(SaveSteps::Markup::AsIs);
    if (!shown)
        co_return;
    const QString path = m_folder.filePath(QStringLiteral("email.txt"));
    const QString previous = common::readTextFile(path).text;
    const QStringList addresses =
        links::emailsToAppend(previous, links::scanEmails(shown->page.html));
    if (addresses.isEmpty())
        co_return;
    QString error;
    if (!common::appendTextFile(
            path, links::emailRecords(addresses, shown->url.toString(), shown->title), &error))
        m_context.dialogs.message(kNoticeCaption,
                                  QStringLiteral("无法写入 email.txt：%1").arg(error),
                                  Dialogs::Buttons::Ok);
}

common::Task<> LinkCommands::saveEmailsOfAllTabs() {
    browser::TabHost &tabs = m_context.tabs;
    BatchRun run(m_context, tabs.tabCount());
    for (int position = tabs.tabCount(); position >= 1; --position) {
        if (position > tabs.tabCount())
            continue; // tabs closed meanwhile
        if (run.stopRequested()) {
            m_context.panels.setPanelText(
                Panel::Message, QStringLiteral("已停止：还有%1个网页没有查找Email").arg(position));
            co_return;
        }
        tabs.selectTab(position);
        co_await saveEmails();
        run.pageDone(tabs.tabCount() - position + 1);
    }
}

common::Task<> LinkCommands::emailsToPasteMenu() {
    const auto shown = co_await m_steps.readShownPage(SaveSteps::Markup::AsIs);
    if (!shown)
        co_return;
    for (const QString &address : links::scanEmails(shown->page.html))
        m_addPasteEntry(address.trimmed(), address.trimmed());
}

void LinkCommands::saveCurrentToLink() {
    browser::BrowserView *view = m_context.tabs.currentView();
    if (!view)
        return;
    const QString address = view->url().toString();
    QString comment = m_steps.copySelectionText(view);
    comment.remove(QStringLiteral("\r\n"));
    if (comment.trimmed().isEmpty())
        comment = view->title();
    const auto answer = m_context.dialogs.askLink(address, comment);
    if (!answer || answer->first.trimmed().isEmpty())
        return;
    const common::TextFileContent file = common::readTextFile(m_folder.favouritesPath());
    const auto refuse = [this](const QString &why) {
        m_context.dialogs.message(kNoticeCaption, QStringLiteral("没有添加到收藏夹：%1").arg(why),
                                  Dialogs::Buttons::Ok);
    };
    if (!file.ok) {
        refuse(QStringLiteral("无法读取 link.htm（%1）").arg(file.error));
        return;
    }
    if (file.text.trimmed().isEmpty()) {
        refuse(QStringLiteral("link.htm 是空的"));
        return;
    }
    if (links::favourites::containsAddress(file.text, answer->first)) {
        m_context.dialogs.message(
            kNoticeCaption, QStringLiteral("link.htm里已经有这个网址了：%1").arg(answer->first),
            Dialogs::Buttons::Ok);
        return;
    }
    const auto changed = links::favourites::addEntry(file.text, answer->first, answer->second,
                                                     links::favourites::newKey());
    if (!changed) {
        refuse(QStringLiteral("link.htm 里没有收藏的表格（找不到 </tr>），文件没有改动"));
        return;
    }
    if (writeFavourites(file, *changed, links::favourites::Change::AddRow))
        m_context.tabs.reloadView(m_context.tabs.viewAtPosition(1));
}

void LinkCommands::favouritesButton(browser::BrowserView *view, const QString &buttonName) {
    // Any page may ask for this address; only the favourites page's own buttons count.
    if (!view || view->url() != m_folder.favouritesUrl())
        return;
    const common::TextFileContent file = common::readTextFile(m_folder.favouritesPath());
    if (!file.ok || file.text.isEmpty())
        return;
    QString text = file.text;
    links::favourites::EditResult result = links::favourites::EditResult::NameNotFound;
    const bool edit = links::favourites::isEditButton(buttonName);
    if (edit) {
        const auto old = links::favourites::findEntry(text, buttonName);
        if (!old)
            return;
        const auto answer = m_context.dialogs.askLink(old->address, old->comment);
        if (!answer || answer->first.isEmpty())
            return;
        result =
            links::favourites::editEntry(text, buttonName, *old, {answer->first, answer->second});
    } else {
        result = links::favourites::deleteEntry(text, buttonName);
    }
    if (result == links::favourites::EditResult::RowBroken) {
        m_context.dialogs.message(kNoticeCaption,
                                  QStringLiteral("link.htm被修改过，并且没有修改正确！"),
                                  Dialogs::Buttons::Ok);
        return;
    }
    if (result != links::favourites::EditResult::Done ||
        !writeFavourites(file, text,
                         edit ? links::favourites::Change::EditRow
                              : links::favourites::Change::RemoveRow))
        return;
    m_context.tabs.reloadView(view);
    if (view != m_context.tabs.viewAtPosition(1))
        m_context.tabs.reloadView(m_context.tabs.viewAtPosition(1));
}

// link.htm is replaced whole and atomically: a failed write leaves the old file as it was, and
// a change that would lose more than the user removed is refused.
bool LinkCommands::writeFavourites(const common::TextFileContent &read, const QString &changed,
                                   links::favourites::Change change) {
    QString error;
    if (links::favourites::writeFavouritesFile(m_folder.favouritesPath(), read.text, changed,
                                               read.encoding, change, &error))
        return true;
    m_context.dialogs.message(kNoticeCaption, QStringLiteral("无法写入 link.htm：%1").arg(error),
                              Dialogs::Buttons::Ok);
    return false;
}

} // namespace commands
