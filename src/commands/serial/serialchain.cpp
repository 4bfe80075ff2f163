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

// Whether the page loads, once `url` (none: the load under way) is asked for in `view`; no
// answer when it does not come within the limit. Made outside the coroutine that awaits it:
// g++ 12 destroys the temporaries of a co_await expression twice.
common::Answer<std::optional<bool>> pageLoad(QPointer<browser::BrowserView> view, QUrl url,
                                             bool fresh) {
    return common::Answer<std::optional<bool>>(
        [view, url, fresh](std::function<void(std::optional<bool>)> reply) {
            if (!view)
                return reply(false);
            QObject::connect(
                view.data(), &browser::BrowserView::documentComplete, view.data(),
                [reply](const QUrl &, bool ok) { reply(ok); }, Qt::SingleShotConnection);
            if (!url.isEmpty() && fresh)
                view->navigateFresh(url);
            else if (!url.isEmpty())
                view->navigate(url);
        },
        std::nullopt, kLoadLimitMs);
}

} // namespace

SerialChain::SerialChain(CommandContext &context, QObject *parent)
    : QObject(parent), m_context(context) {}

SerialChain::~SerialChain() = default;

bool SerialChain::refuseWhileRunning() {
    if (!isRunning())
        return false;
    m_context.dialogs.message(kCaption, QStringLiteral("连续保存正在进行，请先停止连续保存。"),
                              Dialogs::Buttons::Ok);
    return true;
}

void SerialChain::startFromCurrentPage() {
    // The question is asked while the window goes on: the tab may close before the answer.
    QPointer<browser::BrowserView> view = m_context.tabs.currentView();
    if (!view || refuseWhileRunning())
        return;
    std::optional<SeriesStart> start = askSeriesStart(m_context, view->title());
    if (!start || !view)
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
    m_loop.reset(); // never the running one: a chain starts only once the last has ended
    m_view = view;
    m_folder = folder;
    m_state = state;
    // Chapters past the state's count were saved by a chain killed before it noted them:
    // they are saved again, under the same numbers.
    m_store.open(folder, m_state.count, m_state.continues,
                 m_state.format == serial::ChapterFormat::Html);
    m_list = m_state.fromList
                 ? serial::parseChapterList(
                       common::readTextFile(QDir(folder).filePath(serial::kListFileName)).text)
                 : QList<QUrl>();
    m_loop.emplace(chainLoop(currentPageIsNext));
    m_loop->run([this] { chainEnded(); });
}

void SerialChain::stop() {
    m_toCheck.clear();
    m_checking = false;
    if (!isRunning())
        return;
    m_loop.reset(); // the chain ends where it waits
    finish(QStringLiteral("连续保存已停止，已保存%1章").arg(m_state.count));
}

common::Task<> SerialChain::chainLoop(bool currentPageIsNext) {
    int failures = 0; // pages in a row that did not load or could not be read
    bool load = !currentPageIsNext;
    if (currentPageIsNext)
        co_await common::nextTurn(); // never inside the caller's handler
    for (;;) {
        if (!m_view) {
            finish(QStringLiteral("连续保存的网页已经关闭"));
            co_return;
        }
        if (load || m_view->isBusy()) {
            const bool arrived = co_await pageArrives(load);
            if (!arrived && ++failures >= kMostFailedLoads) {
                finish(QStringLiteral("网页三次打开失败，连续保存停止：") + m_state.next.toString(),
                       true);
                co_return;
            }
            if (!arrived) {
                co_await common::nextTurn(m_state.delayMs);
                load = true;
                continue;
            }
            failures = 0;
        }
        Step step = Step::Ended;
        {
            // A chapter is saved in a turn of its own, as a command: it waits for the one at work.
            std::optional<CommandRunner::Turn> turn;
            if (m_context.runner)
                turn = co_await m_context.runner->turn(kCaption);
            step = co_await saveChapter();
        }
        if (step == Step::Ended)
            co_return;
        if (step == Step::ReadAgain) {
            // No answer from the page (a script at work, a renderer gone). Saving nothing would
            // end the chain as if at its last page.
            if (++failures >= kMostFailedLoads) {
                finish(QStringLiteral("无法读取网页，连续保存停止：") +
                           (m_view ? m_view->url().toString() : QString()),
                       true);
                co_return;
            }
            co_await common::nextTurn(kRereadMs);
            load = false;
            continue;
        }
        failures = 0;
        co_await common::nextTurn(m_state.delayMs);
        load = true;
    }
}

common::Task<bool> SerialChain::pageArrives(bool load) {
    const QPointer<browser::BrowserView> view = m_view;
    // (No temporaries in the co_await expression: g++ 12 destroys them twice.)
    QUrl url;
    if (load)
        url = m_state.next;
    // A check for new chapters asks the server: the engine's cache holds the last chapter as
    // it was when it was read.
    const std::optional<bool> ok = co_await pageLoad(view, url, m_peeking);
    if (!ok && view)
        view->stop(); // it did not come in time
    co_return ok.value_or(false);
}

common::Task<SerialChain::Step> SerialChain::saveChapter() {
    if (!m_view)
        co_return finish(QStringLiteral("连续保存的网页已经关闭"));
    const QUrl url = m_view->url();
    const browser::PageRead read = co_await browser::readPage(m_view);
    if (!m_view)
        co_return finish(QStringLiteral("连续保存的网页已经关闭"));
    const QString html = read.ok() ? read.html : QString();
    if (html.isEmpty())
        co_return Step::ReadAgain;
    if (m_peeking) {
        m_peeking = false;
        co_return goOnIfNewChapter(html, url);
    }
    const bool asHtml = m_state.format == serial::ChapterFormat::Html;
    // (A co_await inside ?: is miscompiled by g++ 12: its temporaries are destroyed twice.)
    QString article;
    if (!asHtml)
        article = co_await browser::readArticleJson(m_view);
    if (!m_view)
        co_return finish(QStringLiteral("连续保存的网页已经关闭"));
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
        co_return Step::Next;
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
    co_return Step::Next;
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

SerialChain::Step SerialChain::finish(const QString &reason, bool tellUser) {
    m_peeking = false;
    m_lastView = m_view;
    m_lastPage = m_view ? m_view->url() : QUrl();
    m_view = nullptr;
    status(reason);
    m_ending = {reason, tellUser};
    // Said once the chain's frame has gone, when the chain ends itself.
    if (!m_loop)
        chainEnded();
    return Step::Ended;
}

void SerialChain::chainEnded() {
    m_loop.reset();
    const std::optional<Ending> ending = std::exchange(m_ending, std::nullopt);
    if (!ending)
        return;
    if (ending->tellUser)
        m_context.dialogs.message(kCaption, ending->reason, Dialogs::Buttons::Ok);
    emit finished(ending->reason);
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
