#include "serialchain.h"

#include "browser/browserview.h"
#include "browser/pagereads.h"
#include "commands/commandrunner.h"
#include "commands/serial/makebook.h"
#include "commands/serial/seriesstart.h"
#include "commands/serial/sitelearning.h"
#include "common/ansifile.h"
#include "serial/chaptertitle.h"
#include "serial/contentslist.h"
#include "serial/nextlink.h"
#include "serial/siterules.h"

#include <QDir>

namespace commands {

namespace {

const QString kCaption = QStringLiteral("连续保存");
constexpr int kLoadLimitMs = 60000;
constexpr int kMostFailedLoads = 3;
constexpr int kRereadMs = 300;

} // namespace

SerialChain::SerialChain(CommandContext &context, QObject *parent)
    : QObject(parent), m_context(context) {
    m_delay.setSingleShot(true);
    m_loadLimit.setSingleShot(true);
    connect(&m_delay, &QTimer::timeout, this, &SerialChain::loadNext);
    connect(&m_loadLimit, &QTimer::timeout, this, &SerialChain::loadTimedOut);
}

bool SerialChain::refuseWhileRunning() {
    if (!isRunning())
        return false;
    m_context.dialogs.message(kCaption, QStringLiteral("连续保存正在进行，请先停止连续保存。"),
                              Dialogs::Buttons::Ok);
    return true;
}

void SerialChain::startFromCurrentPage() {
    browser::BrowserView *view = m_context.tabs.currentView();
    if (!view || refuseWhileRunning())
        return;
    std::optional<SeriesStart> start = askSeriesStart(m_context, view->title());
    if (!start)
        return;
    if (!start->resumes)
        start->state.next = view->url();
    run(view, start->folder, start->state, !start->resumes);
}

void SerialChain::resume() {
    if (refuseWhileRunning())
        return;
    const QString folder = m_context.dialogs.chooseFolder(
        QStringLiteral("请选择要继续连续保存的系列文件夹"), m_context.savePath());
    if (folder.isEmpty())
        return;
    const std::optional<serial::ChainState> state = serial::readChainState(folder);
    if (!state) {
        m_context.dialogs.message(kCaption, QStringLiteral("该文件夹里没有可以继续的连续保存。"),
                                  Dialogs::Buttons::Ok);
        return;
    }
    if (state->finished) {
        m_context.dialogs.message(kCaption, QStringLiteral("该系列已经保存到最后一章了。"),
                                  Dialogs::Buttons::Ok);
        return;
    }
    // After a restart the current tab may be any page, the favourites among them: the chain
    // takes a tab of its own.
    browser::BrowserView *view =
        m_context.tabs.openInNewTab(QUrl(QStringLiteral("about:blank")), true, true);
    if (view)
        run(view, folder, *state, false);
}

void SerialChain::run(browser::BrowserView *view, const QString &folder,
                      const serial::ChainState &state, bool currentPageIsNext) {
    ++m_runId;
    m_view = view;
    m_folder = folder;
    m_state = state;
    m_failedLoads = 0;
    // Chapters past the state's count were saved by a chain killed before it noted them:
    // they are saved again, under the same numbers.
    m_store.open(folder, m_state.count, m_state.continues,
                 m_state.format == serial::ChapterFormat::Html);
    m_list = m_state.fromList
                 ? serial::parseChapterList(
                       common::readTextFile(QDir(folder).filePath(serial::kListFileName)).text)
                 : QList<QUrl>();
    m_loadConnection =
        connect(view, &browser::BrowserView::documentComplete, this, &SerialChain::pageLoaded);
    if (!currentPageIsNext) {
        loadNext();
    } else if (view->isBusy()) {
        m_waitingForLoad = true;
        m_loadLimit.start(kLoadLimitMs);
    } else {
        // Read the page from the event loop, never from inside the caller's handler.
        saveChapterLater(0);
    }
}

void SerialChain::stop() {
    m_toCheck.clear();
    m_checking = false;
    if (isRunning())
        finish(QStringLiteral("连续保存已停止，已保存%1章").arg(m_state.count));
}

void SerialChain::loadNext() {
    if (!m_view)
        return finish(QStringLiteral("连续保存的网页已经关闭"));
    m_waitingForLoad = true;
    m_loadLimit.start(kLoadLimitMs);
    // A check for new chapters asks the server: the engine's cache holds the last chapter as
    // it was when it was read.
    if (m_peeking)
        m_view->navigateFresh(m_state.next);
    else
        m_view->navigate(m_state.next);
}

void SerialChain::pageLoaded(const QUrl &, bool ok) {
    if (!m_waitingForLoad)
        return;
    m_waitingForLoad = false;
    m_loadLimit.stop();
    if (ok) {
        m_failedLoads = 0;
        // The engine is inside its own signal here: read the page a moment later.
        saveChapterLater(0);
        return;
    }
    if (++m_failedLoads >= kMostFailedLoads)
        return finish(QStringLiteral("网页三次打开失败，连续保存停止：") + m_state.next.toString(),
                      true);
    m_delay.start(m_state.delayMs);
}

void SerialChain::loadTimedOut() {
    if (m_view)
        m_view->stop();
    m_waitingForLoad = true;
    pageLoaded(QUrl(), false);
}

void SerialChain::saveChapterLater(int delayMs) {
    QTimer::singleShot(delayMs, this, [this, run = m_runId] {
        if (run != m_runId)
            return; // that chain has ended
        // A step of the chain is a command like any other: it waits for the one at work.
        if (m_context.runner)
            m_context.runner->enqueue(QStringLiteral("连续保存"), [this] { return saveChapter(); });
        else
            saveChapter().start();
    });
}

common::Task<> SerialChain::saveChapter() {
    const int run = m_runId;
    if (!m_view)
        co_return finish(QStringLiteral("连续保存的网页已经关闭"));
    const QUrl url = m_view->url();
    const browser::PageRead read = co_await browser::readPage(m_view);
    if (run != m_runId)
        co_return; // stopped meanwhile
    if (!m_view)
        co_return finish(QStringLiteral("连续保存的网页已经关闭"));
    const QString html = read.ok() ? read.html : QString();
    if (html.isEmpty()) {
        // No answer from the page (a script at work, a renderer gone). Saving nothing would
        // end the chain as if at its last page.
        if (++m_failedLoads >= kMostFailedLoads)
            co_return finish(QStringLiteral("无法读取网页，连续保存停止：") + url.toString(), true);
        saveChapterLater(kRereadMs);
        co_return;
    }
    if (m_peeking) {
        m_peeking = false;
        co_return goOnIfNewChapter(html, url);
    }
    const bool asHtml = m_state.format == serial::ChapterFormat::Html;
    // (A co_await inside ?: is miscompiled by g++ 12: its temporaries are destroyed twice.)
    QString article;
    if (!asHtml)
        article = co_await browser::readArticleJson(m_view);
    if (run != m_runId)
        co_return;
    if (!m_view)
        co_return finish(QStringLiteral("连续保存的网页已经关闭"));
    m_failedLoads = 0;
    const serial::SiteRules rules =
        serial::readSiteRules(serial::siteRulesPath(m_context.siteRulesFolder, url));
    QString body = asHtml ? html : chapterText(article, html);
    if (!asHtml) {
        // The site's own rules, as the user taught them: its chapter element, what to leave out.
        if (const QStringList content = serial::blockTexts(html, rules.content);
            !content.isEmpty() && !content.first().isEmpty())
            body = QString(content.first()).replace(u'\n', QStringLiteral("\r\n"));
        body = serial::applySiteRules(body, html, rules);
    }
    const bool continuing = m_state.continues && m_store.hasOpenChapter();
    const int number = continuing ? m_state.count : m_state.count + 1;
    QString title = continuing ? m_store.titleOf(number) : titleOf(html, number);
    if (const QString byRule = serial::titleBySiteRules(m_view->title(), rules);
        !continuing && !byRule.isEmpty())
        title = byRule;
    if (m_state.author.isEmpty())
        m_state.author = serial::authorIn(html);
    QString error;
    if (!(continuing ? m_store.addPage(body, &error)
                     : m_store.startChapter(number, title, url, body, &error)))
        co_return finish(QStringLiteral("无法保存第%1章：%2").arg(number).arg(error), true);
    m_store.see(url);
    m_store.see(m_state.next);
    m_state.count = number;
    // A chapter's own pages come before the next chapter.
    if (const QUrl page = serial::findChapterPage(html, url, asHtml ? QString() : body,
                                                  m_store.seen(), !continuing);
        !page.isEmpty()) {
        m_state.continues = true;
        m_state.next = page;
        if (!serial::writeChainState(m_folder, m_state, &error))
            co_return finish(QStringLiteral("无法写入连续保存的状态：") + error, true);
        status(
            QStringLiteral("已连续保存第%1章：%2（未完，接着保存下一页）").arg(number).arg(title));
        co_return m_delay.start(m_state.delayMs);
    }
    m_state.continues = false;

    const serial::NextLink next = nextChapter(html, url);
    m_state.finished = next.outcome != serial::NextLinkOutcome::Found;
    m_state.next = m_state.finished ? QUrl() : next.url;
    if (!serial::writeChainState(m_folder, m_state, &error))
        co_return finish(QStringLiteral("无法写入连续保存的状态：") + error, true);
    status(QStringLiteral("已连续保存第%1章：%2").arg(number).arg(title));

    switch (next.outcome) {
    case serial::NextLinkOutcome::Found:
        break;
    case serial::NextLinkOutcome::Several:
        co_return finish(
            QStringLiteral("网页上有几个下一章链接，连续保存停止，已保存%1章").arg(number), true);
    case serial::NextLinkOutcome::None:
    case serial::NextLinkOutcome::BackToIndex:
    case serial::NextLinkOutcome::AlreadySeen:
        co_return finish(QStringLiteral("已保存到最后一章，共%1章").arg(number));
    }
    if (m_state.limit > 0 && number >= m_state.limit)
        co_return finish(QStringLiteral("已保存设定的%1章").arg(number));
    m_delay.start(m_state.delayMs);
}

serial::NextLink SerialChain::nextChapter(const QString &html, const QUrl &url) {
    if (!m_state.fromList)
        return nextChapterLink(html, url);
    serial::NextLink next;
    next.url = serial::nextListedChapter(m_list, QUrl(), m_store.seen());
    next.outcome =
        next.url.isEmpty() ? serial::NextLinkOutcome::None : serial::NextLinkOutcome::Found;
    return next;
}

serial::NextLink SerialChain::nextChapterLink(const QString &html, const QUrl &url) {
    serial::NextLink next = serial::findNextLink(html, url, m_store.seen());
    const QString linkText =
        !m_state.linkText.isEmpty()
            ? m_state.linkText
            : serial::readSiteRules(serial::siteRulesPath(m_context.siteRulesFolder, url))
                  .nextLinkText;
    if (!linkText.isEmpty()) {
        if (const serial::NextLink byText =
                serial::findLinkByText(html, url, linkText, m_store.seen());
            byText.outcome != serial::NextLinkOutcome::None)
            next = byText;
    }
    if (next.outcome == serial::NextLinkOutcome::Several)
        chooseAmong(next, html, url);
    return next;
}

void SerialChain::chooseAmong(serial::NextLink &next, const QString &html, const QUrl &url) {
    if (m_state.choice == 0) {
        QString prompt = QStringLiteral(
            "网页上有几个下一章链接，请输入下一章的序号（以后的章节取同一位置的链接）：\n");
        for (int i = 0; i < next.candidates.size(); ++i)
            prompt += QStringLiteral("%1. %2\n").arg(i + 1).arg(next.candidates.at(i).toString());
        const std::optional<QString> answer =
            m_context.dialogs.inputText(kCaption, prompt, QStringLiteral("1"));
        bool ok = false;
        const int chosen = answer ? answer->trimmed().toInt(&ok) : 0;
        if (!ok || chosen < 1 || chosen > next.candidates.size())
            return;
        m_state.choice = chosen;
    }
    if (m_state.choice > next.candidates.size())
        return;
    next = serial::judgeNextLink(next.candidates.at(m_state.choice - 1), html, url, m_store.seen());
}

QString SerialChain::titleOf(const QString &html, int number) {
    const QString pageTitle = m_view->title().trimmed();
    if (m_state.titleSuffix.isEmpty() && !m_state.firstTitle.isEmpty() &&
        m_state.firstTitle != pageTitle) {
        m_state.titleSuffix = serial::commonTitleSuffix(m_state.firstTitle, pageTitle);
        // The chapter before was named before the site's part of its title was known.
        if (!m_state.titleSuffix.isEmpty() &&
            m_store.titleOf(number - 1) == serial::chapterTitle({}, m_state.firstTitle, {}))
            m_store.retitle(number - 1,
                            serial::chapterTitle({}, m_state.firstTitle, m_state.titleSuffix),
                            nullptr);
    }
    if (m_state.firstTitle.isEmpty())
        m_state.firstTitle = pageTitle;
    return serial::chapterTitle(html, pageTitle, m_state.titleSuffix);
}

void SerialChain::finish(const QString &reason, bool tellUser) {
    ++m_runId;
    m_delay.stop();
    m_loadLimit.stop();
    m_waitingForLoad = false;
    m_peeking = false;
    disconnect(m_loadConnection);
    m_lastView = m_view;
    m_lastPage = m_view ? m_view->url() : QUrl();
    m_view = nullptr;
    status(reason);
    if (tellUser)
        m_context.dialogs.message(kCaption, reason, Dialogs::Buttons::Ok);
    emit finished(reason);
    if (m_checking)
        QTimer::singleShot(0, this, &SerialChain::checkNextSeries);
}

void SerialChain::status(const QString &text) {
    m_context.panels.setPanelText(Panel::Message, text);
}

void SerialChain::useLinkAsNextChapter(browser::BrowserView *view, const QUrl &url,
                                       const QString &text) {
    if (refuseWhileRunning())
        return;
    std::optional<serial::ChainState> state = serial::readChainState(m_folder);
    if (!view || view != m_lastView || view->url() != m_lastPage || !state || !state->finished) {
        m_context.dialogs.message(
            kCaption,
            QStringLiteral("只有在连续保存因找不到下一章而停下的网页上，才能指定下一章链接。"),
            Dialogs::Buttons::Ok);
        return;
    }
    const common::TextFileContent index =
        common::readTextFile(QDir(m_folder).filePath(serial::kIndexFileName));
    for (const serial::IndexEntry &entry : serial::parseIndex(index.text)) {
        if (serial::chainKey(entry.address) == serial::chainKey(url)) {
            m_context.dialogs.message(kCaption, QStringLiteral("该链接的网页已经保存过了。"),
                                      Dialogs::Buttons::Ok);
            return;
        }
    }
    state->finished = false;
    state->next = url;
    state->linkText = text.simplified();
    rememberNextLinkText(m_context, m_lastPage, text);
    run(view, m_folder, *state, false);
}

void SerialChain::makeBook() {
    makeBookOfFolder(m_context);
}

} // namespace commands
