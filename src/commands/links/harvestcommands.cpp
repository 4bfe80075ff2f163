#include "harvestcommands.h"

#include "browser/browserview.h"
#include "browser/bulkopen.h"
#include "common/ansifile.h"
#include "links/bookmarksimport.h"
#include "links/favouriteslinks.h"
#include "links/favouriteswrite.h"
#include "links/linkharvest.h"

#include <QDir>
#include <QPointer>

namespace commands {

namespace {} // namespace

HarvestCommands::HarvestCommands(
    CommandContext &context, const common::ProgramFolder &folder,
    std::function<void(browser::BrowserView *, const QList<QUrl> &)> download)
    : m_context(context), m_folder(folder), m_steps(context), m_download(std::move(download)) {}

void HarvestCommands::count(int number) {
    m_context.panels.setPanelText(Panel::Counts, QString::number(number));
}

common::Task<> HarvestCommands::linksToFavourites(links::LinkCommand command) {
    const auto shown = co_await m_steps.readShownPage(SaveSteps::Markup::ForScanners);
    if (!shown)
        co_return;
    QList<links::favourites::Entry> entries;
    for (const links::LinkWithText &link :
         linksWithTexts(shown->page.html, shown->url.toString(), command))
        entries.append({link.url, link.text});
    const QString path = m_folder.favouritesPath();
    const common::TextFileContent file = common::readTextFile(path);
    if (!file.ok || file.text.isEmpty()) {
        m_context.dialogs.message(kNoticeCaption,
                                  QStringLiteral("无法读取 link.htm：%1").arg(file.error),
                                  Dialogs::Buttons::Ok);
        co_return;
    }
    const auto changed =
        links::favourites::addEntries(file.text, entries, links::favourites::newKey);
    if (!changed) {
        m_context.dialogs.message(kNoticeCaption,
                                  QStringLiteral("link.htm被修改过，并且没有修改正确！"),
                                  Dialogs::Buttons::Ok);
        co_return;
    }
    if (changed->added > 0) {
        QString error;
        if (!links::favourites::writeFavouritesFile(
                path, file.text, changed->file + QStringLiteral("\r\n"), file.encoding,
                links::favourites::Change::AddRows, &error)) {
            m_context.dialogs.message(kNoticeCaption,
                                      QStringLiteral("无法写入 link.htm：%1").arg(error),
                                      Dialogs::Buttons::Ok);
            co_return;
        }
        m_context.tabs.reloadView(m_context.tabs.viewAtPosition(1));
    }
    count(changed->added);
}

common::Task<> HarvestCommands::openSelectionLinks(links::LinkCommand command) {
    const auto shown =
        co_await m_steps.readSelectedPage(SaveSteps::Markup::ForScanners, kSelectLinksFirst);
    if (!shown)
        co_return;
    QList<QUrl> urls;
    for (const QString &url :
         linksInSelection(shown->page.html, shown->url.toString(), shown->selection, command))
        urls.append(QUrl(url));
    co_await browser::openHarvestedInTurns(m_context.tabs, urls,
                                           [this](int opened) { count(opened); });
}

common::Task<> HarvestCommands::downloadFileLinks(bool selectionOnly) {
    using Markup = SaveSteps::Markup;
    std::optional<SaveSteps::ShownPage> shown;
    if (selectionOnly)
        shown = co_await m_steps.readSelectedPage(Markup::ForScanners, kSelectLinksFirst);
    else
        shown = co_await m_steps.readShownPage(Markup::ForScanners);
    if (!shown || !shown->view)
        co_return;
    const QString pageUrl = shown->url.toString();
    const QStringList urls =
        selectionOnly ? links::nonPageLinksInSelection(shown->page.html, pageUrl, shown->selection)
                      : links::nonPageLinks(shown->page.html, pageUrl);
    QList<QUrl> files;
    for (const QString &url : urls)
        files.append(QUrl(url));
    count(int(files.size()));
    if (files.isEmpty()) {
        m_context.dialogs.message(kNoticeCaption,
                                  QStringLiteral("没有找到非网页链接（.zip .rar .exe .pdf 等）！"),
                                  Dialogs::Buttons::Ok);
        co_return;
    }
    m_download(shown->view, files);
}

void HarvestCommands::importBookmarks() {
    const QString path = m_context.dialogs.chooseFile(QStringLiteral("导入书签"), QDir::homePath(),
                                                      QStringLiteral("书签文件 (*.html *.htm)"));
    if (path.isEmpty())
        return;
    QString error;
    const auto result =
        links::bookmarks::importBookmarks(path, m_folder.favouritesPath(), {}, &error);
    if (!result) {
        m_context.dialogs.message(kNoticeCaption, QStringLiteral("没有导入书签：%1").arg(error),
                                  Dialogs::Buttons::Ok);
        return;
    }
    if (result->added > 0)
        m_context.tabs.reloadView(m_context.tabs.viewAtPosition(1));
    count(result->added);
    QString said = QStringLiteral("已导入 %1 个书签到 link.htm").arg(result->added);
    if (result->duplicates > 0)
        said += QStringLiteral("，%1 个已经在收藏夹里").arg(result->duplicates);
    if (!result->refused.isEmpty())
        said += QStringLiteral("，%1 个不是网页或文件的地址，没有导入").arg(result->refused.size());
    m_context.panels.showNotice(said); // the favourites page's reload would cover it
}

void HarvestCommands::exportBookmarks() {
    const QString path = m_context.dialogs.chooseSaveFile(
        QStringLiteral("导出书签"), QDir::home().filePath(QStringLiteral("bookmarks.html")),
        QStringLiteral("书签文件 (*.html)"));
    if (path.isEmpty())
        return;
    QString error;
    const std::optional<int> written =
        links::bookmarks::exportBookmarks(m_folder.favouritesPath(), path, &error);
    if (!written) {
        m_context.dialogs.message(kNoticeCaption, QStringLiteral("没有导出书签：%1").arg(error),
                                  Dialogs::Buttons::Ok);
        return;
    }
    count(*written);
    m_context.panels.setPanelText(
        Panel::Message, QStringLiteral("已把 %1 个收藏导出到 %2").arg(*written).arg(path));
}

} // namespace commands
