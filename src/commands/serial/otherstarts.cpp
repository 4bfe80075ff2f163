// Chains started without the first chapter shown: 从目录页保存全部章节 goes down a contents
// page's list of chapters, and a script starts one at an address.
#include "serialchain.h"

#include "browser/browserview.h"
#include "browser/pagereads.h"
#include "commands/serial/seriesstart.h"
#include "common/ansifile.h"
#include "common/urlrules.h"
#include "serial/chapterfiles.h"
#include "serial/chaptertitle.h"
#include "serial/contentslist.h"
#include "serial/nextlink.h"

#include <QDir>
#include <QPointer>

namespace commands {

common::Task<> SerialChain::startFromContentsPage() {
    browser::BrowserView *view = m_context.tabs.currentView();
    if (!view || refuseWhileRunning())
        co_return;
    const QString caption = QStringLiteral("从目录页保存全部章节");
    const QUrl page = view->url();
    const QString pageTitle = view->title();
    const browser::PageRead read = co_await browser::readPage(view);
    if (!read.ok()) {
        m_context.dialogs.message(caption, QStringLiteral("无法读取当前网页。"),
                                  Dialogs::Buttons::Ok);
        co_return;
    }
    QList<QUrl> list = serial::contentsChapters(read.html, page);
    if (list.size() < 2) {
        m_context.dialogs.message(
            caption, QStringLiteral("当前网页上没有找到章节目录（至少两个章节链接）。"),
            Dialogs::Buttons::Ok);
        co_return;
    }
    if (refuseWhileRunning()) // a chain started while the page was read
        co_return;
    // A contents page names the book in a heading that its title begins with ("山河剑客" in
    // "山河剑客最新章节列表_笔趣阁"); a heading with the site's name does not begin it.
    QString bookName = pageTitle;
    for (const QString &heading : serial::headingTexts(read.html)) {
        const QString name = heading.simplified();
        if (!name.isEmpty() && pageTitle.simplified().startsWith(name)) {
            bookName = name;
            break;
        }
    }
    std::optional<SeriesStart> start = askSeriesStart(m_context, bookName);
    if (!start)
        co_return;
    // The contents page stays where it is: its further pages and the chapters load in a tab
    // of their own.
    QPointer<browser::BrowserView> chain =
        m_context.tabs.openInNewTab(QUrl(QStringLiteral("about:blank")), true, true);
    co_await saveFromContents(chain, page, read.html, *start, false);
}

common::Task<> SerialChain::startFromContentsAddress(QUrl url, QString name) {
    if (isRunning()) {
        status(QStringLiteral("连续保存正在进行，没有开始新的连续保存"));
        co_return;
    }
    if (!common::isWebAddress(url)) {
        status(QStringLiteral("目录页只能是网页（http、https）：") + url.toString().left(200));
        co_return;
    }
    QString error;
    std::optional<SeriesStart> start =
        seriesStartWithoutDialogs(m_context.savePath(), name, &error);
    if (!start) {
        status(error);
        co_return;
    }
    QPointer<browser::BrowserView> chain =
        m_context.tabs.openInNewTab(QUrl(QStringLiteral("about:blank")), true, true);
    const browser::PageRead read = co_await loadContentsPage(chain, url);
    if (!read.ok()) {
        status(QStringLiteral("无法打开目录页：") + url.toString().left(200));
        co_return;
    }
    if (serial::contentsChapters(read.html, url).size() < 2) {
        status(QStringLiteral("目录页上没有找到章节目录（至少两个章节链接）：") +
               url.toString().left(200));
        co_return;
    }
    co_await saveFromContents(chain, url, read.html, *start, true);
}

// Reads the rest of a contents list, keeps it in the series folder and saves its chapters
// in `chain`. `quiet` (a script started it): problems go to s2, not to a message box.
common::Task<> SerialChain::saveFromContents(QPointer<browser::BrowserView> chain, QUrl page,
                                             QString html, SeriesStart start, bool quiet) {
    const QString caption = QStringLiteral("从目录页保存全部章节");
    const auto say = [this, quiet, &caption](const QString &text) {
        if (quiet)
            status(text);
        else
            m_context.dialogs.message(caption, text, Dialogs::Buttons::Ok);
    };
    if (!chain || refuseWhileRunning())
        co_return;
    QList<QUrl> list = serial::contentsChapters(html, page);
    // A list split over pages is read to its last page before anything is saved: a part of
    // it is never taken for the whole.
    QList<QList<QUrl>> pages{list};
    QSet<QString> visited{serial::chainKey(page)};
    for (QUrl more = serial::contentsNextPage(html, page); !more.isEmpty();) {
        if (visited.contains(serial::chainKey(more)))
            break;
        if (visited.size() >= kMaxContentsPages) {
            say(QStringLiteral("目录超过 %1 页，没有开始保存。").arg(kMaxContentsPages));
            co_return;
        }
        visited.insert(serial::chainKey(more));
        status(QStringLiteral("正在读取目录第 %1 页：%2").arg(visited.size()).arg(more.toString()));
        const browser::PageRead next = co_await loadContentsPage(chain, more);
        if (!next.ok()) {
            say(QStringLiteral("目录的第 %1 页无法读取，没有开始保存：\n%2")
                    .arg(visited.size())
                    .arg(more.toString()));
            co_return;
        }
        pages.append(serial::contentsChapters(next.html, more));
        more = serial::contentsNextPage(next.html, more);
    }
    if (pages.size() > 1) {
        list = serial::mergeContentsPages(pages);
        status(QStringLiteral("目录共 %1 页，%2 章").arg(pages.size()).arg(list.size()));
    }
    if (!chain || refuseWhileRunning())
        co_return;
    const QString listPath = QDir(start.folder).filePath(serial::kListFileName);
    QString error;
    if (!common::writeTextFile(listPath, serial::formatChapterList(list),
                               common::FileEncoding::Utf8, &error)) {
        say(QStringLiteral("无法保存章节列表：") + error);
        co_return;
    }
    serial::ChainState state = start.state;
    state.fromList = true;
    state.finished = false;
    if (state.author.isEmpty())
        state.author = serial::authorIn(html);
    if (!start.resumes || state.next.isEmpty()) {
        // Chapters the folder holds already (the same address) are not saved again.
        QSet<QString> saved;
        const common::TextFileContent index =
            common::readTextFile(QDir(start.folder).filePath(serial::kIndexFileName));
        for (const serial::IndexEntry &entry : serial::parseIndex(index.text))
            saved.insert(serial::chainKey(entry.address));
        state.next = serial::nextListedChapter(list, QUrl(), saved);
        if (state.next.isEmpty()) {
            say(QStringLiteral("目录上的%1章都已经保存过了。").arg(list.size()));
            co_return;
        }
    }
    run(chain, start.folder, state, false);
}

// Loads a further page of a contents list in `view` and reads it once it has loaded.
common::Task<browser::PageRead> SerialChain::loadContentsPage(QPointer<browser::BrowserView> view,
                                                               QUrl url) {
    if (!view)
        co_return browser::PageRead{browser::PageRead::Status::Closed, {}, {}};
    view->navigate(url);
    // The blank page it held may end its load first: the page asked for is waited for.
    for (int turn = 0; turn < 3 && view; ++turn) {
        const bool loaded = co_await browser::documentComplete(view.data(), kContentsPageMs);
        if (!loaded || !view ||
            (!view->isBusy() && view->url().scheme() != QLatin1String("about")))
            break;
    }
    if (!view || view->isBusy())
        co_return browser::PageRead{browser::PageRead::Status::NoAnswer, {}, {}};
    co_return co_await browser::readPage(view.data());
}

void SerialChain::startFromAddress(const QUrl &url, const QString &name) {
    if (isRunning())
        return status(QStringLiteral("连续保存正在进行，没有开始新的连续保存"));
    // An address handed over by another start is followed only when it is a web page.
    if (!common::isWebAddress(url))
        return status(QStringLiteral("连续保存只能从网页（http、https）开始：") +
                      url.toString().left(200));
    QString error;
    std::optional<SeriesStart> start =
        seriesStartWithoutDialogs(m_context.savePath(), name, &error);
    if (!start)
        return status(error);
    start->state.next = url;
    if (browser::BrowserView *chain =
            m_context.tabs.openInNewTab(QUrl(QStringLiteral("about:blank")), true, true))
        run(chain, start->folder, start->state, false);
}

} // namespace commands
